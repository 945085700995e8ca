#pragma once

#include "bench/BareListProgram_win.h"
#include "ui/UniqueGdi_win.h"

#include <windows.h>

#include <string>
#include <vector>

namespace quenlow::bench {

// One window with the same controls as quenlow.exe's list window for the services listed, written
// the plain way a Win32 program is: create the window and its controls, fill the list, show and
// paint. It shares nothing with quenlow.exe's window code, only the button pictures; the thread
// must have the common controls 6 active (without them a button shows no picture).
//
// What it copies from the three list windows' designs: the caption, the client size in twips,
// the frame (sizable, or a caption only for all services), the stopped services window centred on
// the work area, the list (a report-view ListView with check boxes, one column and no header, or
// for all services a plain list box) and the buttons with their pictures above the captions, at
// the designs' places in twips, all in the system's message font, on the window text colour.
// The entries are sorted without regard to case, as quenlow.exe lists them.
class SameControlsWindow {
public:
    enum class Ending { QuitsTheProgram, Quietly };

    SameControlsWindow() = default;
    SameControlsWindow(const SameControlsWindow&) = delete;
    SameControlsWindow& operator=(const SameControlsWindow&) = delete;
    ~SameControlsWindow() { Destroy(); }

    // Makes, fills, shows and paints the window; false when it could not. With
    // Ending::QuitsTheProgram the window's destruction ends the thread's message loop.
    bool Show(HINSTANCE instance, ListedServices listed, const std::vector<std::wstring>& names, Ending ending);
    void Destroy() noexcept;

private:
    bool AddPicture(HWND button, HINSTANCE instance, int picture, UINT dpi);

    HWND m_window = nullptr;
    UniqueHfont m_font;
    std::vector<UniqueImageList> m_pictures;
};

} // namespace quenlow::bench
