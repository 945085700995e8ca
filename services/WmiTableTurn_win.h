#pragma once

#include <windows.h>

#include <functional>

namespace quenlow {

// What a WMI call of a piece of work listens to while it waits for its turn and while it walks a
// result; each may be empty.
struct WmiWorkEvents {
    // The wait for the work has ended: nothing more is sent.
    HANDLE stop = nullptr;
    // The work was given up: a walk stops at the next instance.
    HANDLE givenUp = nullptr;
    // Told when a call begins and ends waiting for WMI to finish a call of another thread, which
    // can only be work that was given up: the program runs one piece of work at a time.
    std::function<void(bool waiting)> waitingForGivenUpWork;
};

// A turn at the Win32_Service table that Wine's WMI shares in the process (DESIGN.md, Threads):
// one call that may touch it at a time. Waits for the turn, and throws RequestNotSent instead when
// the work's wait ends first; the turn is the thread's until this is destroyed.
class WmiTableTurn {
public:
    explicit WmiTableTurn(const WmiWorkEvents* events);
    ~WmiTableTurn();
    WmiTableTurn(const WmiTableTurn&) = delete;
    WmiTableTurn& operator=(const WmiTableTurn&) = delete;
};

// Whether the work was given up (never, without events).
bool WorkGivenUp(const WmiWorkEvents* events) noexcept;

} // namespace quenlow
