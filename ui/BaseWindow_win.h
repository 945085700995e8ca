#pragma once

#include "ui/UntrappedError_win.h"

#include <windows.h>

namespace quenlow {

// A top-level window whose messages go to a C++ object. CreateWindowExW receives the object
// as its creation parameter; the object's address lives in GWLP_USERDATA from WM_NCCREATE to
// WM_NCDESTROY. Derived classes provide
//     LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
//     static LRESULT DefaultProcedure(HWND, UINT, WPARAM, LPARAM);
// No exception leaves the window procedure: one that escapes a handler ends in the common
// report for untrapped errors.
template <typename Derived>
class BaseWindow {
public:
    HWND Window() const noexcept { return m_window; }

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        Derived* self = nullptr;
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            self = static_cast<Derived*>(create->lpCreateParams);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            self->m_window = window;
        } else {
            self = reinterpret_cast<Derived*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        }
        if (!self) {
            // Messages before WM_NCCREATE (WM_GETMINMAXINFO) and after WM_NCDESTROY.
            return Derived::DefaultProcedure(window, message, wParam, lParam);
        }
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            self->m_window = nullptr;
            return Derived::DefaultProcedure(window, message, wParam, lParam);
        }
        return RunTrapped([&] { return self->HandleMessage(message, wParam, lParam); });
    }

protected:
    BaseWindow() = default;
    ~BaseWindow() = default;
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;

    LRESULT CallDefault(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return Derived::DefaultProcedure(m_window, message, wParam, lParam);
    }

    HWND m_window = nullptr;
};

} // namespace quenlow
