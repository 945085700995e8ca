#pragma once

#include "common/Error.h"
#include "services/ServiceAccess.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quenlow {

// The plain-words meaning of a StartService / StopService return value ("the service is
// disabled"); values outside the documented range are named by number.
std::wstring DescribeReturnValue(std::int32_t value);

// Whether a return value means the request was taken: the service is now on its way to the
// wanted state, or already there. Starting a running service (10) and stopping one that is not
// active (6) count. A stop answered with 5 (cannot accept the control) counts too when the
// service was stopped, or already stopping, when it was found.
bool IsSuccessfulReturn(ServiceMethod method, std::int32_t value, std::wstring_view stateWhenFound);

// Whether a refusal only says that the service is still on its way the other way: a start that
// finds it stopping ("already running", or "cannot accept the control now"), a stop that finds it
// starting ("cannot accept the control now"), or either where WMI gave no state. It can be asked
// again once it has got there.
bool MeetsTheOtherWay(ServiceMethod method, std::int32_t value, std::wstring_view stateWhenFound);

// What happened when a method was called on every service that matched a text.
struct ServiceOutcome {
    // StillPending: the service had not got there yet when the wait for it ended (its time was
    // up, or the user stopped waiting); Failed: it refused, or settled elsewhere; Unconfirmed:
    // the request was taken, but the service's state could not be read to see where it went.
    enum class Kind { Succeeded, NotFound, Failed, StillPending, Unconfirmed };
    Kind kind = Kind::NotFound;
    int matched = 0;                         // services the method was called on
    std::optional<std::int32_t> returnValue; // for a refused call: its return value
    std::optional<std::int32_t> error;       // for a call WMI refused with an error instead: its number
    std::wstring reason;                     // for Failed and StillPending: the first one in plain words
    // The short names of the services whose stop was refused because services that depend on
    // them run (kRunningDependents): what stops them is read afterwards, and only then.
    std::vector<std::wstring> heldByDependents;
};

// The return value of a stop refused because other running services depend on the service.
inline constexpr std::int32_t kRunningDependents = 3;
// Whether the outcome is a stop refused for that reason, and which services were.
bool HeldByDependents(const ServiceOutcome& outcome);

// Records a failure unless an earlier one is recorded already: the first is the one reported.
void RecordFailure(ServiceOutcome& outcome, std::wstring reason, std::optional<std::int32_t> returnValue = {});
// Records the refusal of a call on the named service with this return value.
void RecordRefusal(ServiceOutcome& outcome, std::int32_t returnValue, const std::wstring& name);
// The same for a service whose wait ended before it got there, and for one whose state could
// not be read.
void RecordStillPending(ServiceOutcome& outcome, std::wstring reason);
void RecordUnconfirmed(ServiceOutcome& outcome, std::wstring reason);

// The return value of a call refused for want of rights, and the errors WMI may refuse such a
// call with instead: COM's E_ACCESSDENIED and WMI's WBEM_E_ACCESS_DENIED.
inline constexpr std::int32_t kAccessDenied = 2;
inline constexpr std::int32_t kComAccessDenied = static_cast<std::int32_t>(0x80070005u);
inline constexpr std::int32_t kWmiAccessDenied = static_cast<std::int32_t>(0x80041003u);

bool IsAccessDeniedError(const Error& error);
// Records a call refused with such an error, in the words of return value 2: "access is denied
// (error 0x80070005)".
void RecordRefusedForRights(ServiceOutcome& outcome, const Error& error);
// Whether the outcome is a call refused for want of rights, in whichever form WMI said so.
bool RefusedForRights(const ServiceOutcome& outcome);

// What a report says first when every call was refused for want of rights and the program runs
// without them.
inline constexpr std::wstring_view kNeedsAdministratorText =
    L"Starting or stopping services needs administrator rights: start Quenlow as administrator.";

// Why the request failed, with the return value or error that said so: "access is denied (return
// value 2)". Values of 2^31 and above are written as the codes they are, in hexadecimal.
std::wstring DescribeFailure(const ServiceOutcome& outcome);

// "30 s", "3 min", "1 min 5 s".
std::wstring DescribeDuration(std::chrono::milliseconds duration);

// The error of a request that WMI did not answer within its limit, with a number of the
// program's own (kNoAnswerFromWmi), never one of WMI's.
inline constexpr std::int32_t kNoAnswerFromWmi = static_cast<std::int32_t>(0xA0510001u);
// WMI's WBEM_E_NOT_FOUND: what a call on a service that has gone since its query meets.
inline constexpr std::int32_t kWmiNotFound = static_cast<std::int32_t>(0x80041002u);
Error NoAnswerFromWmi(std::chrono::milliseconds limit);
bool IsNoAnswerFromWmi(const Error& error);
// The error of work that the worker does not take on, as WMI still holds as many threads as it
// may in calls of work that was given up; a number of the program's own too.
inline constexpr std::int32_t kWmiBusyWithGivenUpWork = static_cast<std::int32_t>(0xA0510002u);
Error WmiBusyWithGivenUpWork();

// "error 0x80041001: Generic failure": a WMI error in a report's words; an error of the program's
// own (WMI did not answer in time, or is still busy) says just what happened.
std::wstring ErrorReason(const Error& error);

} // namespace quenlow
