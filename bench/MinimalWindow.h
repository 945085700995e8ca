#pragma once

#include <windows.h>

namespace quenlow::bench {

// The window class of the minimal Win32 program, by which the harness finds its window.
inline constexpr wchar_t kMinimalWindowClass[] = L"QuenlowBenchWindow";
// The window class of the bare program that reads the stopped services through WMI and shows
// them in one window.
inline constexpr wchar_t kBareWmiWindowClass[] = L"QuenlowBenchWmiWindow";
// The window class of the bare program that reads a list of services through WMI and then shows
// it in a plain list.
inline constexpr wchar_t kBareWmiListClass[] = L"QuenlowBenchWmiList";
// The window class of the bare program that reads a list of services through WMI and then shows
// it in one window with the same controls as quenlow.exe's list window for that list.
inline constexpr wchar_t kBareWmiSameControlsClass[] = L"QuenlowBenchWmiSameControls";

// Registers a plain window class with the arrow cursor; false when it cannot be registered.
inline bool RegisterPlainClass(HINSTANCE instance, const wchar_t* className, WNDPROC procedure, HBRUSH background)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    return ::RegisterClassExW(&windowClass) != 0;
}

// A window procedure that ends the message loop when its window is destroyed.
inline LRESULT CALLBACK QuitWhenDestroyed(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Handles the thread's messages until the loop is told to end.
inline void PumpUntilQuit()
{
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// What the reference programs do with their one window: register a plain class, show the
// window, and pump messages until it is closed. Returns the program's exit status.
inline int ShowWindowUntilClosed(HINSTANCE instance, const wchar_t* className, DWORD exStyle, DWORD style,
                                 const wchar_t* caption, int x, int y, int width, int height)
{
    if (!RegisterPlainClass(instance, className, QuitWhenDestroyed,
                            static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)))) {
        return 1;
    }
    const HWND window =
        ::CreateWindowExW(exStyle, className, caption, style, x, y, width, height, nullptr, nullptr, instance, nullptr);
    if (!window) {
        return 1;
    }
    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);
    PumpUntilQuit();
    return 0;
}

} // namespace quenlow::bench
