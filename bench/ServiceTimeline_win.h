#pragma once

#include "bench/AnswerProbe_win.h"
#include "bench/Stopwatch_win.h"

#include "support/ServiceManager.h"

#include <optional>
#include <string>
#include <vector>

namespace quenlow::bench {

// When each of the services was first seen starting (its start had reached the service manager)
// and running, in milliseconds on the watch given: read from the service manager every 5 ms on a
// thread of its own, from construction until Stop. Both contenders of a press are watched alike,
// as the looks cost the service manager a little time.
class ServiceTimeline {
public:
    ServiceTimeline(const std::vector<std::wstring>& names, const Stopwatch& watch);

    struct Seen {
        std::vector<std::optional<double>> starting;
        std::vector<std::optional<double>> running;

        // When the last of them was first seen running; kFailedRound when one never was.
        double AllRunning() const;
    };

    Seen Stop();

private:
    void Look();

    const Stopwatch& m_watch;
    testing::UniqueServiceHandle m_manager;
    std::vector<testing::UniqueServiceHandle> m_services;
    std::vector<std::optional<double>> m_starting;
    std::vector<std::optional<double>> m_running;
    std::optional<PeriodicThread> m_thread;
};

} // namespace quenlow::bench
