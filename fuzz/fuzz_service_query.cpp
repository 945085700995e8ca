// Feeds arbitrary texts to the building of the by-name and by-display-name queries and checks
// that no text can change a query's structure: the text either comes back out of one literal
// unchanged under both WQL dialects, or the query has no condition and the text is matched in code.
#include "FuzzText.h"
#include "services/ServiceQuery.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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
    const bool literalPossible = !needsBackslash && !(hasApostrophe && hasQuote);

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::wstring input = quenlow::fuzz::DecodeText(data, size);
    CheckQuery(ServiceKey::Name, L"Name", input);
    CheckQuery(ServiceKey::DisplayName, L"DisplayName", input);
    return 0;
}
