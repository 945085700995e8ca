#include "services/ServiceQuery.h"

#include "services/WmiNames.h"

namespace quenlow {

std::wstring_view PropertyOf(ServiceKey key)
{
    return key == ServiceKey::Name ? wmi::kName : wmi::kDisplayName;
}

std::optional<std::wstring> QuoteWqlLiteral(std::wstring_view value)
{
    // A NUL would cut the query short at the COM boundary.
    if (value.find_first_of(std::wstring_view(L"\\\0", 2)) != std::wstring_view::npos) {
        return std::nullopt;
    }
    for (const wchar_t delimiter : {L'\'', L'"'}) {
        if (value.find(delimiter) == std::wstring_view::npos) {
            std::wstring literal;
            literal.reserve(value.size() + 2);
            literal += delimiter;
            literal += value;
            literal += delimiter;
            return literal;
        }
    }
    return std::nullopt;
}

namespace {

constexpr std::wstring_view kOr = L" or ";

// Each text compared with each of the properties (" where A='x' or B='x' or A='y' ..."), after
// head, in as few queries as the limits allow, a text's comparisons in one of them; none when a
// text cannot be quoted, there are too many, or one text's comparisons alone are too long.
std::vector<std::wstring> QueriesForAnyOf(std::wstring_view head, const std::vector<std::wstring>& texts,
                                          std::initializer_list<std::wstring_view> properties)
{
    if (texts.empty() || texts.size() * properties.size() > kMostValuesCompared) {
        return {};
    }
    std::vector<std::wstring> queries;
    std::size_t comparisons = 0;
    for (const auto& text : texts) {
        const auto literal = QuoteWqlLiteral(text);
        if (!literal) {
            return {};
        }
        std::wstring conditions;
        for (const auto property : properties) {
            conditions += kOr;
            conditions += property;
            conditions += L"=";
            conditions += *literal;
        }
        if (queries.empty() || comparisons + properties.size() > kMostComparisonsInOneQuery ||
            queries.back().size() + conditions.size() > kLongestQuery) {
            queries.push_back(std::wstring(head) + L" where " + conditions.substr(kOr.size()));
            comparisons = 0;
        } else {
            queries.back() += conditions;
        }
        comparisons += properties.size();
        if (queries.back().size() > kLongestQuery) {
            return {};
        }
    }
    return queries;
}

// The queries for the texts, or the one that reads every service when they cannot hold them.
ServiceQueries QueriesOrAll(const std::wstring& head, const std::vector<std::wstring>& texts,
                            std::initializer_list<std::wstring_view> properties)
{
    ServiceQueries queries{QueriesForAnyOf(head, texts, properties), head};
    if (queries.texts.empty()) {
        queries.texts.push_back(head);
    }
    return queries;
}

} // namespace

ServiceQuery BuildServiceQuery(ServiceKey key, std::wstring_view value)
{
    auto queries = QueriesForAnyOf(kAllServicesQuery, {std::wstring(value)}, {PropertyOf(key)});
    if (queries.empty()) {
        return {std::wstring(kAllServicesQuery), std::wstring(value)};
    }
    return {std::move(queries.front()), std::nullopt};
}

ServiceQueries BuildPressQueries(const std::vector<std::wstring>& texts)
{
    return QueriesOrAll(std::wstring(kAllServicesQuery), texts, {wmi::kDisplayName, wmi::kName});
}

ServiceQueries BuildLookQueries(const std::vector<std::wstring>& names)
{
    std::wstring head = L"SELECT ";
    for (const auto property : wmi::kLookProperties) {
        if (property != wmi::kLookProperties[0]) {
            head += L", ";
        }
        head += property;
    }
    return QueriesOrAll(head + L" FROM Win32_Service", names, {wmi::kName});
}

} // namespace quenlow
