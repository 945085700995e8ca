#include "support/MessagePump.h"

#include <windows.h>

#include <algorithm>

namespace quenlow::testing {

void PumpPending()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout, std::chrono::milliseconds interval)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        PumpPending();
        if (done()) {
            return true;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        // Wakes as soon as a message comes.
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::min(left, interval).count()), QS_ALLINPUT,
                                      MWMO_INPUTAVAILABLE);
    }
}

} // namespace quenlow::testing
