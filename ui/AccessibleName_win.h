#pragma once

#include <windows.h>

namespace quenlow {

// Gives a control the name screen readers say for it. A list's own text is not its name for them
// on Windows (they look for a label before it), so the name is also set on the control through
// the accessibility property service, both as Microsoft Active Accessibility's name and as UI
// Automation's Name property; where that service is missing or refuses (Wine), the text says it.
// The calling thread becomes a single-threaded COM apartment, once, unless it is already in the
// multithreaded one.
void NameForScreenReaders(HWND control, const wchar_t* name) noexcept;

} // namespace quenlow
