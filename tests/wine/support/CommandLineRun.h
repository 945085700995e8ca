#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace quenlow::testing {

// The exit statuses of quenlow.exe that scripts rely on.
inline constexpr DWORD kExitSucceeded = 0;
inline constexpr DWORD kExitFailed = 1;
inline constexpr DWORD kExitNotFound = 2;
inline constexpr DWORD kExitUntrappedError = 3;

// What one command-line run of quenlow.exe showed and how it ended.
struct CommandLineRun {
    std::optional<std::wstring> message; // the text of its box titled "Quenlow", if one came
    std::optional<DWORD> exitCode;       // nullopt: still running after the box was answered
    bool secondMessage = false;          // another box came after the first was answered
};

// Runs quenlow.exe (--quenlow=PATH) with the argument text appended to its quoted path as it
// stands, answers its message box with OK like a user and waits for the process to end; one
// still running after that is ended through its handle. The timeout is for the box: a service
// that does not answer keeps the program waiting for the service manager's own timeout.
CommandLineRun RunQuenlowCommand(std::wstring_view arguments,
                                 std::chrono::milliseconds messageTimeout = std::chrono::seconds(30));

} // namespace quenlow::testing
