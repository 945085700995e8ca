#pragma once

#include "services/ServiceAccess.h"

#include <atomic>
#include <memory>

// A service source that notes, on the performance counter (TimestampMs), when the program asked
// it for a connection and when the program had read the last instance of a result: from the
// benchmark's thread, when the program's worker did its part of a list load.
namespace quenlow::bench {

class TimedServiceAccess final : public IServiceAccess {
public:
    explicit TimedServiceAccess(std::shared_ptr<IServiceAccess> inner) : m_inner(std::move(inner)) {}

    struct Times {
        double connectAsked = 0; // 0: not asked since the last Take
        double lastRead = 0;     // 0: no result read to its end since the last Take
    };
    Times Take() noexcept { return {m_connectAsked.exchange(0), m_lastRead.exchange(0)}; }

    std::unique_ptr<IServiceConnection> fConnectWmi() override;
    bool CallerIsElevated() override { return m_inner->CallerIsElevated(); }

    // Where the wrapped connections and results leave their times.
    void NoteConnect() noexcept;
    void NoteLastRead() noexcept;

private:
    std::shared_ptr<IServiceAccess> m_inner;
    std::atomic<double> m_connectAsked = 0;
    std::atomic<double> m_lastRead = 0;
};

} // namespace quenlow::bench
