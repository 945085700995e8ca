#pragma once

#include "common/Clock.h"
#include "services/ServiceRequest.h"

#include <chrono>
#include <span>
#include <string>
#include <string_view>

// A start or stop counts only when the service got there. WMI's methods return as soon as the
// service manager has passed the request on, while the service may still be starting, stop
// again with an error, or take a stop back: each service a request reached is followed through
// its State until it is Running (start) or Stopped (stop), or has settled elsewhere.
namespace quenlow {

struct FollowRules {
    // The first look is at once; then the intervals grow by half each time from the first to
    // the longest: a service that takes a few seconds is seen soon after it got there.
    std::chrono::milliseconds firstInterval{100};
    std::chrono::milliseconds longestInterval{1000};
    // How long a pending service may go without progress. Progress is a check point that moves
    // on (where WMI gives CheckPoint; Wine's does not); a wait hint longer than this is allowed
    // in full, as the service manager would.
    std::chrono::milliseconds withoutProgress{30'000};
    // The most the whole wait may take, progress or not.
    std::chrono::milliseconds inAll{180'000};
};

// Follows every service the requests reached, all side by side: each round looks once through
// each request's connection, covering all of its services still pending. Returns when every one
// has settled; each request's outcome is then final. A WMI error while looking becomes the
// failure of that request alone.
void FollowUntilSettled(std::span<ServiceRequest> requests, IClock& clock, const FollowRules& rules = {});

// A start or stop sent and followed to its end: SendToMatchingServices, then FollowUntilSettled.
// WMI errors while sending are not caught.
ServiceOutcome CallOnMatchingServices(IServiceAccess& access, IClock& clock, ServiceKey key, std::wstring_view value,
                                      ServiceMethod method, ServiceFilter alsoRequire = {});

} // namespace quenlow
