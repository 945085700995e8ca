#include "ui/TaskbarOwner_win.h"

#include "common/HResultText_win.h"
#include "ui/WindowClass_win.h"

namespace quenlow {

namespace {

constexpr const wchar_t* kTaskbarOwnerClass = L"QuenlowTaskbarOwner";

// A close from outside (taskkill without /F) would destroy it, and the windows it owns with
// it, without the program knowing: the program closes its windows itself.
LRESULT CALLBACK OwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

HWND TaskbarOwner::Get(HINSTANCE instance)
{
    if (m_window) {
        return m_window.get();
    }
    WNDCLASSEXW ownerClass{};
    ownerClass.lpfnWndProc = OwnerProcedure;
    ownerClass.hInstance = instance;
    ownerClass.lpszClassName = kTaskbarOwnerClass;
    RegisterWindowClassOnce(ownerClass);
    m_window.reset(::CreateWindowExW(0, kTaskbarOwnerClass, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, instance,
                                     nullptr));
    if (!m_window) {
        ThrowLastError(L"creating the task bar owner window");
    }
    return m_window.get();
}

} // namespace quenlow
