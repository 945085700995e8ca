#pragma once

#include "splash/SplashContent_win.h"

#include <windows.h>

#include <functional>

namespace quenlow::splash {

// Frame1: a child window that draws the black ground and the border beneath its controls (the
// logo and the transparent labels of SplashContent, which take their own mouse input) and owns
// the mouse over the rest of its surface, so that movement over the frame never reaches the
// splash window's own surface. A click on the frame's own surface, beside its controls, is
// reported.
class SplashFrame {
public:
    SplashFrame(SplashContent& content, std::function<void()> onClick);

    SplashFrame(const SplashFrame&) = delete;
    SplashFrame& operator=(const SplashFrame&) = delete;

    // Creates the frame as a child of the splash window, then the content's controls inside it;
    // throws quenlow::Error on failure.
    void Create(HWND parent, HINSTANCE instance);
    HWND Window() const noexcept { return m_window; }

    static constexpr wchar_t kClassName[] = L"QuenlowSplashFrame";

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    LRESULT OnControlColour(HDC dc, HWND control);
    bool OnDrawItem(const DRAWITEMSTRUCT& item);
    void OnButtonDown();
    void OnButtonUp(POINT point);
    bool IsOwnSurface(POINT point) const noexcept;

    SplashContent& m_content;
    std::function<void()> m_onClick;
    HWND m_window = nullptr;
    // The left button went down on the frame's own surface and has not been released yet.
    bool m_pressed = false;
};

} // namespace quenlow::splash
