#pragma once

#include "common/Clock.h"

namespace quenlow {

// Time on the user-interface thread. A wait keeps the program alive to the system: the thread's
// messages are handled meanwhile, so windows repaint and never turn into "not responding"
// ghosts, while the user's keys and clicks are dropped, not kept for later - the program is busy,
// an event handler is still running, and a click queued meanwhile would act on a stale list.
// The wait cursor shows throughout.
class UiThreadClock final : public IClock {
public:
    std::chrono::milliseconds Now() override;
    void WaitFor(std::chrono::milliseconds duration) override;
};

} // namespace quenlow
