#pragma once

#include <windows.h>

namespace quenlow {

// Registers the window class once per process: a later call finds it registered and does
// nothing. The caller fills in all but cbSize. Throws quenlow::Error when it cannot be registered.
void RegisterWindowClassOnce(WNDCLASSEXW windowClass);

} // namespace quenlow
