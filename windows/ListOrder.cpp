#include "windows/ListOrder.h"

#include "common/Text.h"

#include <algorithm>

namespace quenlow {

void SortListTexts(std::vector<std::wstring>& texts)
{
    std::stable_sort(texts.begin(), texts.end(),
                     [](const std::wstring& a, const std::wstring& b) { return CompareNoCase(a, b) < 0; });
}

} // namespace quenlow
