#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace quenlow::testing {

// Every process there is now, by id, with its program's file name ("winedbg.exe"): one look at
// the system's list of processes. Throws quenlow::Error when the list cannot be read.
std::map<DWORD, std::wstring> RunningProcesses();

} // namespace quenlow::testing
