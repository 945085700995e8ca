#pragma once

#include <chrono>
#include <functional>

// How the tests and the benchmarks wait: for a state rather than for a fixed while, since other
// processes' windows and services change on their own time, handling this thread's own messages
// meanwhile: windows of this process paint and take their input only when their thread looks at
// its messages, and an out-of-context event hook delivers its events to it that way too. A quit
// message found on the way is dropped.
namespace quenlow::testing {

// Handles every message that is waiting now.
void PumpPending();

// Handles messages until the condition holds; false when it still does not after the timeout.
// The condition is asked after each round of messages, and at least every interval.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
               std::chrono::milliseconds interval = std::chrono::milliseconds(10));

// Handles messages for the whole time: where a test shows that nothing happens, or a benchmark
// leaves its windows alone before it measures.
inline void PumpFor(std::chrono::milliseconds duration)
{
    PumpUntil([] { return false; }, duration);
}

} // namespace quenlow::testing
