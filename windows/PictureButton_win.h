#pragma once

#include "windows/ListWindowDesigns_win.h"
#include "ui/UniqueGdi_win.h"

#include <windows.h>

namespace quenlow {

// A push button that shows its picture above its caption: an ordinary button, so that focus,
// the tab order, Enter on the default button and screen readers all work as usual.
HWND CreatePictureButton(HWND parent, const ButtonDesign& design, bool isDefault);

// Gives the button its picture at the DPI, in an image list that the caller keeps for as long
// as the button shows it.
UniqueImageList SetButtonPicture(HWND button, const ButtonDesign& design, UINT dpi);

} // namespace quenlow
