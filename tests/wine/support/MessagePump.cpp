#include "support/MessagePump.h"

#include <windows.h>

#include <algorithm>

namespace quenlow::testing {

namespace {

// How long a wait sleeps at most before it asks its condition again, when no message wakes it.
constexpr std::chrono::milliseconds kLookAgainAfter{10};

} // namespace

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

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
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
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::min(left, kLookAgainAfter).count()),
                                      QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void PumpFor(std::chrono::milliseconds duration)
{
    PumpUntil([] { return false; }, duration);
}

} // namespace quenlow::testing
