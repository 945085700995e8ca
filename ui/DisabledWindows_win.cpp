#include "ui/DisabledWindows_win.h"

#include <algorithm>

namespace quenlow {

DisabledWindows::DisabledWindows(const std::vector<HWND>& windows, HWND except) : m_focus(::GetFocus())
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
    const HWND root = m_focus && ::IsWindow(m_focus) ? ::GetAncestor(m_focus, GA_ROOT) : nullptr;
    if (root && ::GetFocus() != m_focus && ::IsWindowEnabled(root) && ::IsWindowVisible(root) &&
        ::GetForegroundWindow() == root) {
        ::SetFocus(m_focus);
    }
}

void DisabledWindows::HandOver(HWND window)
{
    const auto found = std::find(m_disabled.begin(), m_disabled.end(), window);
    if (found != m_disabled.end()) {
        m_disabled.erase(found);
        ::EnableWindow(window, TRUE);
    }
}

} // namespace quenlow
