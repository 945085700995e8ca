#include "splash/frmSplash_win.h"

#include "common/ApplicationTitle.h"
#include "common/HResultText_win.h"
#include "resources/splash_ids.h"
#include "splash/SplashContent_win.h"
#include "splash/SplashFrame_win.h"
#include "ui/BaseWindow_win.h"
#include "ui/Dpi_win.h"
#include "ui/WindowClass_win.h"
#include "ui/WindowPlacement_win.h"

#include <windowsx.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>

namespace quenlow {

namespace {

using splash::SplashContent;
using splash::SplashFrame;

// The program's icon in the size of the two metrics at the DPI; shared, never destroyed.
HICON AppIcon(HINSTANCE instance, int widthMetric, int heightMetric, UINT dpi)
{
    return static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_QUENLOW), IMAGE_ICON,
                                           SystemMetricAtDpi(widthMetric, dpi), SystemMetricAtDpi(heightMetric, dpi),
                                           LR_SHARED));
}

// A fixed dialog frame without a title bar: WS_DLGFRAME alone, since WS_CAPTION is
// WS_BORDER | WS_DLGFRAME. No system menu, so no control box and no minimise or maximise.
constexpr DWORD kStyle = WS_POPUP | WS_DLGFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;

SIZE OuterSize(UINT dpi) noexcept
{
    const SIZE client{TwipsToPixels(splash::kClientWidth, dpi), TwipsToPixels(splash::kClientHeight, dpi)};
    return WindowSizeForClient(client, kStyle, kExStyle, dpi);
}

class SplashWindow final : public BaseWindow<SplashWindow> {
public:
    SplashWindow(HINSTANCE instance, IWindowEvents& events)
        : m_instance(instance),
          m_events(events),
          m_content(instance),
          m_frame(m_content, [this] { m_events.Click(WindowId::frmSplash, ControlId::Frame1); })
    {
    }

    void SetCaption(LabelId label, std::wstring_view caption);

private:
    friend class BaseWindow<SplashWindow>;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void LayOut(UINT dpi);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void OnMouseMove(POINT clientPoint);

    HINSTANCE m_instance;
    IWindowEvents& m_events;
    SplashContent m_content;
    SplashFrame m_frame;
    // Where the pointer was last seen, in screen coordinates. The system also reports a "move"
    // when a window appears under a resting pointer; only a real movement continues.
    std::optional<POINT> m_lastPointer;
};

LRESULT SplashWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The program's handlers may unload this window, deleting this object: each call into the
    // program is the last thing its case does.
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_GETDLGCODE:
        // Enter, Escape and Tab are key presses here, also under a dialog-style message loop.
        return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    case WM_CHAR:
        m_events.SplashCharacterKey();
        return 0;
    case WM_SHOWWINDOW:
        if (wParam) {
            POINT pointer{};
            m_lastPointer = ::GetCursorPos(&pointer) ? std::optional<POINT>(pointer) : std::nullopt;
        }
        return CallDefault(message, wParam, lParam);
    case WM_MOUSEMOVE:
        // Only the margin around Frame1 is the window's own surface: Frame1 takes the rest.
        OnMouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_CLOSE:
        // Alt+F4 or the task bar's Close: the window is unloaded as by the close button it lacks.
        m_events.ClosedByUser(WindowId::frmSplash);
        return 0;
    case WM_DPICHANGED:
        OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    default:
        return CallDefault(message, wParam, lParam);
    }
}

void SplashWindow::OnCreate()
{
    m_frame.Create(m_window, m_instance);
    LayOut(WindowDpi(m_window));
}

void SplashWindow::LayOut(UINT dpi)
{
    // The icons at the window's own DPI where it is not the system's, at which the class's are:
    // setting them costs the window system a conversion of every image, which most starts need
    // not pay.
    if (dpi != SystemDpi()) {
        for (const auto& [which, width, height] : {std::tuple{ICON_BIG, SM_CXICON, SM_CYICON},
                                                   std::tuple{ICON_SMALL, SM_CXSMICON, SM_CYSMICON}}) {
            if (const HICON icon = AppIcon(m_instance, width, height, dpi)) {
                ::SendMessageW(m_window, WM_SETICON, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(icon));
            }
        }
    }
    m_content.SetDpi(dpi);
    const RECT frame = TwipsToPixels(splash::kFrame1, dpi);
    ::MoveWindow(m_frame.Window(), frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top, FALSE);
    ::RedrawWindow(m_frame.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void SplashWindow::OnDpiChanged(UINT dpi, const RECT& suggested)
{
    // Where and how large the system suggests, as it chose them so that the window stays on the
    // monitor that gave it the new DPI. No bits copied: the old layout's frame line would stay
    // behind in the new margin.
    ::SetWindowPos(m_window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    LayOut(dpi);
    ::RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void SplashWindow::OnMouseMove(POINT clientPoint)
{
    POINT screenPoint = clientPoint;
    ::ClientToScreen(m_window, &screenPoint);
    if (m_lastPointer && m_lastPointer->x == screenPoint.x && m_lastPointer->y == screenPoint.y) {
        return;
    }
    m_lastPointer = screenPoint;
    m_events.SplashMarginMouseMove();
}

void SplashWindow::SetCaption(LabelId label, std::wstring_view caption)
{
    const auto index = splash::LabelIndexOf(label);
    if (!index) {
        throw std::invalid_argument("the splash window has no such label");
    }
    const RECT changed = m_content.SetCaption(*index, caption);
    // The frame first, then the labels over it: a transparent label would leave its old text.
    ::RedrawWindow(m_frame.Window(), &changed, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (*index == splash::lblProductName) {
        // Not drawn (there is no title bar): it names the window on the task bar, in Alt+Tab
        // and to screen readers.
        ::SetWindowTextW(m_window, std::wstring(caption).c_str());
    }
}

void RegisterSplashClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass{};
    windowClass.lpfnWndProc = &SplashWindow::WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = AppIcon(instance, SM_CXICON, SM_CYICON, SystemDpi());
    windowClass.hIconSm = AppIcon(instance, SM_CXSMICON, SM_CYSMICON, SystemDpi());
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kSplashClassName;
    RegisterWindowClassOnce(windowClass);
}

} // namespace

HWND CreateSplashWindow(HINSTANCE instance, IWindowEvents& events)
{
    RegisterSplashClass(instance);
    auto splash = std::make_unique<SplashWindow>(instance, events);
    // Created at the origin, on the primary screen, so that it takes that screen's DPI; then
    // sized for it and centred there.
    const HWND window = ::CreateWindowExW(kExStyle, kSplashClassName, kApplicationTitle, kStyle, 0, 0, 0, 0, nullptr,
                                          nullptr, instance, splash.get());
    if (!window) {
        ThrowLastError(L"creating the splash window");
    }
    splash.release()->HandOverToWindow();
    CentreOnWorkArea(window, OuterSize(WindowDpi(window)));
    return window;
}

void SetSplashLabelCaption(HWND splash, LabelId label, std::wstring_view caption)
{
    SplashWindow* const window = SplashWindow::FromWindow(splash);
    if (!window) {
        throw std::invalid_argument("SetSplashLabelCaption: not a splash window");
    }
    window->SetCaption(label, caption);
}

} // namespace quenlow
