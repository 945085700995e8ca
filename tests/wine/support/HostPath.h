#pragma once

#include <string>
#include <string_view>

namespace quenlow::testing {

// A path as the build passes it (a Unix path when cross-built for Wine) in the form Windows
// programs take: Wine shows the Unix root as drive Z:. Windows paths come back unchanged.
std::wstring HostPathToWindows(std::wstring_view path);

} // namespace quenlow::testing
