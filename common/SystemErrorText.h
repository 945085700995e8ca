#pragma once

#include <cstdint>
#include <string>

namespace quenlow {

// The system's own words for a Windows error code ("The service has returned a
// service-specific error code."), or an empty text when it has none.
std::wstring SystemErrorText(std::uint32_t code);

} // namespace quenlow
