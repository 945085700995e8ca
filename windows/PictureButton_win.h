#pragma once

#include "windows/ListWindowDesigns_win.h"

#include <windows.h>

namespace quenlow {

// A push button that shows its picture above its caption: an ordinary button, so that focus,
// the tab order, Enter on the default button and screen readers all work as usual.
HWND CreatePictureButton(HWND parent, const ButtonDesign& design, bool isDefault);

// Gives the button its picture at the DPI. The picture's image list is made once per process
// for each picture and DPI, shared by every button that shows it, and owned by the process
// until it ends: no window destroys it.
void SetButtonPicture(HWND button, const ButtonDesign& design, UINT dpi);

} // namespace quenlow
