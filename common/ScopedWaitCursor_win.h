#pragma once

#include <windows.h>

namespace quenlow {

// Shows the hourglass while the user-interface thread is busy (a WMI call blocks it and no
// WM_SETCURSOR can be answered meanwhile), and puts the previous cursor back afterwards.
class ScopedWaitCursor {
public:
    ScopedWaitCursor() noexcept : m_previous(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    ~ScopedWaitCursor() { ::SetCursor(m_previous); }

    ScopedWaitCursor(const ScopedWaitCursor&) = delete;
    ScopedWaitCursor& operator=(const ScopedWaitCursor&) = delete;

private:
    HCURSOR m_previous;
};

} // namespace quenlow
