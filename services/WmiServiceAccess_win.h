#pragma once

#include "services/ServiceAccess.h"
#include "services/WmiTableTurn_win.h"

#include <memory>

namespace quenlow {

// Win32_Service through WMI's COM interfaces on the local computer. COM must be initialised
// on the calling thread. A query reads its whole result when it runs, and each instance keeps
// a copy of its properties as they were then; connections, result sets and instances each
// hold what they need of WMI, so they may be released in any order. Every query and method call
// takes its turn at WMI's service table (WmiTableTurn); a query's limit counts from its turn.
class WmiServiceAccess final : public IServiceAccess {
public:
    // The events of the work whose calls these are, read at each call: one access serves the
    // pieces of work of a thread in turn. Without them, calls wait for their turn for ever.
    explicit WmiServiceAccess(const WmiWorkEvents* events = nullptr) : m_events(events) {}

    std::unique_ptr<IServiceConnection> fConnectWmi() override;
    bool CallerIsElevated() override;

private:
    const WmiWorkEvents* m_events;
};

} // namespace quenlow
