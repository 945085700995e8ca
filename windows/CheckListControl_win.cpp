#include "windows/CheckListControl_win.h"

#include "common/HResultText_win.h"
#include "ui/AccessibleName_win.h"
#include "ui/Dpi_win.h"
#include "ui/RedrawOff_win.h"
#include "ui/UniqueGdi_win.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

namespace quenlow {

namespace {

// The widest text is among the longest ones; measuring only these few keeps a fill of tens of
// thousands of entries from costing more than the fill itself.
constexpr std::size_t kMeasuredTexts = 256;

// How far right of its label's left edge (LVIR_LABEL) the list draws an entry's text, at 96 DPI.
// The control reports the label's place but not this margin: Wine's comctl32 indents the text by
// 5 pixels (LABEL_HOR_PADDING in its listview.c) and keeps nothing free after it, cutting the
// text with an ellipsis only when it is wider than the rest of the label. Windows documents no
// figure and scales its margins with the window's DPI; a text it cuts by a few pixels still
// shows whole in the label tip.
constexpr int kLabelTextIndent = 5;

// The first buffer for an entry's text; a longer text is read again into a larger one.
constexpr std::size_t kTextBuffer = 256;

RECT ItemRect(HWND list, int index, int part) noexcept
{
    RECT rect{};
    rect.left = part;
    if (!::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect))) {
        return RECT{};
    }
    return rect;
}

} // namespace

void CheckListControl::Create(HWND parent, int id, const wchar_t* accessibleName)
{
    // Single selection only limits the highlight: any number of entries can be ticked.
    CreateChild(parent, id, WC_LISTVIEWW, accessibleName, LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS);
    NameForScreenReaders(m_window, accessibleName);
    // The control ticks an entry on a click on its box and on Space, and keeps the tick.
    // A label tip shows the whole text of an entry that is still cut at the list's edge.
    const DWORD extended = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP;
    ListView_SetExtendedListViewStyleEx(m_window, extended, extended);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 0;
    if (ListView_InsertColumn(m_window, 0, &column) == -1) {
        ThrowLastError(L"creating the list of services");
    }
}

void CheckListControl::SetBounds(const RECT& bounds, HFONT font)
{
    ServiceListControl::SetBounds(bounds, font);
    // A new font (a new DPI) gives the texts new widths. An empty list is sized when it is filled.
    if (ListView_GetItemCount(m_window) > 0) {
        m_widestText = MeasureWidest(m_longestTexts);
        FitColumn();
    }
}

int CheckListControl::MeasureWidest(const std::vector<std::wstring>& texts) const
{
    if (texts.empty()) {
        return 0;
    }
    const UniqueScreenDc dc(::GetDC(nullptr));
    if (!dc) {
        return 0;
    }
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(m_window, WM_GETFONT, 0, 0));
    const ScopedSelectObject selected(dc.get(), font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    int widest = 0;
    for (const auto& text : texts) {
        SIZE size{};
        if (::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size)) {
            widest = std::max<int>(widest, size.cx);
        }
    }
    return widest;
}

void CheckListControl::RememberLongest(const std::vector<std::wstring>& texts)
{
    // The longest texts so far and the new ones; the widest text is among the longest few.
    std::vector<const std::wstring*> candidates;
    candidates.reserve(m_longestTexts.size() + texts.size());
    for (const std::vector<std::wstring>* list : {&std::as_const(m_longestTexts), &texts}) {
        for (const auto& text : *list) {
            candidates.push_back(&text);
        }
    }
    if (candidates.size() > kMeasuredTexts) {
        std::nth_element(candidates.begin(), candidates.begin() + kMeasuredTexts, candidates.end(),
                         [](const std::wstring* a, const std::wstring* b) { return a->size() > b->size(); });
        candidates.resize(kMeasuredTexts);
    }
    std::vector<std::wstring> longest;
    longest.reserve(candidates.size());
    for (const auto* text : candidates) {
        longest.push_back(*text);
    }
    m_longestTexts = std::move(longest);
    m_widestText = MeasureWidest(m_longestTexts);
}

void CheckListControl::FitColumn() const
{
    // The client area without scroll bars: while redrawing is off the control has not yet
    // shown or hidden those that its new entries need.
    RECT client{};
    ::GetClientRect(m_window, &client);
    const auto style = ::GetWindowLongPtrW(m_window, GWL_STYLE);
    const UINT dpi = WindowDpi(m_window);
    const int barWidth = SystemMetricAtDpi(SM_CXVSCROLL, dpi);
    const int barHeight = SystemMetricAtDpi(SM_CYHSCROLL, dpi);
    const int width = client.right + ((style & WS_VSCROLL) ? barWidth : 0);
    const int height = client.bottom + ((style & WS_HSCROLL) ? barHeight : 0);

    const int count = ListView_GetItemCount(m_window);
    int rowHeight = 0;
    int needed = 0;
    if (count > 0) {
        // The widest entry needs its text and what the control puts before the text: the
        // check box and its own margins, read from where it places the label.
        const RECT bounds = ItemRect(m_window, 0, LVIR_BOUNDS);
        const RECT label = ItemRect(m_window, 0, LVIR_LABEL);
        rowHeight = bounds.bottom - bounds.top;
        needed = label.left - bounds.left + ScaleToDpi(kLabelTextIndent, dpi) + m_widestText;
    }
    // A horizontal scroll bar only when an entry is really cut. Each bar takes room from the
    // other direction, so a second pass settles them, as in the control itself.
    bool horizontal = false;
    bool vertical = false;
    for (int pass = 0; pass < 2; ++pass) {
        horizontal = needed > width - (vertical ? barWidth : 0);
        vertical = rowHeight > 0 && count > (height - (horizontal ? barHeight : 0)) / rowHeight;
    }
    // The one column fills the visible width, and is wider only when an entry needs it.
    const int columnWidth = std::max(width - (vertical ? barWidth : 0), needed);
    if (ListView_GetColumnWidth(m_window, 0) != columnWidth) {
        ListView_SetColumnWidth(m_window, 0, columnWidth);
    }
}

void CheckListControl::Clear()
{
    m_longestTexts.clear();
    m_widestText = 0;
    // The ticks go with the entries.
    if (ListView_GetItemCount(m_window) > 0) {
        ListView_DeleteAllItems(m_window);
    }
}

std::size_t CheckListControl::Count() const
{
    const LRESULT count = ::SendMessageW(m_window, LVM_GETITEMCOUNT, 0, 0);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

void CheckListControl::AppendTexts(const std::vector<std::wstring>& texts)
{
    const int first = ListView_GetItemCount(m_window);
    const RedrawOff redrawOff(m_window);
    // Memory for all entries at once.
    ListView_SetItemCount(m_window, first + static_cast<int>(texts.size()));
    // Only the text: the control gives each new entry its empty box.
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        item.iItem = first + static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(texts[i].c_str());
        if (ListView_InsertItem(m_window, &item) < 0) {
            ThrowLastError(L"adding a service to the list");
        }
    }
    RememberLongest(texts);
    // Sized while redrawing is off, so the control lays the entries out once, when it is back on.
    FitColumn();
    if (first == 0) {
        // Space ticks the focused entry; without one it would do nothing until an arrow key.
        ListView_SetItemState(m_window, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    }
}

std::wstring CheckListControl::TextAt(int index) const
{
    // The control copies what fits and says how much that was; a full buffer may mean more.
    std::wstring text(kTextBuffer, L'\0');
    for (;;) {
        LVITEMW item{};
        item.iSubItem = 0;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size());
        const LRESULT copied = ::SendMessageW(m_window, LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                                              reinterpret_cast<LPARAM>(&item));
        const auto length = copied > 0 ? static_cast<std::size_t>(copied) : 0;
        if (length + 1 < text.size() || text.size() > static_cast<std::size_t>(INT_MAX) / 2) {
            text.resize(length);
            return text;
        }
        text.assign(text.size() * 2, L'\0');
    }
}

bool CheckListControl::CheckedAt(int index) const
{
    // State image 2 is the ticked box, 1 the empty one.
    const auto state = static_cast<UINT>(ListView_GetItemState(m_window, index, LVIS_STATEIMAGEMASK));
    return state == INDEXTOSTATEIMAGEMASK(2u);
}

std::optional<LRESULT> CheckListControl::OnNotify(const NMHDR& header)
{
    if (header.hwndFrom != m_window) {
        return std::nullopt;
    }
    if (header.code == LVN_DELETEALLITEMS) {
        // No notification per entry when the whole list goes: nothing of ours hangs on an entry.
        return TRUE;
    }
    // Everything else, ticks included, is the control's own business: nothing here vetoes,
    // repeats or replaces what it does and reports to screen readers.
    return std::nullopt;
}

} // namespace quenlow
