#pragma once

#include "common/ExitStatus.h" // what exitCode is compared with
#include "support/TimeLimits.h"

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace quenlow::testing {

// The command line that runs quenlow.exe (--quenlow=PATH) with the argument text appended to
// its quoted path as it stands.
std::wstring QuenlowCommandLine(std::wstring_view arguments);

// What one command-line run of quenlow.exe showed and how it ended.
struct CommandLineRun {
    std::optional<std::wstring> question; // the text of a question that came first, if one did
    std::optional<std::wstring> message; // the text of its box titled "Quenlow", if one came
    std::optional<DWORD> exitCode;       // nullopt: still running after the box was answered
    bool secondMessage = false;          // another box came after the first was answered
};

// Runs QuenlowCommandLine(arguments), answers its message box with OK like a user and waits
// for the process to end; one still running after that is ended through its handle. The timeout is for the box: a service
// that does not answer keeps the program waiting for the service manager's own timeout. A question
// before the message (a stop held by running dependents, on Windows) is answered No.
CommandLineRun RunQuenlowCommand(std::wstring_view arguments, std::chrono::milliseconds messageTimeout = kBoxComesWithin);

} // namespace quenlow::testing
