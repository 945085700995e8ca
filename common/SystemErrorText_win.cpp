#include "common/SystemErrorText.h"

#include "common/Text.h"

#include <windows.h>

#include <memory>

namespace quenlow {

std::wstring SystemErrorText(std::uint32_t code)
{
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const std::unique_ptr<wchar_t, decltype(&::LocalFree)> owner(buffer, &::LocalFree);
    if (length == 0 || !buffer) {
        return {};
    }
    return TrimTrailingSpace(std::wstring(buffer, length));
}

} // namespace quenlow
