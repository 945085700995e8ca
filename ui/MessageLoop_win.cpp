#include "ui/MessageLoop_win.h"

#include "common/HResultText_win.h"

namespace quenlow {

void RunMessageLoop(IMessageLoopClient& client)
{
    MSG message;
    for (;;) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            return;
        }
        if (got == -1) {
            ThrowLastError(L"reading the next window message");
        }
        const HWND root = message.hwnd ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        const bool handled = root && client.TakesDialogKeys(root) && ::IsDialogMessageW(root, &message);
        if (!handled) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        client.AfterEachMessage();
    }
}

} // namespace quenlow
