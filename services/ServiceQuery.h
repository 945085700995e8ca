#pragma once

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
    // unchanged: the query then selects all services, and the caller keeps only those whose
    // property equals this value.
    std::optional<std::wstring> valueToMatch;
};

// The text as a WQL string literal with its delimiters, or nullopt when no literal is safe.
// Windows reads a backslash inside a literal as an escape while Wine does not understand
// escapes at all and refuses a literal that holds its own delimiter, so the only literals
// both read back unchanged are those with no backslash and without the chosen delimiter.
std::optional<std::wstring> QuoteWqlLiteral(std::wstring_view value);

ServiceQuery BuildServiceQuery(ServiceKey key, std::wstring_view value);

// The one query of a press: every service whose display name, or short name, is one of the
// texts, quoted as BuildServiceQuery quotes; all services when a text cannot be quoted or there
// are too many for one query. The caller matches the texts itself.
std::wstring BuildPressQuery(const std::vector<std::wstring>& texts);

// A look: the properties it reads (wmi::kLookProperties) of the services with these short names,
// quoted as BuildServiceQuery quotes; of all services when a name cannot be quoted or there are
// too many for one query.
std::wstring BuildLookQuery(const std::vector<std::wstring>& names);

} // namespace quenlow
