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

// More than this many values make one query too long for comfort: all services are read instead.
constexpr std::size_t kMostValuesInOneQuery = 64;

// " where A='x' or B='x' or A='y' ...", each text under each of the properties; empty when a text
// cannot be quoted or there are too many.
std::wstring WhereAnyOf(const std::vector<std::wstring>& texts, std::initializer_list<std::wstring_view> properties)
{
    if (texts.empty() || texts.size() * properties.size() > kMostValuesInOneQuery) {
        return {};
    }
    std::wstring where;
    for (const auto& text : texts) {
        const auto literal = QuoteWqlLiteral(text);
        if (!literal) {
            return {};
        }
        for (const auto property : properties) {
            where += where.empty() ? L" where " : L" or ";
            where += property;
            where += L"=";
            where += *literal;
        }
    }
    return where;
}

} // namespace

ServiceQuery BuildServiceQuery(ServiceKey key, std::wstring_view value)
{
    const std::wstring where = WhereAnyOf({std::wstring(value)}, {PropertyOf(key)});
    if (where.empty()) {
        return {std::wstring(kAllServicesQuery), std::wstring(value)};
    }
    return {std::wstring(kAllServicesQuery) + where, std::nullopt};
}

std::wstring BuildPressQuery(const std::vector<std::wstring>& texts)
{
    return std::wstring(kAllServicesQuery) + WhereAnyOf(texts, {wmi::kDisplayName, wmi::kName});
}

std::wstring BuildLookQuery(const std::vector<std::wstring>& names)
{
    std::wstring text = L"SELECT ";
    for (const auto property : wmi::kLookProperties) {
        if (property != wmi::kLookProperties[0]) {
            text += L", ";
        }
        text += property;
    }
    return text + L" FROM Win32_Service" + WhereAnyOf(names, {wmi::kName});
}

} // namespace quenlow
