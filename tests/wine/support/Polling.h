#pragma once

#include <chrono>
#include <thread>

namespace quenlow::testing {

// Asks the condition again and again until it holds; false when it still does not after the
// timeout. Another process's windows change on their own time, so tests wait for a state
// rather than for a fixed while.
template <typename Condition>
bool PollUntil(Condition condition, std::chrono::milliseconds timeout,
               std::chrono::milliseconds interval = std::chrono::milliseconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(interval);
    }
}

} // namespace quenlow::testing
