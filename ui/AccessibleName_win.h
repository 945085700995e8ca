#pragma once

#include <windows.h>

namespace quenlow {

// Gives a control the name screen readers say for it. A list box's own text is not its name for
// them on Windows (they look for a label before it), so the name is also set through the
// accessibility property service; where that service is missing (Wine), the text says it.
void NameForScreenReaders(HWND control, const wchar_t* name) noexcept;

} // namespace quenlow
