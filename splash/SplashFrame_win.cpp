#include "splash/SplashFrame_win.h"

#include "common/HResultText_win.h"
#include "ui/UniqueGdi_win.h"
#include "ui/WindowClass_win.h"

#include <windowsx.h>

#include <utility>

namespace quenlow::splash {

SplashFrame::SplashFrame(SplashContent& content, std::function<void()> onClick)
    : m_content(content), m_onClick(std::move(onClick))
{
}

void SplashFrame::Create(HWND parent, HINSTANCE instance)
{
    WNDCLASSEXW windowClass{};
    windowClass.lpfnWndProc = &SplashFrame::WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kClassName;
    RegisterWindowClassOnce(windowClass);
    // Not a tab stop and never focused: every key press stays with the splash window itself.
    // No WS_CLIPCHILDREN: the frame paints the ground that shows through its transparent labels.
    const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_ids::Frame1));
    if (!::CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent, id,
                           instance, this)) {
        ThrowLastError(L"creating the splash window's frame");
    }
    m_content.Create(m_window, instance);
}

LRESULT SplashFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1; // WM_PAINT covers every pixel
    case WM_CTLCOLORSTATIC:
        return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
        if (OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) {
            return TRUE;
        }
        return CallDefault(message, wParam, lParam);
    case WM_LBUTTONDOWN:
        OnButtonDown();
        return 0;
    case WM_LBUTTONUP:
        // May unload the splash window, and this object with it: nothing may follow.
        OnButtonUp(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_CAPTURECHANGED:
        m_pressed = false;
        return 0;
    default:
        // The labels' and the logo's notifications (STN_CLICKED...) end here: they have no
        // handler.
        return CallDefault(message, wParam, lParam);
    }
}

void SplashFrame::OnPaint()
{
    const ScopedPaint paint(m_window);
    if (!paint.Dc()) {
        return;
    }
    RECT client{};
    ::GetClientRect(m_window, &client);
    m_content.PaintGround(paint.Dc(), client);
}

LRESULT SplashFrame::OnControlColour(HDC dc, HWND control)
{
    const auto colour = m_content.TextColour(control);
    if (!colour) {
        return CallDefault(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    }
    // Transparent: the label draws its text only, over the ground the frame has painted.
    ::SetTextColor(dc, *colour);
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}

bool SplashFrame::OnDrawItem(const DRAWITEMSTRUCT& item)
{
    if (item.CtlType != ODT_STATIC || item.hwndItem != m_content.Logo()) {
        return false;
    }
    m_content.DrawLogo(item.hDC, item.rcItem);
    return true;
}

void SplashFrame::OnButtonDown()
{
    // Only the frame's own surface sends the frame its mouse input: the labels and the logo
    // take theirs.
    m_pressed = true;
    ::SetCapture(m_window);
}

void SplashFrame::OnButtonUp(POINT point)
{
    if (!m_pressed) {
        return;
    }
    m_pressed = false;
    ::ReleaseCapture();
    // A click is a press and a release both on the frame's own surface.
    if (IsOwnSurface(point)) {
        m_onClick();
    }
}

bool SplashFrame::IsOwnSurface(POINT point) const noexcept
{
    RECT client{};
    ::GetClientRect(m_window, &client);
    return ::PtInRect(&client, point) && ::ChildWindowFromPointEx(m_window, point, CWP_SKIPINVISIBLE) == m_window;
}

} // namespace quenlow::splash
