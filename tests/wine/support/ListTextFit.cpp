#include "support/ListTextFit.h"

#include "common/HResultText_win.h"

#include <commctrl.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace quenlow::testing {

namespace {

// Wider than any column the tests look for; the reference drawing is made at this width.
constexpr int kWideColumn = 2000;

} // namespace

ListTextFit::ListTextFit()
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        ThrowLastError(L"SystemParametersInfoW");
    }
    m_font = ::CreateFontIndirectW(&metrics.lfMessageFont);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    m_host = ::CreateWindowExW(0, WC_STATICW, L"", WS_POPUP, 0, 0, kWideColumn + 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
    m_list = m_host ? ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                        WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL |
                                            LVS_SHOWSELALWAYS,
                                        0, 0, kWideColumn + 50, 80, m_host, nullptr, nullptr, nullptr)
                    : nullptr;
    if (!m_font || !m_list) {
        if (m_host) {
            ::DestroyWindow(m_host);
        }
        if (m_font) {
            ::DeleteObject(m_font);
        }
        throw std::runtime_error("the list that judges text widths could not be made");
    }
    ::SendMessageW(m_list, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    const DWORD extended = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP;
    ListView_SetExtendedListViewStyleEx(m_list, extended, extended);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = kWideColumn;
    ListView_InsertColumn(m_list, 0, &column);
}

ListTextFit::~ListTextFit()
{
    ::DestroyWindow(m_host);
    ::DeleteObject(m_font);
}

std::vector<DWORD> ListTextFit::Draw(const RECT& row)
{
    RECT client{};
    ::GetClientRect(m_list, &client);
    const auto releaseDc = [this](HDC dc) { ::ReleaseDC(m_list, dc); };
    const std::unique_ptr<std::remove_pointer_t<HDC>, decltype(releaseDc)> screen(::GetDC(m_list), releaseDc);
    const std::unique_ptr<std::remove_pointer_t<HDC>, decltype(&::DeleteDC)> memory(
        ::CreateCompatibleDC(screen.get()), &::DeleteDC);
    const std::unique_ptr<std::remove_pointer_t<HBITMAP>, decltype(&::DeleteObject)> bitmap(
        ::CreateCompatibleBitmap(screen.get(), client.right, client.bottom), &::DeleteObject);
    if (!screen || !memory || !bitmap) {
        throw std::runtime_error("the judging list could not be drawn");
    }
    const HGDIOBJ previous = ::SelectObject(memory.get(), bitmap.get());
    ::SendMessageW(m_list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.get()), PRF_CLIENT | PRF_ERASEBKGND);
    ::SelectObject(memory.get(), previous);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<std::size_t>(client.right) * static_cast<std::size_t>(client.bottom));
    ::GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(client.bottom), pixels.data(), &info,
                DIB_RGB_COLORS);
    const auto first = pixels.begin() + static_cast<std::ptrdiff_t>(row.top) * client.right;
    return std::vector<DWORD>(first, first + static_cast<std::ptrdiff_t>(row.bottom - row.top) * client.right);
}

bool ListTextFit::DrawnAlike(int columnWidth, const RECT& row, const std::vector<DWORD>& reference)
{
    ListView_SetColumnWidth(m_list, 0, columnWidth);
    const std::vector<DWORD> drawn = Draw(row);
    RECT client{};
    ::GetClientRect(m_list, &client);
    for (int y = 0; y < row.bottom - row.top; ++y) {
        for (int x = 0; x < columnWidth && x < client.right; ++x) {
            const auto at = static_cast<std::size_t>(y) * static_cast<std::size_t>(client.right) +
                            static_cast<std::size_t>(x);
            if (drawn[at] != reference[at]) {
                return false;
            }
        }
    }
    return true;
}

int ListTextFit::ColumnWidthForWhole(std::wstring_view text)
{
    const std::wstring copy(text);
    ListView_DeleteAllItems(m_list);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<wchar_t*>(copy.c_str());
    if (ListView_InsertItem(m_list, &item) < 0) {
        throw std::runtime_error("the judging list refused a text");
    }
    RECT row{};
    row.left = LVIR_BOUNDS;
    ::SendMessageW(m_list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    ListView_SetColumnWidth(m_list, 0, kWideColumn);
    const std::vector<DWORD> reference = Draw(row);
    // Whole at the wide width and cut below the narrowest whole one: a search by halves.
    int cut = 0;
    int whole = kWideColumn;
    while (whole - cut > 1) {
        const int middle = (cut + whole) / 2;
        (DrawnAlike(middle, row, reference) ? whole : cut) = middle;
    }
    return whole;
}

int ListTextFit::StringWidth(std::wstring_view text) const
{
    const std::wstring copy(text);
    return static_cast<int>(::SendMessageW(m_list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(copy.c_str())));
}

} // namespace quenlow::testing
