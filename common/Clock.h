#pragma once

#include <chrono>

namespace quenlow {

// Time as the program waits through it. On Windows a wait keeps the program's windows painted;
// the unit tests use a clock that moves only when it is waited on.
class IClock {
public:
    virtual ~IClock() = default;

    // A steady time; only differences between two readings mean anything.
    virtual std::chrono::milliseconds Now() = 0;
    virtual void WaitFor(std::chrono::milliseconds duration) = 0;
};

} // namespace quenlow
