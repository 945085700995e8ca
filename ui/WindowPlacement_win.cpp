#include "ui/WindowPlacement_win.h"

#include <algorithm>

namespace quenlow {

namespace {

// The screen without the task bar and other docked bars.
RECT WorkAreaOf(HWND window) noexcept
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        return monitor.rcWork;
    }
    return RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

} // namespace

POINT CentredInWorkArea(SIZE size, const RECT& workArea) noexcept
{
    const LONG left = workArea.left + (workArea.right - workArea.left - size.cx) / 2;
    const LONG top = workArea.top + (workArea.bottom - workArea.top - size.cy) / 2;
    return POINT{std::max(workArea.left, std::min(left, workArea.right - size.cx)),
                 std::max(workArea.top, std::min(top, workArea.bottom - size.cy))};
}

void CentreOnWorkArea(HWND window, SIZE size) noexcept
{
    const POINT place = CentredInWorkArea(size, WorkAreaOf(window));
    ::SetWindowPos(window, nullptr, place.x, place.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace quenlow
