#include "support/HostPath.h"

#include <algorithm>

namespace quenlow::testing {

std::wstring HostPathToWindows(std::wstring_view path)
{
    std::wstring windows(path);
    if (windows.starts_with(L'/')) {
        windows.insert(0, L"Z:");
    }
    std::replace(windows.begin(), windows.end(), L'/', L'\\');
    return windows;
}

} // namespace quenlow::testing
