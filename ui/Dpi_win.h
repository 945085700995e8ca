#pragma once

#include <windows.h>

// Sizes at the DPI of a window. The designs are in twips (15 twips are one pixel at 96 DPI);
// every pixel size is scaled from 96 DPI to the window's own DPI. The per-monitor functions
// of newer Windows are looked up at run time, with fallbacks for older systems.
namespace quenlow {

inline constexpr UINT kDesignDpi = 96;

// Pixels at 96 DPI, scaled to the DPI.
int ScaleToDpi(int pixelsAt96, UINT dpi) noexcept;
// Twips, in pixels at the DPI.
int TwipsToPixels(int twips, UINT dpi) noexcept;

// The DPI the window is drawn at.
UINT WindowDpi(HWND window) noexcept;
// The DPI of the primary screen, for a window that does not exist yet.
UINT SystemDpi() noexcept;

// The outer size of a window whose client area has the given size.
SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD exStyle, UINT dpi) noexcept;

// The system's message font (the default font of dialogs and message boxes) at the DPI.
LOGFONTW MessageFont(UINT dpi) noexcept;

} // namespace quenlow
