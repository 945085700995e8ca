#pragma once

#include <windows.h>

namespace quenlow {

// Shows the hourglass at once, before the pointer next moves, while an event's handler runs
// (its windows answer WM_SETCURSOR with it meanwhile), and puts the previous cursor back
// afterwards.
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
