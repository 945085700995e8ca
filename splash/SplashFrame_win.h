#pragma once

#include "splash/SplashContent_win.h"
#include "ui/BaseWindow_win.h"
#include "ui/WindowClassNames.h"

#include <windows.h>

#include <functional>

namespace quenlow::splash {

// Frame1: a child window that draws the black ground and the border beneath its controls (the
// logo and the transparent labels of SplashContent, which take their own mouse input) and owns
// the mouse over the rest of its surface, so that movement over the frame never reaches the
// splash window's own surface. A click on the frame's own surface, beside its controls, is
// reported.
class SplashFrame final : public BaseWindow<SplashFrame> {
public:
    // The splash window owns the frame object and deletes it after the frame's window is gone.
    SplashFrame(SplashContent& content, std::function<void()> onClick);

    // Creates the frame as a child of the splash window, then the content's controls inside it;
    // throws quenlow::Error on failure.
    void Create(HWND parent, HINSTANCE instance);

    static constexpr const wchar_t* kClassName = kSplashFrameClassName;

private:
    friend class BaseWindow<SplashFrame>;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    LRESULT OnControlColour(HDC dc, HWND control);
    bool OnDrawItem(const DRAWITEMSTRUCT& item);
    void OnButtonDown();
    void OnButtonUp(POINT point);
    bool IsOwnSurface(POINT point) const noexcept;

    SplashContent& m_content;
    std::function<void()> m_onClick;
    // The left button went down on the frame's own surface and has not been released yet.
    bool m_pressed = false;
};

} // namespace quenlow::splash
