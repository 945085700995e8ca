#pragma once

#include <windows.h>

// Sizes at the DPI of a window. The designs are in twips and fonts in points; every pixel size
// is scaled from 96 DPI to the window's own DPI. The per-monitor functions of newer Windows are
// looked up at run time, with fallbacks for older systems.
namespace quenlow {

// The DPI that pixel sizes of the designs (pictures, lines) are given at.
inline constexpr UINT kDesignDpi = 96;
// A twip is a twentieth of a point: at 96 DPI a pixel is 15 twips.
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kPointsPerInch = 72;

// A control's or frame's place and size in a design, in twips.
struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

// Pixels at 96 DPI, scaled to the DPI.
int ScaleToDpi(int pixelsAt96, UINT dpi) noexcept;
// Twips, in pixels at the DPI.
int TwipsToPixels(int twips, UINT dpi) noexcept;
// The rectangle in pixels at the DPI. Each edge is scaled on its own, so that boxes that touch
// in the design still touch.
RECT TwipsToPixels(const TwipsRect& twips, UINT dpi) noexcept;
// The LOGFONTW height of a font of the size in points at the DPI: negative, as the height of
// its characters rather than of its cells.
LONG FontHeightForPoints(double points, UINT dpi) noexcept;

// The DPI the window is drawn at.
UINT WindowDpi(HWND window) noexcept;
// The DPI of the primary screen, for a window that does not exist yet.
UINT SystemDpi() noexcept;

// A system metric (SM_CXVSCROLL, SM_CXICON, ...) at the DPI, which GetSystemMetrics alone gives
// at the system's DPI only: a window on a monitor of another scale needs its own.
int SystemMetricAtDpi(int index, UINT dpi) noexcept;

// The outer size of a window whose client area has the given size.
SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD exStyle, UINT dpi) noexcept;

// The system's message font (the default font of dialogs and message boxes) at the DPI.
LOGFONTW MessageFont(UINT dpi) noexcept;

} // namespace quenlow
