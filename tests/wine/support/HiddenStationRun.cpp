#include "support/HiddenStationRun.h"

#include "common/Error.h"
#include "common/HResultText_win.h"
#include "common/ScopeExit.h"
#include "common/UniqueHandle_win.h"
#include "support/ChildProcess.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>
#include <type_traits>
#include <vector>

namespace quenlow::testing {

namespace {

constexpr wchar_t kDesktopName[] = L"Default";

// A window station of its own that nobody sees (no WSF_VISIBLE), with a desktop "Default": what a
// program meets when it runs as a scheduled task or from a remote shell, where its windows and
// message boxes are shown to no one and never answered. The object holds both open; the system
// removes them once no process uses them any more.
class HiddenWindowStation {
public:
    // Throws quenlow::Error when either cannot be made, or when the station is visible after all.
    HiddenWindowStation()
        : m_name(NewStationName()),
          m_station(::CreateWindowStationW(m_name.c_str(), 0, WINSTA_ALL_ACCESS, nullptr), &::CloseWindowStation)
    {
        if (!m_station) {
            ThrowLastError(L"CreateWindowStationW " + m_name);
        }
        USEROBJECTFLAGS flags{};
        if (!::GetUserObjectInformationW(m_station.get(), UOI_FLAGS, &flags, sizeof(flags), nullptr)) {
            ThrowLastError(L"GetUserObjectInformationW (UOI_FLAGS)");
        }
        if (flags.dwFlags & WSF_VISIBLE) {
            throw Error(static_cast<std::int32_t>(E_UNEXPECTED), L"the new window station " + m_name + L" is visible");
        }
        // CreateDesktopW makes its desktop in the process's current station.
        const HWINSTA original = ::GetProcessWindowStation(); // the system's handle, not ours to close
        if (!original || !::SetProcessWindowStation(m_station.get())) {
            ThrowLastError(L"SetProcessWindowStation");
        }
        const ScopeExit back([original] { ::SetProcessWindowStation(original); });
        m_desktop.reset(::CreateDesktopW(kDesktopName, nullptr, nullptr, 0, GENERIC_ALL, nullptr));
        if (!m_desktop) {
            ThrowLastError(L"CreateDesktopW in " + m_name);
        }
    }

    // "station\Default", as STARTUPINFO.lpDesktop names a desktop.
    std::wstring DesktopPath() const { return m_name + L"\\" + kDesktopName; }

private:
    // Unique on the system for each station made, so that runs side by side never share one.
    static std::wstring NewStationName()
    {
        static std::atomic<unsigned> made{0};
        return L"QuenlowHidden-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++made);
    }

    std::wstring m_name;
    // The desktop is closed before its station.
    std::unique_ptr<std::remove_pointer_t<HWINSTA>, decltype(&::CloseWindowStation)> m_station;
    std::unique_ptr<std::remove_pointer_t<HDESK>, decltype(&::CloseDesktop)> m_desktop{nullptr, &::CloseDesktop};
};

// A temporary file that a child process gets as its standard output or error, read once the
// process has ended. A file rather than a pipe: Wine's helper processes can inherit what the
// child holds and keep a pipe open long after it has ended, and a full pipe that nobody reads
// would hold the child up. The file is deleted when its last handle closes.
class CapturedOutput {
public:
    // Throws quenlow::Error when the file cannot be made.
    CapturedOutput()
    {
        wchar_t folder[MAX_PATH + 1];
        wchar_t path[MAX_PATH + 1];
        if (::GetTempPathW(MAX_PATH + 1, folder) == 0 || ::GetTempFileNameW(folder, L"qco", 0, path) == 0) {
            ThrowLastError(L"GetTempFileNameW");
        }
        SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
        const HANDLE file = ::CreateFileW(path, GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inheritable,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            ::DeleteFileW(path); // GetTempFileNameW made it
            ::SetLastError(error);
            ThrowLastError(L"CreateFileW " + std::wstring(path));
        }
        m_file.reset(file);
    }

    // The inheritable handle to give the child.
    HANDLE Handle() const noexcept { return m_file.get(); }

    // Everything written to it, in UTF-8.
    std::wstring Text() const
    {
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(m_file.get(), &size)) {
            ThrowLastError(L"GetFileSizeEx");
        }
        std::vector<char> bytes(static_cast<std::size_t>(size.QuadPart));
        // From the start, whatever the file pointer that the child shares with us says.
        OVERLAPPED fromStart{};
        DWORD read = 0;
        if (!bytes.empty() &&
            !::ReadFile(m_file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, &fromStart)) {
            ThrowLastError(L"ReadFile");
        }
        const int length = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(read), nullptr, 0);
        std::wstring text(static_cast<std::size_t>(length), L'\0');
        ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(read), text.data(), length);
        return text;
    }

private:
    UniqueHandle m_file;
};

} // namespace

HiddenStationRun RunOnHiddenWindowStation(const std::wstring& program, const std::wstring& arguments,
                                          std::chrono::milliseconds limit)
{
    const HiddenWindowStation station;
    const CapturedOutput output;
    const CapturedOutput error;
    std::wstring commandLine = QuoteArgument(program);
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }

    HiddenStationRun run;
    ChildProcess process =
        ChildProcess::Start(commandLine, ChildStartOptions{station.DesktopPath(), output.Handle(), error.Handle()});
    run.processId = process.Id();
    run.exitCode = process.WaitForExit(limit);
    run.endedByItself = run.exitCode.has_value();
    if (!run.endedByItself) {
        process.Terminate();
    }
    run.standardOutput = output.Text();
    run.standardError = error.Text();
    return run;
}

} // namespace quenlow::testing
