#pragma once

#include <windows.h>

namespace quenlow::bench {

// Dispatches the thread's pending messages for about the given time, so that windows paint.
// A quit message found on the way is dropped.
void PumpMessagesFor(DWORD milliseconds);

} // namespace quenlow::bench
