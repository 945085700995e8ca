#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quenlow {

inline constexpr std::wstring_view kAllServicesQuery = L"SELECT * FROM Win32_Service";
inline constexpr std::wstring_view kRunningServicesQuery = L"SELECT * FROM Win32_Service where State='Running'";
inline constexpr std::wstring_view kStoppedServicesQuery = L"SELECT * FROM Win32_Service where State='Stopped'";

// The property a service is looked up by.
enum class ServiceKey { Name, DisplayName };

std::wstring_view PropertyOf(ServiceKey key);

// A query that finds the services whose key property equals a given text.
struct ServiceQuery {
    std::wstring text;
    // Set when the text could not be written as a literal that every WQL dialect reads back
    // unchanged, or makes the query too long: the query then selects all services, and the caller
    // keeps only those whose property equals this value.
    std::optional<std::wstring> valueToMatch;
};

// The text as a WQL string literal with its delimiters, or nullopt when no literal is safe.
// Windows reads a backslash inside a literal as an escape while Wine does not understand
// escapes at all and refuses a literal that holds its own delimiter, so the only literals
// both read back unchanged are those with no backslash and without the chosen delimiter.
std::optional<std::wstring> QuoteWqlLiteral(std::wstring_view value);

ServiceQuery BuildServiceQuery(ServiceKey key, std::wstring_view value);

// Windows limits the AND and OR keywords of one query (WBEM_E_QUOTA_VIOLATION) and its length:
// a query compares a property with at most this many values, joined by "or", and is at most
// this long. Texts past kMostValuesCompared are read by a query for every service instead.
inline constexpr std::size_t kMostComparisonsInOneQuery = 16;
inline constexpr std::size_t kLongestQuery = 4000;
inline constexpr std::size_t kMostValuesCompared = 64;

// What WMI answers when a query has more keywords than it takes.
inline constexpr std::int32_t kWmiQuotaViolation = static_cast<std::int32_t>(0x8004106Cu);

// The queries that find some services, each within the limits above, run one after another on
// one connection; and the query that reads every service instead, when WMI refuses one of them
// as beyond its quota. `texts` is that one alone when no set of queries can hold the texts.
struct ServiceQueries {
    std::vector<std::wstring> texts;
    std::wstring readingAll;
};

// A press's queries: every service whose display name, or short name, is one of the texts, quoted
// as BuildServiceQuery quotes, a text's two comparisons in the same query; every service when a
// text cannot be quoted or there are too many texts. The caller matches the texts itself.
ServiceQueries BuildPressQueries(const std::vector<std::wstring>& texts);

// A look's queries: the properties it reads (wmi::kLookProperties) of the services with these
// short names, quoted as BuildServiceQuery quotes; of every service when a name cannot be quoted
// or there are too many.
ServiceQueries BuildLookQueries(const std::vector<std::wstring>& names);

} // namespace quenlow
