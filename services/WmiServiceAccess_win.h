#pragma once

#include "services/ServiceAccess.h"

#include <memory>

namespace quenlow {

// Win32_Service through WMI's COM interfaces on the local computer. COM must be initialised
// on the calling thread. A query reads its whole result when it runs, and each instance keeps
// a copy of its properties as they were then; connections, result sets and instances each
// hold what they need of WMI, so they may be released in any order.
class WmiServiceAccess final : public IServiceAccess {
public:
    std::unique_ptr<IServiceConnection> fConnectWmi() override;
    bool CallerIsElevated() override;
};

} // namespace quenlow
