#pragma once

#include "ui/UserInterface.h"

#include <cstdint>
#include <string>

namespace quenlow {

// The application's title and version numbers, as the executable declares them.
struct AppInfo {
    std::wstring title;
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t revision = 0;
};

namespace frmSplash {

inline constexpr WindowId kWindow = WindowId::frmSplash;

// "Version 1.0.0": each number written as a 16-bit signed integer.
std::wstring VersionText(std::uint16_t major, std::uint16_t minor, std::uint16_t revision);

// The load event: sets the version and product labels.
void Form_Load(IUserInterface& ui, const AppInfo& app);

} // namespace frmSplash
} // namespace quenlow
