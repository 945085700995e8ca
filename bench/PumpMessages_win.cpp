#include "bench/PumpMessages_win.h"

namespace quenlow::bench {

void PumpMessagesFor(DWORD milliseconds)
{
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    do {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                continue;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (milliseconds > 0) {
            ::Sleep(5);
        }
    } while (::GetTickCount64() < end);
}

} // namespace quenlow::bench
