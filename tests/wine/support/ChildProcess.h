#pragma once

#include "common/UniqueHandle_win.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace quenlow::testing {

// Where a process is started and where its standard output and error go.
struct ChildStartOptions {
    // The desktop as STARTUPINFO.lpDesktop names it ("station\desktop"); empty for the caller's.
    std::wstring desktop;
    // Inheritable handles that the process gets as its standard output and error; when both are
    // null it gets the caller's.
    HANDLE standardOutput = nullptr;
    HANDLE standardError = nullptr;
};

// A process this test started. It is only ever ended through its own handle, never by name:
// the destructor terminates it if it is still running, so a failing test leaves nothing behind.
class ChildProcess {
public:
    // Starts the program with the full command line given (program name included, quoted as
    // the caller wants it), in the caller's environment and without a console window; with
    // options, on another desktop or with other standard handles, which are then inherited.
    static ChildProcess Start(const std::wstring& commandLine, const ChildStartOptions& options = {});

    ChildProcess(ChildProcess&&) noexcept = default;
    // No assignment: it would drop the handle of a process that may still run. Use
    // std::optional's reset and emplace to start another.
    ChildProcess& operator=(ChildProcess&&) = delete;
    ~ChildProcess();

    DWORD Id() const noexcept { return m_id; }
    HANDLE Handle() const noexcept { return m_process.get(); }

    bool HasExited() const;

    // The exit code once the process has ended, or nullopt when it is still running after the timeout.
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout) const;

    // Ends the process by its handle (when it still runs) and waits until it is gone.
    void Terminate();

private:
    ChildProcess(UniqueHandle process, DWORD id) noexcept : m_process(std::move(process)), m_id(id) {}

    UniqueHandle m_process;
    DWORD m_id = 0;
};

// The text as one command-line argument that CommandLineToArgvW and the C runtime read back unchanged.
std::wstring QuoteArgument(std::wstring_view argument);

} // namespace quenlow::testing
