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

ServiceQuery BuildServiceQuery(ServiceKey key, std::wstring_view value)
{
    if (auto literal = QuoteWqlLiteral(value)) {
        std::wstring text(kAllServicesQuery);
        text += L" where ";
        text += PropertyOf(key);
        text += L"=";
        text += *literal;
        return {std::move(text), std::nullopt};
    }
    return {std::wstring(kAllServicesQuery), std::wstring(value)};
}

} // namespace quenlow
