#include "services/ListOrder.h"

#include "common/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace quenlow {
namespace {

// The keys must give exactly the order of comparing the texts, equal texts kept in the order
// they came, whatever the mix of case, punctuation, digits and letters beyond ASCII.
TEST(ListOrder, SortKeysGiveTheComparisonOrder)
{
    const std::vector<std::wstring> alphabet = {L"a", L"B", L"b", L"Z", L"-", L" ", L"1", L"10", L"é", L"É", L"Ω", L""};
    std::mt19937 random(7);
    std::vector<std::wstring> texts;
    for (int i = 0; i < 2000; ++i) {
        std::wstring text;
        const auto length = random() % 5;
        for (unsigned j = 0; j < length; ++j) text += alphabet[random() % alphabet.size()];
        texts.push_back(text);
    }
    std::vector<std::wstring> expected = texts;
    std::stable_sort(expected.begin(), expected.end(),
                     [](const std::wstring& a, const std::wstring& b) { return CompareNoCase(a, b) < 0; });
    SortListTexts(texts);
    EXPECT_EQ(texts, expected);
}

} // namespace
} // namespace quenlow
