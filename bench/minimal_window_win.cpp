// The reference for start-up and memory: the least a Win32 program does to show one window,
// built and linked like quenlow.exe (static runtime). It ends when its window is closed.
#include "bench/MinimalWindow.h"

#include <windows.h>

namespace {

using quenlow::bench::kMinimalWindowClass;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kMinimalWindowClass;
    if (!::RegisterClassExW(&windowClass)) {
        return 1;
    }
    // As large as the splash window.
    const HWND window = ::CreateWindowExW(0, kMinimalWindowClass, L"Bench window", WS_POPUP | WS_DLGFRAME, 260, 230,
                                          495, 296, nullptr, nullptr, instance, nullptr);
    if (!window) {
        return 1;
    }
    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
