#pragma once

#include "FakeServiceAccess.h"

#include <cstddef>
#include <string>
#include <vector>

// Many services for the tests' shared fake service access, for timing what the windows do with
// a result: stopped services whose display names are mixed in case and delivered in a scrambled
// order, the same on every run.
namespace quenlow::bench {

// n distinct display names, in the order a result set delivers them.
std::vector<std::wstring> MakeDisplayNames(std::size_t n);

// n stopped services with those display names (short names s0, s1, ...), for FakeServiceAccess::services.
std::vector<testing::FakeService> ManyStoppedServices(std::size_t n);

} // namespace quenlow::bench
