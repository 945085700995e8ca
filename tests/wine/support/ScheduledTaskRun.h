#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

namespace quenlow::testing {

// How a program run by the task scheduler ended, and what it wrote to its standard error.
struct ScheduledRun {
    // False: it was still running at the limit, and was ended.
    bool endedByItself = false;
    // Its own exit status, when it ended by itself.
    std::optional<DWORD> exitCode;
    std::wstring standardError;
};

// Runs the program with the arguments (words separated by blanks, none quoted) as a task of the
// task scheduler under the local system account: in session 0, where nobody sees a window. The
// task runs record_run.exe, built beside this test program, which keeps the program's standard
// error and exit status in files, and ends the program at the limit. The task is removed again.
// Throws quenlow::Error when the task cannot be made or run, or tells nothing in time.
ScheduledRun RunAsSystemTask(const std::wstring& program, const std::wstring& arguments,
                             std::chrono::milliseconds limit);

} // namespace quenlow::testing
