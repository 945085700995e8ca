#pragma once

#include "windows/ServiceListControl_win.h"

#include <commctrl.h>

namespace quenlow {

// A list with a check box before every entry: a report-view ListView with one column and no
// header. The control keeps the entries and their check marks, and the program reads both from
// it: a tick set by a click, by Space, or by another program (a screen reader's "check" command,
// UI automation) is one and the same state, which the control itself reports to screen readers.
class CheckListControl final : public ServiceListControl {
public:
    void Create(HWND parent, int id, const wchar_t* accessibleName) override;
    void SetBounds(const RECT& bounds, HFONT font) override;
    void Clear() override;
    std::size_t Count() const override;
    std::optional<LRESULT> OnNotify(const NMHDR& header) override;

private:
    void AppendTexts(const std::vector<std::wstring>& texts) override;
    std::wstring TextAt(int index) const override;
    bool CheckedAt(int index) const override;

    // Keeps the longest of the texts so far and the new ones as the candidates for the widest
    // entry, and measures them.
    void RememberLongest(const std::vector<std::wstring>& texts);
    int MeasureWidest(const std::vector<std::wstring>& texts) const;
    // Sizes the one column for the widest entry and the scroll bars the entries will need.
    void FitColumn() const;

    // The longest texts listed: the widest entry is among them, and they are measured again
    // when the font changes. At most a few hundred, whatever the count.
    std::vector<std::wstring> m_longestTexts;
    // The width of the widest of those texts in the list's font, in pixels.
    int m_widestText = 0;
};

} // namespace quenlow
