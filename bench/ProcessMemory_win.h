#pragma once

#include <windows.h>

namespace quenlow::bench {

struct ProcessMemory {
    double peakWorkingSetMB = 0;
    double workingSetMB = 0;
};

// The process's memory as the system accounts it; throws when it cannot be read.
ProcessMemory MemoryOf(HANDLE process);

} // namespace quenlow::bench
