#pragma once

#include "splash/frmSplash.h"

#include <windows.h>

namespace quenlow {

// The title and version numbers that the running executable declares in its version resource.
// The title is the ProductName string; "Quenlow" when the resource has none. Numbers that
// cannot be read are 0.
AppInfo ReadAppInfo();

// The same for any module file, for tests.
AppInfo ReadAppInfo(const wchar_t* modulePath);

} // namespace quenlow
