#include "common/Text.h"

#include <algorithm>
#include <cwctype>

namespace quenlow {

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

bool EqualNoCase(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

} // namespace quenlow
