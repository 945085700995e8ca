#pragma once

#include "bench/Figures.h"

#include <windows.h>

namespace quenlow::bench {

// Not measured (the round failed) until read.
struct ProcessMemory {
    double peakWorkingSetMB = kFailedRound;
    double workingSetMB = kFailedRound;
};

// The process's memory as the system accounts it; throws when it cannot be read.
ProcessMemory MemoryOf(HANDLE process);

} // namespace quenlow::bench
