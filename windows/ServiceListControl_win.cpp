#include "windows/ServiceListControl_win.h"

#include "common/Error.h"
#include "ui/RedrawOff_win.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <numeric>

namespace quenlow {

namespace {

[[noreturn]] void ThrowListError(const wchar_t* what)
{
    const DWORD code = ::GetLastError();
    const auto number = static_cast<std::int32_t>(code ? HRESULT_FROM_WIN32(code) : E_OUTOFMEMORY);
    throw Error(number, what);
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
                                         LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
                                     0, 0, 0, 0, parent, menu, instance, nullptr);
        if (!m_window) {
            ThrowListError(L"The list of services could not be created.");
        }
        // A label tip shows the whole text of an entry that is still cut at the list's edge.
        const DWORD extended = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP;
        ListView_SetExtendedListViewStyleEx(m_window, extended, extended);
        // The check boxes' state is asked of us (LVN_GETDISPINFO), also by screen readers.
        ListView_SetCallbackMask(m_window, LVIS_STATEIMAGEMASK);
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH;
        column.cx = 0;
        if (ListView_InsertColumn(m_window, 0, &column) == -1) {
            ThrowListError(L"The list of services could not be created.");
        }
    } else {
        // Without LBS_NOINTEGRALHEIGHT the list box shows whole entries only; without LBS_SORT
        // it keeps the order in which entries are added.
        m_window = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTBOXW, accessibleName,
                                     WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY, 0, 0, 0, 0,
                                     parent, menu, instance, nullptr);
        if (!m_window) {
            ThrowListError(L"The list of services could not be created.");
        }
    }
}

void ServiceListControl::SetBounds(const RECT& bounds, HFONT font)
{
    ::SendMessageW(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SetWindowPos(m_window, nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    // A new font (a new DPI) gives the texts new widths.
    m_widestEntry = 0;
    MeasureTexts(0);
    FitColumn();
    ::InvalidateRect(m_window, nullptr, TRUE);
}

void ServiceListControl::FitColumn() const
{
    if (m_kind != ListKind::CheckBoxes) {
        return;
    }
    // The one column fills the visible part of the list, and is wider only when an entry
    // needs it: then a horizontal scroll bar reaches the end of a long name.
    RECT client{};
    ::GetClientRect(m_window, &client);
    ListView_SetColumnWidth(m_window, 0, std::max<int>(client.right - client.left, m_widestEntry));
}

void ServiceListControl::MeasureTexts(std::size_t first)
{
    if (m_kind != ListKind::CheckBoxes || first >= m_texts.size()) {
        return;
    }
    // Measuring every text would cost more than the whole fill of a long list. The widest text
    // is among the longest ones, so only the longest few hundred are measured.
    constexpr std::size_t kMeasured = 256;
    std::vector<std::size_t> candidates(m_texts.size() - first);
    std::iota(candidates.begin(), candidates.end(), first);
    if (candidates.size() > kMeasured) {
        std::nth_element(candidates.begin(), candidates.begin() + kMeasured, candidates.end(),
                         [&](std::size_t a, std::size_t b) { return m_texts[a].size() > m_texts[b].size(); });
        candidates.resize(kMeasured);
    }
    const HDC dc = ::GetDC(m_window);
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(m_window, WM_GETFONT, 0, 0));
    const HGDIOBJ previousFont = font ? ::SelectObject(dc, font) : nullptr;
    int widestText = 0;
    for (const std::size_t i : candidates) {
        SIZE size{};
        if (::GetTextExtentPoint32W(dc, m_texts[i].c_str(), static_cast<int>(m_texts[i].size()), &size)) {
            widestText = std::max<int>(widestText, size.cx);
        }
    }
    if (previousFont) {
        ::SelectObject(dc, previousFont);
    }
    ::ReleaseDC(m_window, dc);
    // The check box and the gaps around the text.
    const int checkBox = ::GetSystemMetrics(SM_CXSMICON);
    const int gaps = 2 * ::GetSystemMetrics(SM_CXEDGE) + 12;
    m_widestEntry = std::max(m_widestEntry, widestText + checkBox + gaps);
}

void ServiceListControl::Clear()
{
    if (m_kind == ListKind::CheckBoxes) {
        m_texts.clear();
        m_checked.clear();
        m_widestEntry = 0;
        ListView_SetItemCountEx(m_window, 0, 0);
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
        return;
    }
    const bool wasEmpty = m_texts.empty();
    const std::size_t first = m_texts.size();
    m_texts.insert(m_texts.end(), texts.begin(), texts.end());
    MeasureTexts(first);
    m_checked.resize(m_texts.size(), false);
    // One message whatever the count: nothing to gain from turning redrawing off, which costs
    // a full repaint when it is turned back on.
    ListView_SetItemCountEx(m_window, static_cast<int>(m_texts.size()), wasEmpty ? 0 : LVSICF_NOSCROLL);
    FitColumn();
    if (wasEmpty) {
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
            ThrowListError(L"The list could not take another service.");
        }
    }
}

std::size_t ServiceListControl::Count() const
{
    if (m_kind == ListKind::CheckBoxes) {
        return m_texts.size();
    }
    const LRESULT count = ::SendMessageW(m_window, LB_GETCOUNT, 0, 0);
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
            ThrowListError(L"The text of a list entry could not be read.");
        }
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const LRESULT copied =
            ::SendMessageW(m_window, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
        return text;
    }
    return m_texts[static_cast<std::size_t>(index)];
}

bool ServiceListControl::Checked(std::size_t position) const
{
    const int index = Position(position);
    if (m_kind == ListKind::Plain) {
        return ::SendMessageW(m_window, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
    }
    return m_checked[static_cast<std::size_t>(index)];
}

void ServiceListControl::Toggle(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_checked.size()) {
        return;
    }
    const auto position = static_cast<std::size_t>(index);
    m_checked[position] = !m_checked[position];
    ListView_RedrawItems(m_window, index, index);
    // The control did not change the state itself, so screen readers hear of it from here.
    ::NotifyWinEvent(EVENT_OBJECT_STATECHANGE, m_window, OBJID_CLIENT, index + 1);
}

int ServiceListControl::FindByPrefix(const NMLVFINDITEMW& find) const
{
    // Typing letters moves to the next entry that begins with them, as in any list.
    if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz || m_texts.empty()) {
        return -1;
    }
    const std::wstring_view prefix(find.lvfi.psz);
    const int count = static_cast<int>(m_texts.size());
    const int start = find.iStart >= 0 && find.iStart < count ? find.iStart : 0;
    for (int step = 0; step < count; ++step) {
        const int index = (start + step) % count;
        const std::wstring& text = m_texts[static_cast<std::size_t>(index)];
        if (text.size() >= prefix.size() &&
            ::CompareStringOrdinal(text.data(), static_cast<int>(prefix.size()), prefix.data(),
                                   static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL) {
            return index;
        }
        if (!(find.lvfi.flags & LVFI_WRAP) && index == count - 1) {
            break;
        }
    }
    return -1;
}

std::optional<LRESULT> ServiceListControl::OnNotify(const NMHDR& header)
{
    if (m_kind != ListKind::CheckBoxes || header.hwndFrom != m_window) {
        return std::nullopt;
    }
    switch (header.code) {
    case LVN_GETDISPINFOW: {
        auto& item = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item;
        if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= m_texts.size()) {
            return 0;
        }
        const auto position = static_cast<std::size_t>(item.iItem);
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
            ::lstrcpynW(item.pszText, m_texts[position].c_str(), item.cchTextMax);
        }
        if (item.mask & LVIF_STATE) {
            constexpr UINT kStateImageMask = LVIS_STATEIMAGEMASK;
            item.state = (item.state & ~kStateImageMask) | INDEXTOSTATEIMAGEMASK(m_checked[position] ? 2u : 1u);
            item.stateMask |= LVIS_STATEIMAGEMASK;
        }
        return 0;
    }
    case LVN_ODFINDITEMW:
        return FindByPrefix(reinterpret_cast<const NMLVFINDITEMW&>(header));
    case LVN_KEYDOWN:
        if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_SPACE) {
            Toggle(ListView_GetNextItem(m_window, -1, LVNI_FOCUSED));
        }
        return 0;
    case NM_CLICK:
    case NM_DBLCLK: {
        // Only a click on the box itself ticks; a click on the text selects.
        LVHITTESTINFO hit{};
        hit.pt = reinterpret_cast<const NMITEMACTIVATE&>(header).ptAction;
        if (ListView_HitTest(m_window, &hit) >= 0 && (hit.flags & LVHT_ONITEMSTATEICON)) {
            Toggle(hit.iItem);
        }
        return 0;
    }
    default:
        return std::nullopt;
    }
}

} // namespace quenlow
