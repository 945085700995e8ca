#include "bench/SameControlsWindow_win.h"

#include "bench/MinimalWindow.h"
#include "resources/button_ids.h"

#include <commctrl.h>

#include <algorithm>
#include <span>

namespace quenlow::bench {

namespace {

// A place and size in twips, relative to the client area.
struct Twips {
    int left;
    int top;
    int width;
    int height;
};

struct Button {
    const wchar_t* caption;
    Twips place;
    int picture; // the 100 % bitmap of resources/buttons.rc
    bool isDefault;
};

struct Design {
    const wchar_t* caption;
    int clientWidth;  // twips
    int clientHeight; // twips
    bool centred;     // on the work area; otherwise where the system puts new windows
    bool sizable;     // otherwise a caption only, without the system menu
    bool checkBoxes;  // a check-box ListView; otherwise a plain list box
    Twips list;
    std::span<const Button> buttons; // in tab order
};

constexpr Button kStoppedButtons[] = {
    {L"Start", {4920, 240, 1095, 975}, IDB_START, true},
    {L"Active Services", {4920, 1440, 1095, 975}, IDB_ACTIVE_SERVICES, false},
    {L"All Services", {4920, 2640, 1095, 975}, IDB_ALL_SERVICES, false},
    {L"Close", {4920, 5040, 1095, 975}, IDB_CLOSE, false},
    {L"Refresh", {4920, 3840, 1095, 975}, IDB_REFRESH, false},
};

constexpr Button kActiveButtons[] = {
    {L"All Services", {4680, 2640, 1095, 975}, IDB_ALL_SERVICES, false},
    {L"Stopped Services", {4680, 1440, 1095, 975}, IDB_STOPPED_SERVICES, false},
    {L"Stop", {4680, 240, 1095, 975}, IDB_STOP, true},
    {L"Close", {4680, 5040, 1095, 975}, IDB_CLOSE, false},
    {L"Refresh", {4680, 3840, 1095, 975}, IDB_REFRESH, false},
};

constexpr Button kAllButtons[] = {
    {L"Close", {5160, 240, 1095, 855}, IDB_CLOSE, false},
};

const Design kStopped{L"Stopped Services", 6315, 7995, true, true, true, {240, 120, 4455, 7710}, kStoppedButtons};
const Design kActive{L"Active Services List", 6120, 9600, false, true, true, {240, 240, 4095, 9060}, kActiveButtons};
const Design kAll{L"All Services List", 6465, 9540, false, false, false, {240, 120, 4695, 9225}, kAllButtons};

const Design& DesignOf(ListedServices listed)
{
    switch (listed) {
    case ListedServices::Stopped: return kStopped;
    case ListedServices::Running: return kActive;
    case ListedServices::All: break;
    }
    return kAll;
}

// The pictures are drawn on magenta, which the image list makes transparent.
constexpr COLORREF kPictureMask = RGB(255, 0, 255);
// Space above a button's picture, in pixels at 96 DPI.
constexpr int kPictureTopMargin = 6;
constexpr int kFirstControlId = 100;

UINT ScreenDpi()
{
    const UniqueScreenDc screen(::GetDC(nullptr));
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

int Pixels(int twips, UINT dpi)
{
    return ::MulDiv(twips, static_cast<int>(dpi), 1440);
}

// Creates a child control at the place in twips, in the font.
HWND CreateControl(HWND parent, DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style,
                   const Twips& place, int id, HFONT font, UINT dpi)
{
    const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    // Each edge on its own, so that controls that touch in the design still touch.
    const int left = Pixels(place.left, dpi);
    const int top = Pixels(place.top, dpi);
    const int width = Pixels(place.left + place.width, dpi) - left;
    const int height = Pixels(place.top + place.height, dpi) - top;
    const HWND control =
        ::CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, left, top, width,
                          height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (control) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return control;
}

// Case-insensitive order in the user's locale.
void SortNoCase(std::vector<std::wstring>& names)
{
    std::stable_sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return ::CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()),
                                 b.c_str(), static_cast<int>(b.size()), nullptr, nullptr, 0) == CSTR_LESS_THAN;
    });
}

bool FillCheckBoxList(HWND list, const std::vector<std::wstring>& names)
{
    ListView_SetExtendedListViewStyle(list,
                                      LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    if (ListView_InsertColumn(list, 0, &column) == -1) {
        return false;
    }
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_SetItemCount(list, static_cast<int>(names.size()));
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    for (const auto& name : names) {
        item.pszText = const_cast<wchar_t*>(name.c_str());
        if (ListView_InsertItem(list, &item) == -1) {
            return false;
        }
        ++item.iItem;
    }
    // As wide as the widest entry, so that none is cut.
    ListView_SetColumnWidth(list, 0, LVSCW_AUTOSIZE);
    if (!names.empty()) {
        ListView_SetItemState(list, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    return true;
}

bool FillListBox(HWND list, const std::vector<std::wstring>& names)
{
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (const auto& name : names) {
        const LRESULT added = ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        if (added == LB_ERR || added == LB_ERRSPACE) {
            return false;
        }
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    return true;
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams));
        return ::DefWindowProcW(window, message, wParam, lParam);
    case WM_CTLCOLORBTN:
        // The buttons' surroundings in the window's own colour.
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOWTEXT));
    case WM_DESTROY:
        if (::GetWindowLongPtrW(window, GWLP_USERDATA)) {
            ::PostQuitMessage(0);
        }
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

bool SameControlsWindow::AddPicture(HWND button, HINSTANCE instance, int picture, UINT dpi)
{
    // The drawing made for the DPI nearest to the screen's.
    const int step = dpi >= 168 ? IDB_STEP_200 : dpi >= 120 ? IDB_STEP_150 : 0;
    const UniqueHbitmap bitmap(static_cast<HBITMAP>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(picture + step), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP size{};
    if (!bitmap || !::GetObjectW(bitmap.get(), sizeof(size), &size)) {
        return false;
    }
    UniqueImageList list(::ImageList_Create(size.bmWidth, size.bmHeight, ILC_COLOR24 | ILC_MASK, 1, 0));
    if (!list || ::ImageList_AddMasked(list.get(), bitmap.get(), kPictureMask) == -1) {
        return false;
    }
    BUTTON_IMAGELIST image{};
    image.himl = list.get();
    image.margin = RECT{0, ::MulDiv(kPictureTopMargin, static_cast<int>(dpi), 96), 0, 0};
    image.uAlign = BUTTON_IMAGELIST_ALIGN_TOP;
    if (!Button_SetImageList(button, &image)) {
        return false;
    }
    m_pictures.push_back(std::move(list));
    return true;
}

bool SameControlsWindow::Show(HINSTANCE instance, ListedServices listed, const std::vector<std::wstring>& names,
                              Ending ending)
{
    const Design& design = DesignOf(listed);
    std::vector<std::wstring> sorted = names;
    SortNoCase(sorted);

    const HBRUSH background = ::GetSysColorBrush(COLOR_WINDOWTEXT);
    if (!RegisterPlainClass(instance, kBareWmiSameControlsClass, WindowProcedure, background) &&
        ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        return false;
    }
    m_font.reset(::CreateFontIndirectW(&metrics.lfMessageFont));
    if (!m_font) {
        return false;
    }

    const UINT dpi = ScreenDpi();
    const DWORD style = (design.sizable ? WS_OVERLAPPEDWINDOW : WS_OVERLAPPED | WS_CAPTION) | WS_CLIPCHILDREN;
    const DWORD exStyle = design.sizable ? 0 : WS_EX_DLGMODALFRAME;
    RECT outer{0, 0, Pixels(design.clientWidth, dpi), Pixels(design.clientHeight, dpi)};
    ::AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    RECT workArea{};
    if (design.centred && ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0)) {
        x = workArea.left + std::max(0L, (workArea.right - workArea.left - width) / 2);
        y = workArea.top + std::max(0L, (workArea.bottom - workArea.top - height) / 2);
    }
    void* const quits = reinterpret_cast<void*>(static_cast<INT_PTR>(ending == Ending::QuitsTheProgram));
    UniqueHwnd window(::CreateWindowExW(exStyle, kBareWmiSameControlsClass, design.caption, style, x, y, width,
                                          height, nullptr, nullptr, instance, quits));
    if (!window) {
        return false;
    }

    int id = kFirstControlId;
    const HWND list =
        design.checkBoxes
            ? CreateControl(window.get(), WS_EX_CLIENTEDGE, WC_LISTVIEWW, design.caption,
                            LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS, design.list, id++,
                            m_font.get(), dpi)
            : CreateControl(window.get(), WS_EX_CLIENTEDGE, WC_LISTBOXW, design.caption, WS_VSCROLL | LBS_NOTIFY,
                            design.list, id++, m_font.get(), dpi);
    if (!list) {
        return false;
    }
    for (const Button& button : design.buttons) {
        const HWND control =
            CreateControl(window.get(), 0, WC_BUTTONW, button.caption,
                          BS_MULTILINE | static_cast<DWORD>(button.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                          button.place, id++, m_font.get(), dpi);
        if (!control || !AddPicture(control, instance, button.picture, dpi)) {
            return false;
        }
    }
    if (!(design.checkBoxes ? FillCheckBoxList(list, sorted) : FillListBox(list, sorted))) {
        return false;
    }

    // From here on the window's close destroys it.
    m_window = window.release();
    ::ShowWindow(m_window, SW_SHOW);
    ::UpdateWindow(m_window);
    ::SetFocus(list);
    return true;
}

void SameControlsWindow::Destroy() noexcept
{
    if (m_window && ::IsWindow(m_window)) {
        ::DestroyWindow(m_window);
    }
    m_window = nullptr;
}

} // namespace quenlow::bench
