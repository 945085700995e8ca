#include "windows/ServiceListControl_win.h"

#include "common/Error.h"
#include "common/HResultText_win.h"
#include "ui/RedrawOff_win.h"
#include "ui/UniqueGdi_win.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <utility>

namespace quenlow {

namespace {

// The widest text is among the longest ones; measuring only these few keeps a fill of tens of
// thousands of entries from costing more than the fill itself.
constexpr std::size_t kMeasuredTexts = 256;

// How far right of its label's left edge (LVIR_LABEL) the list draws an entry's text. The
// control reports the label's place but not this margin: Wine's comctl32 indents the text by
// 5 pixels (LABEL_HOR_PADDING in its listview.c, at any DPI) and keeps nothing free after it,
// cutting the text with an ellipsis only when it is wider than the rest of the label. Windows
// documents no figure; a text it cuts by a few pixels still shows whole in the label tip.
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

void ServiceListControl::Create(HWND parent, int id, const wchar_t* accessibleName)
{
    const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    const auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    if (m_kind == ListKind::CheckBoxes) {
        // Single selection only limits the highlight: any number of entries can be ticked.
        m_window = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, accessibleName,
                                     WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER |
                                         LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                                     0, 0, 0, 0, parent, menu, instance, nullptr);
        if (!m_window) {
            ThrowLastError(L"creating the list of services");
        }
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
    } else {
        // Without LBS_NOINTEGRALHEIGHT the list box shows whole entries only; without LBS_SORT
        // it keeps the order in which entries are added.
        m_window = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTBOXW, accessibleName,
                                     WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY, 0, 0, 0, 0,
                                     parent, menu, instance, nullptr);
        if (!m_window) {
            ThrowLastError(L"creating the list of services");
        }
    }
}

void ServiceListControl::SetBounds(const RECT& bounds, HFONT font)
{
    ::SendMessageW(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SetWindowPos(m_window, nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    // A new font (a new DPI) gives the texts new widths. An empty list is sized when it is filled.
    if (m_kind == ListKind::CheckBoxes && ListView_GetItemCount(m_window) > 0) {
        m_widestText = MeasureWidest(m_longestTexts);
        FitColumn();
    }
    // Seen in the old font until it paints again; a hidden window paints when it is shown.
    if (::IsWindowVisible(m_window)) {
        ::InvalidateRect(m_window, nullptr, TRUE);
    }
}

int ServiceListControl::MeasureWidest(const std::vector<std::wstring>& texts) const
{
    if (m_kind != ListKind::CheckBoxes || texts.empty()) {
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

void ServiceListControl::RememberLongest(const std::vector<std::wstring>& texts)
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

void ServiceListControl::FitColumn() const
{
    if (m_kind != ListKind::CheckBoxes) {
        return;
    }
    // The client area without scroll bars: while redrawing is off the control has not yet
    // shown or hidden those that its new entries need.
    RECT client{};
    ::GetClientRect(m_window, &client);
    const auto style = ::GetWindowLongPtrW(m_window, GWL_STYLE);
    const int barWidth = ::GetSystemMetrics(SM_CXVSCROLL);
    const int barHeight = ::GetSystemMetrics(SM_CYHSCROLL);
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
        needed = label.left - bounds.left + kLabelTextIndent + m_widestText;
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

void ServiceListControl::Clear()
{
    if (m_kind == ListKind::CheckBoxes) {
        m_longestTexts.clear();
        m_widestText = 0;
        // The ticks go with the entries.
        if (ListView_GetItemCount(m_window) > 0) {
            ListView_DeleteAllItems(m_window);
        }
    } else {
        ::SendMessageW(m_window, LB_RESETCONTENT, 0, 0);
    }
}

void ServiceListControl::Append(const std::vector<std::wstring>& texts)
{
    if (texts.empty()) {
        return;
    }
    if (texts.size() > static_cast<std::size_t>(INT_MAX) - Count()) {
        throw Error(static_cast<std::int32_t>(E_OUTOFMEMORY), L"The list cannot hold so many services.");
    }
    if (m_kind == ListKind::Plain) {
        AppendToListBox(texts);
    } else {
        AppendToListView(texts);
    }
}

void ServiceListControl::AppendToListView(const std::vector<std::wstring>& texts)
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

void ServiceListControl::AppendToListBox(const std::vector<std::wstring>& texts)
{
    const RedrawOff redrawOff(m_window);
    std::size_t characters = 0;
    for (const auto& text : texts) {
        characters += text.size() + 1;
    }
    // Memory for all entries at once; a failure here only means the list grows step by step.
    ::SendMessageW(m_window, LB_INITSTORAGE, texts.size(), static_cast<LPARAM>(characters * sizeof(wchar_t)));
    for (const auto& text : texts) {
        const LRESULT added = ::SendMessageW(m_window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (added == LB_ERR || added == LB_ERRSPACE) {
            ThrowLastError(L"adding a service to the list");
        }
    }
}

std::size_t ServiceListControl::Count() const
{
    const LRESULT count = m_kind == ListKind::CheckBoxes ? ::SendMessageW(m_window, LVM_GETITEMCOUNT, 0, 0)
                                                         : ::SendMessageW(m_window, LB_GETCOUNT, 0, 0);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

int ServiceListControl::Position(std::size_t position) const
{
    if (position >= Count()) {
        throw Error(static_cast<std::int32_t>(E_INVALIDARG), L"The list has no entry at position " +
                                                                 std::to_wstring(position) + L".");
    }
    return static_cast<int>(position);
}

std::wstring ServiceListControl::Text(std::size_t position) const
{
    const int index = Position(position);
    if (m_kind == ListKind::Plain) {
        const LRESULT length = ::SendMessageW(m_window, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
        if (length == LB_ERR) {
            ThrowLastError(L"reading the text of a list entry");
        }
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const LRESULT copied =
            ::SendMessageW(m_window, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
        return text;
    }
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

bool ServiceListControl::Checked(std::size_t position) const
{
    const int index = Position(position);
    if (m_kind == ListKind::Plain) {
        return ::SendMessageW(m_window, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
    }
    // State image 2 is the ticked box, 1 the empty one.
    const auto state = static_cast<UINT>(ListView_GetItemState(m_window, index, LVIS_STATEIMAGEMASK));
    return state == INDEXTOSTATEIMAGEMASK(2u);
}

std::optional<LRESULT> ServiceListControl::OnNotify(const NMHDR& header)
{
    if (m_kind != ListKind::CheckBoxes || header.hwndFrom != m_window) {
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
