#pragma once

#include "bench/MinimalWindow.h"

#include <windows.h>

namespace quenlow::bench {

// The window class of the reference programs' first window. The harness clicks it, as it clicks
// quenlow.exe's splash window, to start the part it times.
inline constexpr wchar_t kReadyWindowClass[] = L"QuenlowBenchReady";

// Shows a small window and handles messages until it is clicked: returns the window, still on
// screen, for the caller to destroy. nullptr when it was closed or could not be shown.
inline HWND ShowReadyWindowUntilClicked(HINSTANCE instance)
{
    struct Procedure {
        static LRESULT CALLBACK Run(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
        {
            if (message == WM_LBUTTONUP) {
                ::SetWindowLongPtrW(window, GWLP_USERDATA, 1);
                return 0;
            }
            if (message == WM_CLOSE) {
                ::PostQuitMessage(1);
                return 0;
            }
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
    };
    if (!RegisterPlainClass(instance, kReadyWindowClass, Procedure::Run,
                            static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)))) {
        return nullptr;
    }
    const HWND window = ::CreateWindowExW(0, kReadyWindowClass, L"Ready", WS_POPUP | WS_BORDER, 260, 230, 200, 100,
                                          nullptr, nullptr, instance, nullptr);
    if (!window) {
        return nullptr;
    }
    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
        if (::GetWindowLongPtrW(window, GWLP_USERDATA) != 0) {
            return window;
        }
    }
    ::DestroyWindow(window);
    return nullptr;
}

} // namespace quenlow::bench
