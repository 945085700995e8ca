#include "ui/UiThreadClock_win.h"

#include "common/ScopedWaitCursor_win.h"

#include <windows.h>

#include <optional>

namespace quenlow {

namespace {

bool IsUserInput(UINT message) noexcept
{
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

} // namespace

std::chrono::milliseconds UiThreadClock::Now()
{
    return std::chrono::milliseconds(::GetTickCount64());
}

void UiThreadClock::WaitFor(std::chrono::milliseconds duration)
{
    // The pointer shows that the program is busy for the whole wait, also when it does not move
    // (a move would ask the windows, which answer with the wait cursor while a handler runs).
    const ScopedWaitCursor busy;
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(duration.count());
    std::optional<WPARAM> quit;
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = message.wParam; // for the message loop, once the handler is done
            } else if (!IsUserInput(message.message)) {
                ::DispatchMessageW(&message);
            }
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= end) {
            break;
        }
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    if (quit) {
        ::PostQuitMessage(static_cast<int>(*quit));
    }
}

} // namespace quenlow
