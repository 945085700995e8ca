#include "services/ListOrder.h"

#include "common/Text.h"

#include <algorithm>
#include <numeric>

namespace quenlow {

void SortListTexts(std::vector<std::wstring>& texts)
{
    // One sort key per text, compared as bytes: comparing the texts themselves costs a locale
    // comparison per step, which dominates the fill of a long list.
    std::vector<std::string> keys;
    keys.reserve(texts.size());
    for (const auto& text : texts) {
        keys.push_back(SortKeyNoCase(text));
    }
    std::vector<std::size_t> order(texts.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });

    std::vector<std::wstring> sorted;
    sorted.reserve(texts.size());
    for (const std::size_t index : order) {
        sorted.push_back(std::move(texts[index]));
    }
    texts = std::move(sorted);
}

} // namespace quenlow
