#include "windows/ListWindow_win.h"

#include "common/HResultText_win.h"
#include "ui/Dpi_win.h"
#include "ui/WindowClass_win.h"
#include "ui/WindowPlacement_win.h"
#include "windows/ControlIds_win.h"
#include "windows/PictureButton_win.h"

#include <string>

namespace quenlow {

namespace {

// System colour 8, the colour of window text: the background of every list window.
HBRUSH BackgroundBrush() noexcept
{
    return ::GetSysColorBrush(COLOR_WINDOWTEXT);
}

} // namespace

void ListWindow::RegisterWindowClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass{};
    windowClass.lpfnWndProc = &ListWindow::WindowProcedure;
    // Room for the dialog manager's data: DefDlgProcW keeps its state there.
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = BackgroundBrush();
    windowClass.lpszClassName = kClassName;
    RegisterWindowClassOnce(windowClass);
}

ListWindow::ListWindow(const ListWindowDesign& design, IListWindowEvents& events) noexcept
    : m_design(design), m_events(events), m_list(ServiceListControl::Make(design.listKind))
{
}

ListWindow::~ListWindow()
{
    Destroy();
}

DWORD ListWindow::Style() const noexcept
{
    const DWORD clip = WS_CLIPCHILDREN;
    if (m_design.frame == Frame::Sizable) {
        return WS_OVERLAPPEDWINDOW | clip;
    }
    // A caption without system menu: no control box, so no close, minimise or maximise button.
    return WS_OVERLAPPED | WS_CAPTION | clip;
}

DWORD ListWindow::ExStyle() const noexcept
{
    return m_design.frame == Frame::Sizable ? 0 : WS_EX_DLGMODALFRAME;
}

SIZE ListWindow::OuterSize(UINT dpi) const noexcept
{
    const SIZE client{TwipsToPixels(m_design.clientWidth, dpi), TwipsToPixels(m_design.clientHeight, dpi)};
    return WindowSizeForClient(client, Style(), ExStyle(), dpi);
}

void ListWindow::Create(HINSTANCE instance, HWND owner)
{
    RegisterWindowClass(instance);
    const UINT systemDpi = SystemDpi();
    const SIZE size = OuterSize(systemDpi);
    // Hidden until shown; CW_USEDEFAULT lets the system choose the place, as it does for new
    // windows, and the centred window is moved once its DPI is known.
    const HWND window =
        ::CreateWindowExW(ExStyle(), kClassName, m_design.caption, Style(), CW_USEDEFAULT, CW_USEDEFAULT, size.cx,
                          size.cy, owner, nullptr, instance, this);
    if (!window) {
        ThrowLastError(std::wstring(L"creating the window \"") + m_design.caption + L"\"");
    }
    const UINT dpi = WindowDpi(window);
    CreateControls();
    Layout(dpi);
    PlaceOnScreen(dpi);
}

void ListWindow::PlaceOnScreen(UINT dpi)
{
    const SIZE size = OuterSize(dpi);
    if (m_design.placement == Placement::SystemDefault) {
        ::SetWindowPos(m_window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    CentreOnWorkArea(m_window, size);
}

void ListWindow::CreateControls()
{
    // Created in tab order: the dialog manager moves the focus in creation order.
    m_list->Create(m_window, m_design.listId, m_design.listName);
    for (const auto& button : m_design.buttons) {
        m_buttons.push_back(CreatePictureButton(m_window, button, m_design.defaultButton == button.control));
    }
    if (m_design.defaultButton) {
        ::SendMessageW(m_window, DM_SETDEFID, static_cast<WPARAM>(control_ids::ButtonId(*m_design.defaultButton)),
                       0);
    }
}

void ListWindow::Layout(UINT dpi)
{
    LOGFONTW fontDesign = MessageFont(dpi);
    UniqueHfont font(::CreateFontIndirectW(&fontDesign));
    if (!font) {
        ThrowLastError(L"making the list windows' font");
    }
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        SetButtonPicture(m_buttons[i], m_design.buttons[i], dpi);
    }
    m_list->SetBounds(TwipsToPixels(m_design.listRect, dpi), font.get());
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        const RECT bounds = TwipsToPixels(m_design.buttons[i].rect, dpi);
        ::SendMessageW(m_buttons[i], WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        ::SetWindowPos(m_buttons[i], nullptr, bounds.left, bounds.top, bounds.right - bounds.left,
                       bounds.bottom - bounds.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The controls use the new font from here on; the old one can go.
    m_font = std::move(font);
    ::InvalidateRect(m_window, nullptr, TRUE);
}

void ListWindow::Show()
{
    const bool wasVisible = ::IsWindowVisible(m_window) != FALSE;
    ::ShowWindow(m_window, SW_SHOW);
    ::SetForegroundWindow(m_window);
    if (!wasVisible) {
        // Opened or shown again: the list has the focus, as it comes first in the tab order.
        // Through the dialog manager, so the default button's frame goes back to its place.
        ::SendMessageW(m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_list->Window()), TRUE);
        // Painted now, with its list, rather than after the window it replaces has been torn down.
        ::RedrawWindow(m_window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
}

void ListWindow::Hide() noexcept
{
    ::ShowWindow(m_window, SW_HIDE);
}

void ListWindow::Destroy() noexcept
{
    if (m_window) {
        ::DestroyWindow(m_window);
    }
}

LRESULT ListWindow::DefaultProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefDlgProcW(window, message, wParam, lParam);
}

void ListWindow::OnCommand(WPARAM wParam)
{
    if (HIWORD(wParam) != BN_CLICKED) {
        return;
    }
    // IDOK and IDCANCEL (Enter without a default button, Escape) match no button and do nothing.
    const int id = LOWORD(wParam);
    for (const auto& button : m_design.buttons) {
        if (control_ids::ButtonId(button.control) == id) {
            m_events.OnClick(m_design.window, button.control);
            return;
        }
    }
}

LRESULT ListWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        OnCommand(wParam);
        return 0;
    case WM_NOTIFY:
        if (const auto result = m_list->OnNotify(*reinterpret_cast<const NMHDR*>(lParam))) {
            return *result;
        }
        break;
    case WM_CLOSE:
        // The title bar's close button, the system menu's Close or Alt+F4: the program unloads
        // the window (once the handler that runs now, if any, is done).
        m_events.OnClosedByUser(m_design.window);
        return 0;
    case WM_SYSCOMMAND:
        // The task bar's Close reaches a window that a wait or a box has disabled too, where the
        // system would drop it: every close goes to the program, which says what it means then.
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            m_events.OnClosedByUser(m_design.window);
            return 0;
        }
        break;
    case WM_SETCURSOR:
        if (m_events.Busy()) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(BackgroundBrush());
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(m_window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        Layout(HIWORD(wParam));
        return 0;
    }
    default:
        break;
    }
    return CallDefault(message, wParam, lParam);
}

} // namespace quenlow
