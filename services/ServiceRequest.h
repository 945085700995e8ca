#pragma once

#include "services/ServiceAccess.h"
#include "services/ServiceOutcome.h"
#include "services/ServiceQuery.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <span>
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

// A start or stop sent to every service that one text stands for. Until it has been followed to
// its end (ServiceFollow.h), its outcome only says whether the calls were taken.
struct ServiceRequest {
    ServiceMethod method = ServiceMethod::Start;
    // The connection the calls went out on, shared by the requests of one press; following them
    // looks through it again.
    std::shared_ptr<IServiceConnection> connection;
    ServiceOutcome outcome;
    std::vector<ServiceToFollow> toFollow;
};

// The services among the instances whose key property equals the value, without regard to case
// (and that satisfy alsoRequire, when given). For a text no query can hold, only the exactly
// written ones when there are such, since WMI's own comparison would tell those apart.
std::vector<IServiceObject*> MatchingServices(const std::vector<std::unique_ptr<IServiceObject>>& instances,
                                              ServiceKey key, std::wstring_view value,
                                              const ServiceFilter& alsoRequire = {});

// Opens a connection, finds the services whose key property equals value, calls the method on
// each in the order the result gives and reads each return value. WMI errors are not caught
// here.
ServiceRequest SendToMatchingServices(IServiceAccess& access, ServiceKey key, std::wstring_view value,
                                      ServiceMethod method);

// Every service that the queries find, read one query after another on the connection and each
// kept once (by its short name, which the properties kept must hold); every service, read by
// the query that reads them all, when WMI refuses one of the queries as beyond its quota.
std::vector<std::unique_ptr<IServiceObject>> ReadQueries(IServiceConnection& connection, const ServiceQueries& queries,
                                                         std::span<const std::wstring_view> keep,
                                                         std::chrono::milliseconds answerWithin);

// What a press of several list entries finds: one connection, and every match found before the
// first call, or why WMI could not be asked.
struct PressServices {
    std::shared_ptr<IServiceConnection> connection;
    std::vector<std::unique_ptr<IServiceObject>> instances;
    std::optional<std::wstring> failure;
};
PressServices FindPressServices(IServiceAccess& access, const std::vector<std::wstring>& texts);

// The request for a list entry: the method for every service whose display name is the text,
// or, when none has it, for the service without a display name that was listed by that short
// name. An error from WMI becomes this entry's failure rather than ending the work; a service
// that went away after the press's query is not found.
ServiceRequest SendToEntry(const PressServices& found, const std::wstring& text, ServiceMethod method);

} // namespace quenlow
