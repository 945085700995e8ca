#pragma once

#include <cstdint>
#include <string>
#include <utility>

// The common rule for errors that no procedure traps: a modal report with the error's number
// and description, then the end of the process with kExitUntrappedError. No C++ exception may
// cross a Win32 callback, so window procedures run their work through RunTrapped.
namespace quenlow {

// Shows the report (modal, caption "Quenlow") and returns once the user has closed it.
void ReportUntrappedError(std::int32_t number, const std::wstring& description);

// Inside a catch block: reports the exception in flight (quenlow::Error with its own number,
// anything else as E_UNEXPECTED or E_OUTOFMEMORY with a readable text).
void ReportCurrentException() noexcept;

// Inside a catch block: reports the exception in flight and ends the process.
[[noreturn]] void EndWithCurrentException() noexcept;

// Makes every later fault end in the report rather than a crash dialog or a debugger:
// structured exceptions that nothing handles, std::terminate, and the system's own error boxes.
void InstallUntrappedErrorHandlers() noexcept;

// Runs the callable; an exception that escapes it is reported and ends the process.
template <typename Callable>
decltype(auto) RunTrapped(Callable&& callable) noexcept
{
    try {
        return std::forward<Callable>(callable)();
    } catch (...) {
        EndWithCurrentException();
    }
}

} // namespace quenlow
