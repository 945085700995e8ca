#pragma once

#include <windows.h>

namespace quenlow {

// Redrawing of a control stays off while it is filled, and comes back on however the fill ends.
class RedrawOff {
public:
    explicit RedrawOff(HWND window) noexcept : m_window(window) { ::SendMessageW(m_window, WM_SETREDRAW, FALSE, 0); }
    ~RedrawOff()
    {
        ::SendMessageW(m_window, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(m_window, nullptr, TRUE);
    }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    HWND m_window;
};

} // namespace quenlow
