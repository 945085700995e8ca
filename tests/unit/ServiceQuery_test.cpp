#include "services/ServiceQuery.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

// Reads a query the way both WQL dialects agree on: "<prefix>=<d>value<d>" with no escapes.
// Returns the value when the literal closes exactly at the end of the text.
std::optional<std::wstring> LiteralAtEnd(const std::wstring& query, std::wstring_view prefix)
{
    if (query.compare(0, prefix.size(), prefix) != 0 || query.size() < prefix.size() + 2) return std::nullopt;
    const wchar_t delimiter = query[prefix.size()];
    if (delimiter != L'\'' && delimiter != L'"') return std::nullopt;
    const auto close = query.find(delimiter, prefix.size() + 1);
    if (close != query.size() - 1) return std::nullopt;
    if (query.find(L'\\') != std::wstring::npos) return std::nullopt; // Windows would read an escape
    return query.substr(prefix.size() + 1, close - prefix.size() - 1);
}

TEST(ServiceQuery, FixedTextsForTheLists)
{
    EXPECT_EQ(kAllServicesQuery, L"SELECT * FROM Win32_Service");
    EXPECT_EQ(kRunningServicesQuery, L"SELECT * FROM Win32_Service where State='Running'");
    EXPECT_EQ(kStoppedServicesQuery, L"SELECT * FROM Win32_Service where State='Stopped'");
}

TEST(ServiceQuery, OrdinaryNamesKeepTheUsualText)
{
    EXPECT_EQ(BuildServiceQuery(ServiceKey::Name, L"spooler").text,
              L"SELECT * FROM Win32_Service where Name='spooler'");
    EXPECT_EQ(BuildServiceQuery(ServiceKey::DisplayName, L"Print Spooler").text,
              L"SELECT * FROM Win32_Service where DisplayName='Print Spooler'");
    // Blanks, case and non-ASCII letters are inserted untouched.
    EXPECT_EQ(BuildServiceQuery(ServiceKey::Name, L" Ünïcode ").text,
              L"SELECT * FROM Win32_Service where Name=' Ünïcode '");
    EXPECT_EQ(BuildServiceQuery(ServiceKey::Name, L"").text, L"SELECT * FROM Win32_Service where Name=''");
    EXPECT_FALSE(BuildServiceQuery(ServiceKey::Name, L"spooler").valueToMatch);
}

TEST(ServiceQuery, ApostropheSwitchesToTheOtherDelimiter)
{
    const auto query = BuildServiceQuery(ServiceKey::DisplayName, L"Bob's Service");
    EXPECT_EQ(query.text, L"SELECT * FROM Win32_Service where DisplayName=\"Bob's Service\"");
    EXPECT_FALSE(query.valueToMatch);
}

// Whatever a text holds, it either comes back out of its literal unchanged with nothing after
// the literal, or the query has no condition and the text is matched in code.
TEST(ServiceQuery, HostileTextsNeverChangeTheQueryStructure)
{
    const std::wstring prefix = L"SELECT * FROM Win32_Service where Name=";
    const std::wstring hostile[] = {
        L"x' or Name<>'",     L"x\" or Name<>\"",  L"both ' and \"",     L"back\\slash",  L"trailing\\",
        L"\\'",               L"' OR 1=1 --",      L"%_[]^",             L"a'b\"c\\d",    std::wstring(L"nul\0x", 5),
        L"Ωmega ʼquote’",      L"'",                L"\"",                L"''",           std::wstring(256, L'\''),
    };
    for (const auto& text : hostile) {
        SCOPED_TRACE(::testing::PrintToString(text));
        const ServiceQuery query = BuildServiceQuery(ServiceKey::Name, text);
        if (query.valueToMatch) {
            EXPECT_EQ(query.text, kAllServicesQuery);
            EXPECT_EQ(*query.valueToMatch, text);
        } else {
            EXPECT_EQ(LiteralAtEnd(query.text, prefix), text);
        }
    }
}

TEST(ServiceQuery, TextsThatNoLiteralCanHoldAreMatchedInCode)
{
    EXPECT_FALSE(QuoteWqlLiteral(L"it's \"quoted\""));
    EXPECT_FALSE(QuoteWqlLiteral(L"C:\\path"));
    EXPECT_FALSE(QuoteWqlLiteral(std::wstring(L"a\0b", 3)));
    EXPECT_EQ(QuoteWqlLiteral(L"say \"hi\""), L"'say \"hi\"'");
}

// A press asks for all its texts, as display names and as short names; a look for the pending
// services alone, by short name, and only for what is judged of them. Each text is quoted as one
// service's is; one that no literal can hold, or too many, and the query asks for all.
TEST(ServiceQuery, APressAndALookAskForTheirServicesAlone)
{
    using Texts = std::vector<std::wstring>;
    EXPECT_EQ(BuildPressQueries({L"Print Spooler", L"Bob's"}).texts,
              Texts{L"SELECT * FROM Win32_Service where DisplayName='Print Spooler' or Name='Print Spooler' or "
                    L"DisplayName=\"Bob's\" or Name=\"Bob's\""});
    EXPECT_EQ(BuildLookQueries({L"a", L"x' or Name<>'"}).texts,
              Texts{L"SELECT Name, State, CheckPoint, WaitHint, ExitCode, ServiceSpecificExitCode FROM Win32_Service "
                    L"where Name='a' or Name=\"x' or Name<>'\""});
    const std::wstring allLooked = L"SELECT Name, State, CheckPoint, WaitHint, ExitCode, ServiceSpecificExitCode "
                                   L"FROM Win32_Service";
    EXPECT_EQ(BuildLookQueries({L"a"}).readingAll, allLooked);
    EXPECT_EQ(BuildPressQueries({L"a"}).readingAll, kAllServicesQuery);
    EXPECT_EQ(BuildLookQueries({L"a", L"both ' and \""}).texts, Texts{allLooked});
    EXPECT_EQ(BuildPressQueries({L"a", L"back\\slash"}).texts, Texts{std::wstring(kAllServicesQuery)});
    EXPECT_EQ(BuildLookQueries(Texts(65, L"a")).texts, Texts{allLooked});
    EXPECT_EQ(BuildPressQueries(Texts(33, L"a")).texts, Texts{std::wstring(kAllServicesQuery)});
}

// Windows refuses a query with too many "or" keywords, or too long: past 16 comparisons or 4,000
// characters, texts go to further queries, each text's comparisons in one (the fuzzer checks all).
TEST(ServiceQuery, TextsBeyondOneQuerysLimitsGoToFurtherQueries)
{
    std::vector<std::wstring> texts;
    for (int i = 10; i < 30; ++i) texts.push_back(L"s" + std::to_wstring(i));
    const auto press = BuildPressQueries(texts).texts;
    ASSERT_EQ(press.size(), 3u);
    EXPECT_TRUE(press[0].ends_with(L"or DisplayName='s17' or Name='s17'"));
    EXPECT_EQ(BuildLookQueries(texts).texts.size(), 2u);
    // 41 characters around a name: 3,959 is the longest one query holds; past it, code matches.
    EXPECT_EQ(BuildServiceQuery(ServiceKey::Name, std::wstring(3959, L'n')).text.size(), 4000u);
    EXPECT_TRUE(BuildServiceQuery(ServiceKey::Name, std::wstring(3960, L'n')).valueToMatch);
    // Two display names of 950 characters fill a press's query; one of 2,000 fits in none.
    EXPECT_EQ(BuildPressQueries(std::vector<std::wstring>(3, std::wstring(950, L'x'))).texts.size(), 2u);
    EXPECT_EQ(BuildPressQueries({L"a", std::wstring(2000, L'x')}).texts,
              std::vector<std::wstring>{std::wstring(kAllServicesQuery)});
}

} // namespace
} // namespace quenlow
