#pragma once

#include "services/ServiceAccess.h"
#include "services/ServiceQuery.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace quenlow {

// The plain-words meaning of a StartService / StopService return value ("the service is
// disabled"); values outside the documented range are named by number.
std::wstring DescribeReturnValue(std::int32_t value);

// Whether a return value leaves the service as wanted. Starting a running service (10) and
// stopping one that is not active (6) already have the wanted effect. A stop answered with
// 5 (cannot accept the control) counts too when the service was stopped when it was found.
bool IsSuccessfulReturn(ServiceMethod method, std::int32_t value, std::wstring_view stateWhenFound);

// What happened when a method was called on every service that matched a text.
struct ServiceOutcome {
    enum class Kind { Succeeded, NotFound, Failed };
    Kind kind = Kind::NotFound;
    int matched = 0;           // services the method was called on
    std::int32_t code = 0;     // for Failed: the first failing return value or error number
    std::wstring reason;       // for Failed: that failure in plain words
};

// Opens a connection, runs the query for the services whose key property equals value,
// calls the method on each in the order the result gives and reads each return value.
// A service must also satisfy alsoRequire, when given. WMI errors are not caught here.
ServiceOutcome CallOnMatchingServices(IServiceAccess& access, ServiceKey key, std::wstring_view value,
                                      ServiceMethod method,
                                      const std::function<bool(IServiceObject&)>& alsoRequire = {});

} // namespace quenlow
