// Feeds arbitrary texts to the building of the by-name and by-display-name queries, and of a
// press's and a look's queries beside ordinary texts, and checks that no text can change a query's
// structure or make one longer than Windows takes: the text either comes back out of its literals
// unchanged under both WQL dialects, or the query has no condition and the text is matched in code.
#include "FuzzText.h"
#include "services/ServiceQuery.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using quenlow::BuildServiceQuery;
using quenlow::ServiceKey;
using quenlow::ServiceQuery;
using quenlow::fuzz::Check;

constexpr std::wstring_view kSelectAll = L"SELECT * FROM Win32_Service";

struct Literal {
    std::wstring value;
    std::size_t end; // one past the closing delimiter
};

// Wine's reading: the value runs to the next delimiter; there are no escapes.
std::optional<Literal> ReadWithoutEscapes(std::wstring_view literal)
{
    const wchar_t delimiter = literal[0];
    const std::size_t close = literal.find(delimiter, 1);
    if (close == std::wstring_view::npos) {
        return std::nullopt;
    }
    return Literal{std::wstring(literal.substr(1, close - 1)), close + 1};
}

// Windows' reading: a backslash takes the next character as it is.
std::optional<Literal> ReadWithEscapes(std::wstring_view literal)
{
    const wchar_t delimiter = literal[0];
    std::wstring value;
    for (std::size_t i = 1; i < literal.size(); ++i) {
        if (literal[i] == L'\\') {
            if (++i == literal.size()) {
                return std::nullopt;
            }
            value += literal[i];
        } else if (literal[i] == delimiter) {
            return Literal{std::move(value), i + 1};
        } else {
            value += literal[i];
        }
    }
    return std::nullopt;
}

void CheckQuery(ServiceKey key, std::wstring_view property, std::wstring_view input)
{
    const ServiceQuery query = BuildServiceQuery(key, input);
    Check(query.text.find(L'\0') == std::wstring::npos, "the query holds no NUL", input);

    const bool needsBackslash = input.find_first_of(std::wstring_view(L"\\\0", 2)) != std::wstring_view::npos;
    const bool hasApostrophe = input.find(L'\'') != std::wstring_view::npos;
    const bool hasQuote = input.find(L'"') != std::wstring_view::npos;
    const bool fits = kSelectAll.size() + 7 + property.size() + 1 + input.size() + 2 <= quenlow::kLongestQuery;
    const bool literalPossible = !needsBackslash && !(hasApostrophe && hasQuote) && fits;

    if (query.valueToMatch) {
        Check(query.text == kSelectAll, "a query matched in code selects all services", input);
        Check(*query.valueToMatch == input, "the value matched in code is the text", input);
        Check(!literalPossible, "a text that a literal can hold goes in a literal", input);
        return;
    }

    std::wstring prefix(kSelectAll);
    prefix += L" where ";
    prefix += property;
    prefix += L"=";
    Check(query.text.compare(0, prefix.size(), prefix) == 0, "the condition is on the key property", input);
    Check(query.text.size() >= prefix.size() + 2, "the literal has both delimiters", input);
    const std::wstring_view literal = std::wstring_view(query.text).substr(prefix.size());
    const wchar_t delimiter = literal[0];
    Check(delimiter == L'\'' || delimiter == L'"', "the literal opens with ' or \"", input);
    Check(delimiter == L'\'' || hasApostrophe, "a text without ' keeps the usual ' delimiter", input);
    Check(literal.find(L'\\') == std::wstring_view::npos, "the literal holds no backslash", input);

    const auto plain = ReadWithoutEscapes(literal);
    Check(plain && plain->value == input, "read without escapes the literal is the text", input);
    Check(plain->end == literal.size(), "nothing follows the literal read without escapes", input);
    const auto escaped = ReadWithEscapes(literal);
    Check(escaped && escaped->value == input, "read with escapes the literal is the text", input);
    Check(escaped->end == literal.size(), "nothing follows the literal read with escapes", input);
}

// The queries as one, each no longer than Windows takes: their conditions, in order, are the
// press's or the look's.
std::wstring Joined(const quenlow::ServiceQueries& queries, std::wstring_view head, std::wstring_view input)
{
    const std::wstring where = std::wstring(head) + L" where ";
    std::wstring joined;
    for (const auto& query : queries.texts) {
        Check(query.size() <= quenlow::kLongestQuery, "no query is longer than Windows takes", input);
        Check(queries.texts.size() == 1 || query.starts_with(where), "each of several queries has conditions", input);
        joined += joined.empty() ? query : L" or " + query.substr(where.size());
    }
    return joined;
}

// The query's conditions after "where", each "Property=<literal>" joined by " or ", read in both
// dialects: they must give the properties and values expected, in that order, and nothing else.
void CheckConditions(const std::wstring& query, std::wstring_view head,
                     const std::vector<std::pair<std::wstring_view, std::wstring>>& expected, std::wstring_view input)
{
    const std::wstring where = std::wstring(head) + L" where ";
    if (query == head) {
        return; // no condition: every text is matched in code
    }
    Check(query.compare(0, where.size(), where) == 0, "the query's conditions follow where", input);
    std::wstring_view rest = std::wstring_view(query).substr(where.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::wstring property = std::wstring(expected[i].first) + L"=";
        Check(rest.substr(0, property.size()) == property, "each condition is on its property", input);
        rest.remove_prefix(property.size());
        const auto plain = ReadWithoutEscapes(rest);
        const auto escaped = ReadWithEscapes(rest);
        Check(plain && plain->value == expected[i].second, "read without escapes a literal is its text", input);
        Check(escaped && escaped->value == expected[i].second && escaped->end == plain->end,
              "read with escapes a literal is its text", input);
        rest.remove_prefix(plain->end);
        if (i + 1 < expected.size()) {
            Check(rest.substr(0, 4) == L" or ", "the conditions are joined by or", input);
            rest.remove_prefix(4);
        }
    }
    Check(rest.empty(), "nothing follows the last condition", input);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::wstring input = quenlow::fuzz::DecodeText(data, size);
    CheckQuery(ServiceKey::Name, L"Name", input);
    CheckQuery(ServiceKey::DisplayName, L"DisplayName", input);
    const std::wstring other = L"Print Spooler";
    CheckConditions(Joined(quenlow::BuildPressQueries({input, other}), kSelectAll, input), kSelectAll,
                    {{L"DisplayName", input}, {L"Name", input}, {L"DisplayName", other}, {L"Name", other}}, input);
    // Beside more names than one query may compare.
    const std::wstring_view lookHead =
        L"SELECT Name, State, CheckPoint, WaitHint, ExitCode, ServiceSpecificExitCode FROM Win32_Service";
    std::vector<std::wstring> look(16, other);
    std::vector<std::pair<std::wstring_view, std::wstring>> lookConditions(16, {L"Name", other});
    look.push_back(input);
    lookConditions.push_back({L"Name", input});
    CheckConditions(Joined(quenlow::BuildLookQueries(look), lookHead, input), lookHead, lookConditions, input);
    return 0;
}
