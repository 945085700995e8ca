#pragma once

#include "ui/UserInterface.h"
#include "ui/WindowClassNames.h"
#include "ui/WindowEvents.h"

#include <windows.h>

#include <string_view>

// The splash window on Win32: black, centred, with no title bar and a fixed dialog frame. Its
// events go to the program: a key that produces a character, the pointer moving over the margin
// around Frame1, a click on Frame1's own surface, and the system's close command (Alt+F4).
namespace quenlow {

// Creates the window and its controls from the design, hidden, at the DPI of the primary
// screen and centred on its work area. Destroying the window releases everything it holds.
// Throws quenlow::Error when the window cannot be created.
HWND CreateSplashWindow(HINSTANCE instance, IWindowEvents& events);

// Sets the caption of lblVersion or lblProductName; a label that fits its caption is resized,
// keeping the edge it is aligned to.
void SetSplashLabelCaption(HWND splash, LabelId label, std::wstring_view caption);

} // namespace quenlow
