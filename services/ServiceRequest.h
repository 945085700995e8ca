#pragma once

#include "services/ServiceAccess.h"
#include "services/ServiceOutcome.h"
#include "services/ServiceQuery.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quenlow {

using ServiceFilter = std::function<bool(IServiceObject&)>;

// A service whose call was taken, or that must be asked once more, and must still be seen to
// get there.
struct ServiceToFollow {
    // As read from the instance the call reached: a short name is unique and never changes, so
    // it finds its service again whatever key the request used.
    std::wstring name;
    // The service was still on its way the other way (a start met it stopping, a stop met it
    // starting): that way is followed to its end, and the request is sent once more then.
    bool sendAgainOnceSettled = false;
    // WMI did not answer the call in time, and says so: it may still carry it out.
    std::optional<std::wstring> unanswered = {};
};

// A start or stop sent to every service whose key property equals a text. Until it has been
// followed to its end (ServiceFollow.h), its outcome only says whether the calls were taken.
struct ServiceRequest {
    ServiceMethod method = ServiceMethod::Start;
    // The connection the calls went out on; following them looks through it again.
    std::unique_ptr<IServiceConnection> connection;
    ServiceOutcome outcome;
    std::vector<ServiceToFollow> toFollow;
};

// The services of a result that the query means: those that satisfy alsoRequire and, when the
// query could not hold the text itself, whose key property equals it - only the exactly written
// ones when there are such, since WMI's own comparison would tell those apart.
std::vector<std::unique_ptr<IServiceObject>> MatchingServices(IServiceResult& result, const ServiceQuery& query,
                                                              ServiceKey key, const ServiceFilter& alsoRequire);

// Opens a connection, finds the services whose key property equals value (and that satisfy
// alsoRequire, when given), calls the method on each in the order the result gives and reads
// each return value. WMI errors are not caught here.
ServiceRequest SendToMatchingServices(IServiceAccess& access, ServiceKey key, std::wstring_view value,
                                      ServiceMethod method, ServiceFilter alsoRequire = {});

// The request for a list entry: the method for every service whose display name is the text,
// or, when none has it, for the service without a display name that was listed by that short
// name. An error from WMI becomes this entry's failure rather than ending the work.
ServiceRequest SendByDisplayName(IServiceAccess& access, const std::wstring& displayName, ServiceMethod method);

} // namespace quenlow
