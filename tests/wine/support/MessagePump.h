#pragma once

#include <chrono>
#include <functional>

// This thread's own messages, handled while a test or a benchmark waits: windows of this process
// paint and take their input only when their thread looks at its messages, and an out-of-context
// event hook delivers its events to it that way too. A quit message found on the way is dropped.
namespace quenlow::testing {

// Handles every message that is waiting now.
void PumpPending();

// Handles messages until the condition holds; false when it still does not after the timeout.
// The condition is asked after each round of messages.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// Handles messages for the whole time: where a test shows that nothing happens, or a benchmark
// leaves its windows alone before it measures.
void PumpFor(std::chrono::milliseconds duration);

} // namespace quenlow::testing
