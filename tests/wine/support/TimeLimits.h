#pragma once

#include <chrono>

// How long the Windows-side tests and the benchmarks wait, named once. A wait for something ends
// as soon as it has happened, so a generous limit costs a passing test nothing; only a test that
// shows that nothing happens watches for a fixed time, and that is kNothingHappensFor.
namespace quenlow::testing {

// A window reacts to a click or a key: it opens, closes, hides, moves its focus or shows a tick.
inline constexpr std::chrono::milliseconds kReactionComesWithin{10'000};
// A program's first window after its start, or a list window with its list read: the first start
// in a prefix and WMI under Wine take seconds on a busy machine.
inline constexpr std::chrono::milliseconds kWindowComesWithin{30'000};
// A message box after a start or stop: longer than the 30 s that the program gives a service
// without progress, so that the program's own report comes first.
inline constexpr std::chrono::milliseconds kBoxComesWithin{90'000};
// A service gets to the state asked of the service manager, and a stopped service's process ends.
inline constexpr std::chrono::milliseconds kServiceStateComesWithin{15'000};
// A process ends once it has been told to: its last window closed, its box answered.
inline constexpr std::chrono::milliseconds kProcessEndsWithin{30'000};
// How long a test watches to show that nothing happens: long enough for the reaction of a busy
// machine to show, and for a service's progress, reported every half second, to show.
inline constexpr std::chrono::milliseconds kNothingHappensFor{1'000};

} // namespace quenlow::testing
