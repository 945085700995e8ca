#pragma once

#include "splash/SplashDesign_win.h"
#include "windows/UniqueGdi_win.h"

#include <windows.h>

#include <array>
#include <string>
#include <string_view>

namespace quenlow::splash {

// What Frame1 shows: the labels and the logo, laid out in pixels at one DPI. Positions are in
// Frame1's client coordinates.
class SplashContent {
public:
    // Loads the logo bitmap from the module's resources; throws quenlow::Error when it is missing.
    explicit SplashContent(HINSTANCE instance);

    // Makes the fonts for the DPI and lays every control out again.
    void SetDpi(UINT dpi);
    UINT Dpi() const noexcept { return m_dpi; }

    // Sets a label's caption; a label that fits its caption is measured again. Returns the area
    // to repaint (the label's old and new bounds).
    RECT SetCaption(LabelIndex label, std::wstring_view caption);
    const std::wstring& Caption(LabelIndex label) const noexcept { return m_labels[label].caption; }
    const RECT& Bounds(LabelIndex label) const noexcept { return m_labels[label].bounds; }
    const RECT& LogoBounds() const noexcept { return m_logoBounds; }

    // True over a label's box or the logo: there a click does not belong to the frame.
    bool IsOverControl(POINT framePoint) const noexcept;

    // Draws the black ground, the border, the logo and the labels into Frame1's client area.
    void Paint(HDC dc, const RECT& frameClient) const;

private:
    struct Label {
        std::wstring caption;
        UniqueHfont font;
        RECT bounds{};
    };

    void Measure(LabelIndex label);

    UINT m_dpi = 0;
    std::array<Label, kLabelCount> m_labels;
    UniqueHbitmap m_logo;
    SIZE m_logoSize{};
    RECT m_logoBounds{};
};

} // namespace quenlow::splash
