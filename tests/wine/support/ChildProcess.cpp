#include "support/ChildProcess.h"
#include "common/HResultText_win.h"
#include "common/UniqueHandle_win.h"

#include <vector>

namespace quenlow::testing {

namespace {

// The exit code a process that we end ourselves is given, so it cannot pass for a real one.
constexpr UINT kTerminatedByTest = 0xDEAD;

DWORD ToWaitMilliseconds(std::chrono::milliseconds timeout)
{
    if (timeout.count() <= 0) {
        return 0;
    }
    return timeout.count() >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(timeout.count());
}

} // namespace

ChildProcess ChildProcess::Start(const std::wstring& commandLine, const ChildStartOptions& options)
{
    // STARTUPINFOW takes the desktop's name as a writable string.
    std::wstring desktop = options.desktop;
    const bool redirected = options.standardOutput || options.standardError;
    // Under Wine on a busy machine CreateProcessW now and then fails with ERROR_INTERNAL_ERROR:
    // the new process died before it had started, so nothing of the program ran. Such a start
    // is made again; any other failure is reported at once.
    constexpr int kAttempts = 3;
    for (int attempt = 1;; ++attempt) {
        // CreateProcessW may write into the command line, so it gets a copy of its own.
        std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
        buffer.push_back(L'\0');

        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        if (!desktop.empty()) {
            startup.lpDesktop = desktop.data();
        }
        if (redirected) {
            startup.dwFlags |= STARTF_USESTDHANDLES;
            startup.hStdOutput = options.standardOutput;
            startup.hStdError = options.standardError;
        }
        PROCESS_INFORMATION info{};
        if (::CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, redirected ? TRUE : FALSE, CREATE_NO_WINDOW,
                             nullptr, nullptr, &startup, &info)) {
            ::CloseHandle(info.hThread);
            return ChildProcess(UniqueHandle(info.hProcess), info.dwProcessId);
        }
        if (::GetLastError() != ERROR_INTERNAL_ERROR || attempt == kAttempts) {
            ThrowLastError(L"CreateProcessW");
        }
    }
}

ChildProcess::~ChildProcess()
{
    if (m_process) {
        Terminate();
    }
}

bool ChildProcess::HasExited() const
{
    return ::WaitForSingleObject(m_process.get(), 0) == WAIT_OBJECT_0;
}

std::optional<DWORD> ChildProcess::WaitForExit(std::chrono::milliseconds timeout) const
{
    const DWORD waited = ::WaitForSingleObject(m_process.get(), ToWaitMilliseconds(timeout));
    if (waited == WAIT_TIMEOUT) {
        return std::nullopt;
    }
    if (waited != WAIT_OBJECT_0) {
        ThrowLastError(L"WaitForSingleObject");
    }
    DWORD code = 0;
    if (!::GetExitCodeProcess(m_process.get(), &code)) {
        ThrowLastError(L"GetExitCodeProcess");
    }
    return code;
}

void ChildProcess::Terminate()
{
    if (!HasExited()) {
        ::TerminateProcess(m_process.get(), kTerminatedByTest);
        ::WaitForSingleObject(m_process.get(), 10'000);
    }
}

std::wstring QuoteArgument(std::wstring_view argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring_view::npos) {
        return std::wstring(argument);
    }
    // Backslashes are literal except before a quote, where they must be doubled.
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

} // namespace quenlow::testing
