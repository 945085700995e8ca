#include "common/Text.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>

namespace quenlow {

std::string Utf8(std::wstring_view text)
{
    std::string utf8;
    for (const wchar_t c : text) {
        const auto code = static_cast<std::uint32_t>(c);
        if (code < 0x80) {
            utf8 += static_cast<char>(code);
        } else if (code < 0x800) {
            utf8 += static_cast<char>(0xC0 | (code >> 6));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            utf8 += static_cast<char>(0xE0 | (code >> 12));
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            utf8 += static_cast<char>(0xF0 | ((code >> 18) & 0x07));
            utf8 += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return utf8;
}

std::wstring LowerCase(std::wstring_view text)
{
    std::wstring lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c))); });
    return lowered;
}

int CompareNoCase(std::wstring_view a, std::wstring_view b)
{
    const auto fold = [](wchar_t c) { return std::towlower(static_cast<std::wint_t>(c)); };
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto ca = fold(a[i]);
        const auto cb = fold(b[i]);
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

std::string SortKeyNoCase(std::wstring_view text)
{
    // Each folded character as four big-endian bytes: byte order is then CompareNoCase's order.
    std::string key;
    key.reserve(text.size() * 4);
    for (const wchar_t c : text) {
        const auto folded = static_cast<std::uint32_t>(std::towlower(static_cast<std::wint_t>(c)));
        for (int shift = 24; shift >= 0; shift -= 8) {
            key.push_back(static_cast<char>((folded >> shift) & 0xFFu));
        }
    }
    return key;
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

} // namespace quenlow
