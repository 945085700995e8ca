#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

namespace quenlow::testing {

// A report-view list view with check boxes like the program's, in this process and never shown,
// that tells how wide its one column must be for a text to be drawn whole. It draws the text at
// one width after another and compares the pixels with a drawing in a far wider column: a cut
// text ends in an ellipsis. What the control itself does is the judge, whatever its margins.
// The font is the system's message font at the system DPI, as the program's lists use it.
class ListTextFit {
public:
    ListTextFit();
    ~ListTextFit();
    ListTextFit(const ListTextFit&) = delete;
    ListTextFit& operator=(const ListTextFit&) = delete;

    // The narrowest column width, in pixels, in which the text shows whole.
    int ColumnWidthForWhole(std::wstring_view text);
    // LVM_GETSTRINGWIDTH: to check that the program's list measures texts in the same font.
    int StringWidth(std::wstring_view text) const;

private:
    bool DrawnAlike(int columnWidth, const RECT& row, const std::vector<DWORD>& reference);
    std::vector<DWORD> Draw(const RECT& row);

    HFONT m_font = nullptr;
    HWND m_host = nullptr;
    HWND m_list = nullptr;
};

} // namespace quenlow::testing
