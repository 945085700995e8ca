#pragma once

#include <chrono>

namespace quenlow {

// Time as a piece of work waits through it. The user may stop waiting: a wait then ends at once,
// and so does every later one. The unit tests use a clock that moves only when it is waited on.
class IClock {
public:
    virtual ~IClock() = default;

    // A steady time; only differences between two readings mean anything.
    virtual std::chrono::milliseconds Now() = 0;
    virtual void WaitFor(std::chrono::milliseconds duration) = 0;
    // True once the user has asked to stop waiting.
    virtual bool StopRequested() = 0;
};

} // namespace quenlow
