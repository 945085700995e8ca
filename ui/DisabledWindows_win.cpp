#include "ui/DisabledWindows_win.h"

namespace quenlow {

DisabledWindows::DisabledWindows(const std::vector<HWND>& windows, HWND except)
{
    for (const HWND window : windows) {
        if (window && window != except && ::IsWindowEnabled(window)) {
            ::EnableWindow(window, FALSE);
            m_disabled.push_back(window);
        }
    }
}

DisabledWindows::~DisabledWindows()
{
    for (const HWND window : m_disabled) {
        if (::IsWindow(window)) {
            ::EnableWindow(window, TRUE);
        }
    }
}

} // namespace quenlow
