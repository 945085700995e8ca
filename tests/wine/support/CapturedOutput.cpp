#include "support/CapturedOutput.h"

#include "common/HResultText_win.h"

#include <cstring>
#include <string_view>
#include <vector>

namespace quenlow::testing {

namespace {

std::wstring TemporaryFilePath()
{
    wchar_t folder[MAX_PATH + 1];
    wchar_t path[MAX_PATH + 1];
    if (::GetTempPathW(MAX_PATH + 1, folder) == 0) {
        ThrowLastError(L"GetTempPathW");
    }
    if (::GetTempFileNameW(folder, L"qco", 0, path) == 0) {
        ThrowLastError(L"GetTempFileNameW");
    }
    return path;
}

std::wstring FromUtf8(std::string_view bytes)
{
    if (bytes.empty()) {
        return {};
    }
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, text.data(), length);
    return text;
}

} // namespace

CapturedOutput::CapturedOutput()
{
    const std::wstring path = TemporaryFilePath();
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inheritable,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(path.c_str()); // GetTempFileNameW made it
        ::SetLastError(error);
        ThrowLastError(L"CreateFileW " + path);
    }
    m_file.reset(file);
}

std::wstring CapturedOutput::Text() const
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
    const std::string_view text(bytes.data(), read);
    if (text.starts_with("\xFF\xFE")) {
        const std::string_view units = text.substr(2);
        std::wstring wide(units.size() / sizeof(wchar_t), L'\0');
        std::memcpy(wide.data(), units.data(), wide.size() * sizeof(wchar_t));
        return wide;
    }
    return FromUtf8(text);
}

} // namespace quenlow::testing
