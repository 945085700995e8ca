#include "common/Error.h"

#include "common/ApplicationTitle.h"
#include "common/Text.h"

#include <cstdio>

namespace quenlow {

Error::Error(std::int32_t number, std::wstring description)
    : m_number(number), m_description(std::move(description)),
      m_what(Utf8(FormatErrorNumber(number) + L": " + m_description))
{
}

std::wstring FormatErrorNumber(std::int32_t number)
{
    if (number >= 0) {
        return std::to_wstring(number);
    }
    wchar_t buffer[16];
    std::swprintf(buffer, std::size(buffer), L"0x%08X", static_cast<std::uint32_t>(number));
    return buffer;
}

std::wstring UntrappedErrorText(std::int32_t number, const std::wstring& description)
{
    std::wstring text = std::wstring(kApplicationTitle) + L" met an error it cannot recover from and will close.\n\n";
    text += L"Error number: " + FormatErrorNumber(number) + L"\n";
    text += L"Description: " + (description.empty() ? std::wstring(L"(no description)") : description);
    return text;
}

} // namespace quenlow
