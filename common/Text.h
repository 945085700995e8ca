#pragma once

#include <cwctype>
#include <string>
#include <string_view>

// Text rules that depend on the platform's idea of letters. The Windows build uses the
// system's own case mapping and collation; the portable build uses the C library's.
namespace quenlow {

// Every letter in lower case.
std::wstring LowerCase(std::wstring_view text);

// Alphabetical order without regard to case: negative, zero or positive.
int CompareNoCase(std::wstring_view a, std::wstring_view b);

// A key whose bytes, compared in order, give the order of CompareNoCase: made once per text,
// it makes sorting many texts far cheaper than comparing the texts themselves.
std::string SortKeyNoCase(std::wstring_view text);

// True when the two texts differ at most in letter case, character by character
// (the comparison WMI applies to an equality test in a query).
bool EqualNoCase(std::wstring_view a, std::wstring_view b);

// The text in UTF-8, every character kept: for exceptions' messages and reports to other programs.
std::string Utf8(std::wstring_view text);

// The text without the blanks and line ends that the system's messages end with.
inline std::wstring TrimTrailingSpace(std::wstring text)
{
    while (!text.empty() && std::iswspace(static_cast<std::wint_t>(text.back()))) {
        text.pop_back();
    }
    return text;
}

} // namespace quenlow
