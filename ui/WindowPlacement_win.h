#pragma once

#include <windows.h>

namespace quenlow {

// Where a window of the size goes to be centred on the work area and kept inside it: one larger
// than the work area keeps its top-left corner, and so its title bar, within reach.
POINT CentredInWorkArea(SIZE size, const RECT& workArea) noexcept;

// Gives the window the size and centres it on the work area of its monitor, by the rule above.
void CentreOnWorkArea(HWND window, SIZE size) noexcept;

} // namespace quenlow
