#pragma once

#include "splash/SplashDesign_win.h"
#include "ui/UniqueGdi_win.h"

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quenlow::splash {

// What Frame1 holds: the logo and the labels, each a child control of the frame that carries
// its own text (so screen readers and other programs can read it) and takes its own mouse
// input, laid out in pixels at one DPI. Positions are in Frame1's client coordinates.
//
// The labels are transparent: the frame draws the black ground and the border beneath them
// and answers their WM_CTLCOLORSTATIC with TextColour; it draws the logo on WM_DRAWITEM.
class SplashContent {
public:
    // Finds the logo bitmap in the module's resources; throws quenlow::Error when it is missing.
    explicit SplashContent(HINSTANCE instance);

    SplashContent(const SplashContent&) = delete;
    SplashContent& operator=(const SplashContent&) = delete;

    // Creates the logo and the labels inside the frame, in the design's order; they are laid
    // out by SetDpi. Throws quenlow::Error when a control cannot be created. The controls are
    // destroyed with the frame, and this object must outlive them (it owns their fonts).
    void Create(HWND frame, HINSTANCE instance);

    // Makes the fonts for the DPI and lays every control out again, without redrawing.
    void SetDpi(UINT dpi);

    // Sets a label's caption; a label that fits its caption is measured again. Returns the area
    // of the frame to redraw (the label's old and new bounds), which the caller must repaint
    // with the frame beneath the label: a transparent label cannot erase its old text itself.
    RECT SetCaption(LabelIndex label, std::wstring_view caption);
    const std::wstring& Caption(LabelIndex label) const noexcept { return m_labels[label].caption; }
    const RECT& Bounds(LabelIndex label) const noexcept { return m_labels[label].bounds; }
    HWND Logo() const noexcept { return m_logoControl; }

    // The text colour of a label control of this content; nullopt for any other window.
    std::optional<COLORREF> TextColour(HWND control) const noexcept;

    // Draws the black ground and the border into Frame1's client area.
    void PaintGround(HDC dc, const RECT& frameClient) const;
    // Draws the logo stretched to the given box (the logo control's client area). It is
    // stretched once for each size of the box, on the first paint at that size, and copied
    // from then on.
    void DrawLogo(HDC dc, const RECT& box);

private:
    struct Label {
        std::wstring caption;
        UniqueHfont font;
        RECT bounds{};
        HWND control = nullptr;
    };

    void Measure(LabelIndex label);
    void Place(HWND control, const RECT& bounds) const noexcept;

    UINT m_dpi = 0;
    std::array<Label, kLabelCount> m_labels;
    // The logo as the module holds it (compressed, 256 colours), drawn from there: a bitmap
    // made from it would hold it a second time, uncompressed.
    const BITMAPINFO* m_logo = nullptr;
    const void* m_logoBits = nullptr;
    SIZE m_logoSize{};
    // The logo stretched to the box it was last drawn in, and that box's size.
    UniqueHbitmap m_fittedLogo;
    SIZE m_fittedSize{};
    RECT m_logoBounds{};
    HWND m_logoControl = nullptr;
};

} // namespace quenlow::splash
