#pragma once

#include <string>
#include <vector>

namespace quenlow::testing {

// Every service and driver that the service manager knows, by display name (the short name
// for the test services registered without one), in no particular order.
std::vector<std::wstring> DisplayNamesOfAllServices();

// True when the texts are in alphabetical order without regard to case, as the system's
// case-insensitive comparison orders them.
bool InCaseInsensitiveOrder(const std::vector<std::wstring>& texts);

} // namespace quenlow::testing
