#include "ui/Desktop_win.h"

#include "common/Text.h"

#include <windows.h>

#include <string>

namespace quenlow {

namespace {

// Session 0 holds the services (and programs they start) only: since Windows Vista no user signs
// in to it, so nobody sees its WinSta0, although that station calls itself visible.
bool InSessionZero() noexcept
{
    DWORD session = 0;
    return ::ProcessIdToSessionId(::GetCurrentProcessId(), &session) && session == 0;
}

bool OnVisibleStation() noexcept
{
    USEROBJECTFLAGS flags{};
    const HWINSTA station = ::GetProcessWindowStation();
    if (!station || !::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof(flags), nullptr)) {
        return true; // nothing says otherwise: show the window, as any program would
    }
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

} // namespace

bool WindowsCanBeSeen() noexcept
{
    return !InSessionZero() && OnVisibleStation();
}

void WriteToStandardError(std::wstring_view text) noexcept
{
    const HANDLE output = ::GetStdHandle(STD_ERROR_HANDLE);
    if (!output || output == INVALID_HANDLE_VALUE || ::GetFileType(output) == FILE_TYPE_UNKNOWN) {
        return;
    }
    try {
        std::wstring line;
        for (const wchar_t c : text) {
            const bool lineBreak = c == L'\r' || c == L'\n';
            if (!lineBreak) {
                line += c;
            } else if (!line.empty() && line.back() != L' ') {
                line += L' ';
            }
        }
        line += L"\r\n";
        DWORD mode = 0;
        DWORD written = 0;
        if (::GetConsoleMode(output, &mode)) {
            ::WriteConsoleW(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        } else {
            const std::string bytes = Utf8(line);
            ::WriteFile(output, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        }
    } catch (...) {
        // Out of memory for the line: there is nowhere left to say anything.
    }
}

} // namespace quenlow
