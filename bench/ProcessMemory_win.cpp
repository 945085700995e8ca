#include "bench/ProcessMemory_win.h"

#include <psapi.h>

#include <stdexcept>

namespace quenlow::bench {

namespace {

constexpr double kMB = 1e6;

} // namespace

ProcessMemory MemoryOf(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!::GetProcessMemoryInfo(process, &counters, sizeof(counters))) {
        throw std::runtime_error("GetProcessMemoryInfo failed");
    }
    return {static_cast<double>(counters.PeakWorkingSetSize) / kMB, static_cast<double>(counters.WorkingSetSize) / kMB};
}

} // namespace quenlow::bench
