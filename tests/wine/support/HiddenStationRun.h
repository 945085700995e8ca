#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

namespace quenlow::testing {

// How a program run where nobody can see it ended, and what it wrote.
struct HiddenStationRun {
    DWORD processId = 0;
    // False: it was still running at the limit, and was ended through its handle.
    bool endedByItself = false;
    // Its own exit status, when it ended by itself.
    std::optional<DWORD> exitCode;
    std::wstring standardOutput;
    std::wstring standardError;
};

// Runs the program with the argument text appended to its quoted path on the desktop of a
// window station of its own that nobody sees, its standard output and error captured, and waits up to the
// limit for it to end. Throws quenlow::Error when the station or the process cannot be made.
HiddenStationRun RunOnHiddenWindowStation(const std::wstring& program, const std::wstring& arguments,
                                          std::chrono::milliseconds limit);

} // namespace quenlow::testing
