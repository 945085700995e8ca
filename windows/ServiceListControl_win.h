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
// With check boxes it is a report-view ListView with one column and no header. The control
// keeps the entries and their check marks, and the program reads both from it: a tick set by a
// click, by Space, or by another program (a screen reader's "check" command, UI automation)
// is one and the same state, which the control itself reports to screen readers.
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
    void AppendToListBox(const std::vector<std::wstring>& texts);
    void AppendToListView(const std::vector<std::wstring>& texts);
    // Keeps the longest of the texts so far and the new ones as the candidates for the widest
    // entry, and measures them.
    void RememberLongest(const std::vector<std::wstring>& texts);
    int MeasureWidest(const std::vector<std::wstring>& texts) const;
    // Sizes the one column for the widest entry and the scroll bars the entries will need.
    void FitColumn() const;
    int Position(std::size_t position) const;

    ListKind m_kind;
    HWND m_window = nullptr; // destroyed with its parent
    // The longest texts listed: the widest entry is among them, and they are measured again
    // when the font changes. At most a few hundred, whatever the count.
    std::vector<std::wstring> m_longestTexts;
    // The width of the widest of those texts in the list's font, in pixels.
    int m_widestText = 0;
};

} // namespace quenlow
