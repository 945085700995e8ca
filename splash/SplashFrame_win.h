#pragma once

#include "splash/SplashContent_win.h"

#include <windows.h>

#include <functional>

namespace quenlow::splash {

// Frame1: a child window that draws the splash window's content and owns the mouse over it,
// so that movement over the frame, its labels and its logo never reaches the window's own
// surface. A click on the frame's own surface, beside the labels and the logo, is reported.
class SplashFrame {
public:
    SplashFrame(SplashContent& content, std::function<void()> onClick);

    SplashFrame(const SplashFrame&) = delete;
    SplashFrame& operator=(const SplashFrame&) = delete;

    // Creates the frame as a child of the splash window; throws quenlow::Error on failure.
    void Create(HWND parent, HINSTANCE instance);
    HWND Window() const noexcept { return m_window; }

    static constexpr wchar_t kClassName[] = L"QuenlowSplashFrame";

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void OnButtonDown(POINT point);
    void OnButtonUp(POINT point);

    SplashContent& m_content;
    std::function<void()> m_onClick;
    HWND m_window = nullptr;
    // The left button went down on the frame's own surface and has not been released yet.
    bool m_pressed = false;
};

} // namespace quenlow::splash
