#pragma once

#include "ui/UntrappedError_win.h"

#include <windows.h>

namespace quenlow {

// A window whose messages go to a C++ object: the base of every window of the program.
// CreateWindowExW receives the object as its creation parameter; the object's address lives in
// GWLP_USERDATA from WM_NCCREATE to WM_NCDESTROY, where it is cleared. Derived classes provide
//     LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
// and may hide DefaultProcedure with their own (a dialog's DefDlgProcW). No exception leaves
// the window procedure: one that escapes a handler ends in the common report for untrapped
// errors.
template <typename Derived>
class BaseWindow {
public:
    HWND Window() const noexcept { return m_window; }

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        Derived* self = nullptr;
        if (message == WM_NCCREATE) {
            self = static_cast<Derived*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
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
            // The window's last message; its children are already gone.
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            self->m_window = nullptr;
            if (self->m_deletedWithWindow) {
                delete self;
            }
            return Derived::DefaultProcedure(window, message, wParam, lParam);
        }
        return RunTrapped([&] { return self->HandleMessage(message, wParam, lParam); });
    }

    static LRESULT DefaultProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    // The object of a window of this kind; nullptr for any other window.
    static Derived* FromWindow(HWND window) noexcept
    {
        if (!window || reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC)) != &WindowProcedure) {
            return nullptr;
        }
        return reinterpret_cast<Derived*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    }

    // From now on the window deletes this object when it is destroyed: for a window that its
    // own handlers may unload, so that no owner outside could know when to.
    void HandOverToWindow() noexcept { m_deletedWithWindow = true; }

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

private:
    bool m_deletedWithWindow = false;
};

} // namespace quenlow
