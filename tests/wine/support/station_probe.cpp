// A windows (GUI-subsystem) program, as quenlow.exe is, that says where it runs: on its standard
// output the names of its window station and desktop, on its standard error whether that station
// is visible. Exit status: 0 not visible, 1 visible, 2 it cannot tell, 3 no usable standard
// error. With --box it then shows a message box and waits for an answer.
#include <windows.h>

#include <string>
#include <string_view>

namespace {

constexpr int kNotVisible = 0;
constexpr int kVisible = 1;
constexpr int kCannotTell = 2;
constexpr int kNoStandardError = 3;

std::wstring ObjectName(HANDLE object)
{
    wchar_t name[256] = L"?";
    ::GetUserObjectInformationW(object, UOI_NAME, name, sizeof(name), nullptr);
    return name;
}

// The text in UTF-8 to the standard handle; false when there is none or the write fails.
bool Write(DWORD which, std::wstring_view text)
{
    const HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    DWORD written = 0;
    return ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int)
{
    const HWINSTA station = ::GetProcessWindowStation();
    const HDESK desktop = ::GetThreadDesktop(::GetCurrentThreadId());
    USEROBJECTFLAGS flags{};
    const bool known = ::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof(flags), nullptr);
    const bool visible = (flags.dwFlags & WSF_VISIBLE) != 0;

    Write(STD_OUTPUT_HANDLE, ObjectName(station) + L"\\" + ObjectName(desktop) + L"\n");
    if (!Write(STD_ERROR_HANDLE, !known    ? L"window station unknown\n"
                                 : visible ? L"window station visible\n"
                                           : L"window station not visible\n")) {
        return kNoStandardError;
    }
    if (std::wstring_view(arguments) == L"--box") {
        ::MessageBoxW(nullptr, L"Nobody sees this.", L"station_probe", MB_OK);
    }
    return !known ? kCannotTell : visible ? kVisible : kNotVisible;
}
