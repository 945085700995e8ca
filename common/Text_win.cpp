#include "common/Text.h"

#include <windows.h>

#include <climits>

namespace quenlow {

namespace {

int Length(std::wstring_view text)
{
    return text.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(text.size());
}

} // namespace

std::string Utf8(std::wstring_view text)
{
    if (text.empty()) {
        return {};
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), Length(text), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), Length(text), utf8.data(), size, nullptr, nullptr);
    return utf8;
}

std::wstring LowerCase(std::wstring_view text)
{
    if (text.empty()) {
        return {};
    }
    std::wstring lowered(text.size(), L'\0');
    const int written = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, text.data(), Length(text),
                                      lowered.data(), Length(lowered), nullptr, nullptr, 0);
    if (written <= 0) {
        return std::wstring(text);
    }
    lowered.resize(static_cast<std::size_t>(written));
    return lowered;
}

int CompareNoCase(std::wstring_view a, std::wstring_view b)
{
    const int result = CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, a.data(), Length(a), b.data(),
                                       Length(b), nullptr, nullptr, 0);
    if (result == 0) {
        // Only for invalid arguments; fall back to the ordinal case-insensitive order.
        return CompareStringOrdinal(a.data(), Length(a), b.data(), Length(b), TRUE) - CSTR_EQUAL;
    }
    return result - CSTR_EQUAL;
}

std::string SortKeyNoCase(std::wstring_view text)
{
    constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const int size = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, kFlags, text.data(), Length(text), nullptr, 0, nullptr,
                                   nullptr, 0);
    std::string key(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (size <= 0 || LCMapStringEx(LOCALE_NAME_USER_DEFAULT, kFlags, text.data(), Length(text),
                                   reinterpret_cast<LPWSTR>(key.data()), size, nullptr, nullptr, 0) <= 0) {
        return {};
    }
    // The key ends with its terminating zero byte, which is no part of the order.
    key.pop_back();
    return key;
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b)
{
    return CompareStringOrdinal(a.data(), Length(a), b.data(), Length(b), TRUE) == CSTR_EQUAL;
}

} // namespace quenlow
