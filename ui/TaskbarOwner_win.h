#pragma once

#include "ui/UniqueGdi_win.h"

#include <windows.h>

namespace quenlow {

// A hidden window that owns the program's windows that stay out of the task bar: an owned
// window has no button there and keeps the ordinary title bar, unlike a tool window's small
// one. Made when first asked for; never shown.
class TaskbarOwner {
public:
    HWND Get(HINSTANCE instance);

private:
    UniqueHwnd m_window;
};

} // namespace quenlow
