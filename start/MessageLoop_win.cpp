#include "start/MessageLoop_win.h"

#include "common/HResultText_win.h"

#include <windows.h>

namespace quenlow {

void RunMessageLoopWhileWindowsExist(const WindowedPathHooks& hooks)
{
    if (!hooks.anyWindowLoaded) {
        return;
    }
    while (hooks.anyWindowLoaded()) {
        MSG message;
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // WM_QUIT: the program is ending.
            return;
        }
        if (got == -1) {
            ThrowHResult(HRESULT_FROM_WIN32(::GetLastError()), L"waiting for the next window message");
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

} // namespace quenlow
