#pragma once

#include "windows/ListWindowDesigns_win.h"

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quenlow {

// The list of a list window. Neither kind sorts: the program hands over the texts in their
// sorted order, which is far faster than letting the control place each entry.
//
// With check boxes it is a report-view ListView with one column and no header, which tells
// screen readers each entry's text and check state. It holds no entries of its own (owner
// data): the texts and check marks live here and the control asks for those it shows, so a
// fill or a clear costs no more than copying the texts, whatever the count. A click on a box
// and Space on the focused entry tick it; nothing else does.
//
// Plain, it is a list box with one selected entry at a time.
class ServiceListControl {
public:
    explicit ServiceListControl(ListKind kind) noexcept : m_kind(kind) {}

    // A child of the parent with the identifier; placed later by SetBounds.
    void Create(HWND parent, int id, const wchar_t* accessibleName);
    HWND Window() const noexcept { return m_window; }

    void SetBounds(const RECT& bounds, HFONT font);

    void Clear();
    // Adds the texts below the existing entries, in the order given, with redrawing off.
    void Append(const std::vector<std::wstring>& texts);
    std::size_t Count() const;
    std::wstring Text(std::size_t position) const;
    // The check mark of an entry; in a plain list, whether the entry is selected.
    bool Checked(std::size_t position) const;

    // A notification from the control to its parent; a result when it was handled here.
    std::optional<LRESULT> OnNotify(const NMHDR& header);

private:
    void Toggle(int index);
    int FindByPrefix(const NMLVFINDITEMW& find) const;
    void AppendToListBox(const std::vector<std::wstring>& texts);
    void FitColumn() const;
    // Widens the column for the longest of the texts from position `first` on.
    void MeasureTexts(std::size_t first);
    int Position(std::size_t position) const;

    ListKind m_kind;
    HWND m_window = nullptr; // destroyed with its parent
    // The entries of the check-box list, and their check marks.
    std::vector<std::wstring> m_texts;
    std::vector<bool> m_checked;
    // The width the widest entry needs, in pixels, with its check box.
    int m_widestEntry = 0;
};

} // namespace quenlow
