#include "bench/BareLists_win.h"

#include "ui/Dpi_win.h"
#include "ui/RedrawOff_win.h"

#include <commctrl.h>

#include <stdexcept>

namespace quenlow::bench {

namespace {

constexpr wchar_t kHostClass[] = L"QuenlowBenchListHost";

// The stopped services window's list: 4455 x 7710 twips.
constexpr int kListWidthTwips = 4455;
constexpr int kListHeightTwips = 7710;

void RegisterHostClass(HINSTANCE instance)
{
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(instance, kHostClass, &existing)) {
        return;
    }
    WNDCLASSEXW host{};
    host.cbSize = sizeof(host);
    host.lpfnWndProc = ::DefWindowProcW;
    host.hInstance = instance;
    host.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    host.hbrBackground = ::GetSysColorBrush(COLOR_WINDOWTEXT);
    host.lpszClassName = kHostClass;
    if (!::RegisterClassExW(&host)) {
        throw std::runtime_error("the bench's host window class could not be registered");
    }
}

} // namespace

BareListHost::BareListHost(HINSTANCE instance, BareList kind, HFONT font) : m_kind(kind)
{
    RegisterHostClass(instance);
    const int width = TwipsToPixels(kListWidthTwips, kDesignDpi);
    const int height = TwipsToPixels(kListHeightTwips, kDesignDpi);
    RECT outer{0, 0, width + 32, height + 32};
    ::AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, 0);
    m_host = ::CreateWindowExW(0, kHostClass, L"Bare list", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                               outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
    if (!m_host) {
        throw std::runtime_error("the bench's host window could not be created");
    }
    if (kind == BareList::CheckBoxListView) {
        m_list = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT |
                                       LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                                   16, 16, width, height, m_host, nullptr, instance, nullptr);
        if (m_list) {
            const DWORD extended = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
            ListView_SetExtendedListViewStyleEx(m_list, extended, extended);
            LVCOLUMNW column{};
            column.mask = LVCF_WIDTH;
            column.cx = width - 24;
            ListView_InsertColumn(m_list, 0, &column);
        }
    } else {
        m_list = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTBOXW, L"",
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY, 16, 16, width, height,
                                   m_host, nullptr, instance, nullptr);
    }
    if (!m_list) {
        ::DestroyWindow(m_host);
        throw std::runtime_error("the bench's bare list could not be created");
    }
    ::SendMessageW(m_list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::ShowWindow(m_host, SW_SHOW);
    ::UpdateWindow(m_host);
}

BareListHost::~BareListHost()
{
    ::DestroyWindow(m_host);
}

void BareListHost::Fill(const std::vector<std::wstring>& sortedTexts)
{
    {
        const RedrawOff redrawOff(m_list);
        if (m_kind == BareList::CheckBoxListView) {
            ListView_SetItemCount(m_list, static_cast<int>(sortedTexts.size()));
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            for (std::size_t i = 0; i < sortedTexts.size(); ++i) {
                item.iItem = static_cast<int>(i);
                item.pszText = const_cast<wchar_t*>(sortedTexts[i].c_str());
                if (ListView_InsertItem(m_list, &item) < 0) {
                    throw std::runtime_error("the bare ListView refused an entry");
                }
            }
        } else {
            std::size_t characters = 0;
            for (const auto& text : sortedTexts) {
                characters += text.size() + 1;
            }
            ::SendMessageW(m_list, LB_INITSTORAGE, sortedTexts.size(),
                           static_cast<LPARAM>(characters * sizeof(wchar_t)));
            for (const auto& text : sortedTexts) {
                const LRESULT added = ::SendMessageW(m_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
                if (added == LB_ERR || added == LB_ERRSPACE) {
                    throw std::runtime_error("the bare list box refused an entry");
                }
            }
        }
    }
    ::RedrawWindow(m_host, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

std::size_t BareListHost::Count() const
{
    const LRESULT count = m_kind == BareList::CheckBoxListView ? ListView_GetItemCount(m_list)
                                                               : ::SendMessageW(m_list, LB_GETCOUNT, 0, 0);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

} // namespace quenlow::bench
