#include "services/ServiceOutcome.h"

#include "common/Error.h"
#include "common/Text.h"
#include "services/WmiNames.h"

#include <array>

namespace quenlow {

namespace {

// Win32_Service StartService / StopService return values 0-24.
constexpr std::array<std::wstring_view, 25> kReturnValueMeanings = {
    L"the request succeeded",
    L"the request is not supported",
    L"access is denied",
    L"other running services depend on it",
    L"the requested control is not valid for this service",
    L"the service cannot accept the control now",
    L"the service is not active",
    L"the service did not respond in time",
    L"an unknown failure occurred",
    L"the service's program was not found",
    L"the service is already running",
    L"the service database is locked",
    L"a service it depends on has been removed",
    L"a service it depends on could not be started",
    L"the service is disabled",
    L"the service could not log on",
    L"the service is marked for deletion",
    L"the service has no thread",
    L"its dependencies are circular",
    L"another service has the same name",
    L"the service name is not valid",
    L"a parameter is not valid",
    L"the service account is not valid",
    L"the service already exists",
    L"the service is already paused",
};

constexpr std::int32_t kCannotAcceptControl = 5;
constexpr std::int32_t kNotActive = 6;
constexpr std::int32_t kAlreadyRunning = 10;

} // namespace

std::wstring DescribeReturnValue(std::int32_t value)
{
    if (value >= 0 && static_cast<std::size_t>(value) < kReturnValueMeanings.size()) {
        return std::wstring(kReturnValueMeanings[static_cast<std::size_t>(value)]);
    }
    return L"the service answered with return value " + FormatErrorNumber(value);
}

bool IsSuccessfulReturn(ServiceMethod method, std::int32_t value, std::wstring_view stateWhenFound)
{
    if (value == 0) {
        return true;
    }
    if (method == ServiceMethod::Start) {
        return value == kAlreadyRunning;
    }
    return value == kNotActive ||
           (value == kCannotAcceptControl &&
            (EqualNoCase(stateWhenFound, wmi::kStopped) || EqualNoCase(stateWhenFound, wmi::kStopPending)));
}

namespace {

bool Record(ServiceOutcome& outcome, ServiceOutcome::Kind kind, std::wstring reason,
            std::optional<std::int32_t> returnValue)
{
    if (outcome.kind != ServiceOutcome::Kind::Succeeded && outcome.kind != ServiceOutcome::Kind::NotFound) {
        return false;
    }
    outcome.kind = kind;
    outcome.reason = std::move(reason);
    outcome.returnValue = returnValue;
    return true;
}

} // namespace

void RecordFailure(ServiceOutcome& outcome, std::wstring reason, std::optional<std::int32_t> returnValue)
{
    Record(outcome, ServiceOutcome::Kind::Failed, std::move(reason), returnValue);
}

void RecordRefusal(ServiceOutcome& outcome, std::int32_t returnValue, const std::wstring& name)
{
    RecordFailure(outcome, DescribeReturnValue(returnValue), returnValue);
    if (returnValue == kRunningDependents) {
        outcome.heldByDependents.push_back(name);
    }
}

bool HeldByDependents(const ServiceOutcome& outcome)
{
    return outcome.kind == ServiceOutcome::Kind::Failed && outcome.returnValue == kRunningDependents &&
           !outcome.heldByDependents.empty();
}

bool IsAccessDeniedError(const Error& error)
{
    return error.Number() == kComAccessDenied || error.Number() == kWmiAccessDenied;
}

void RecordRefusedForRights(ServiceOutcome& outcome, const Error& error)
{
    if (Record(outcome, ServiceOutcome::Kind::Failed, DescribeReturnValue(kAccessDenied), std::nullopt)) {
        outcome.error = error.Number();
    }
}

bool RefusedForRights(const ServiceOutcome& outcome)
{
    return outcome.kind == ServiceOutcome::Kind::Failed &&
           (outcome.returnValue == kAccessDenied || outcome.error == kComAccessDenied ||
            outcome.error == kWmiAccessDenied);
}

void RecordStillPending(ServiceOutcome& outcome, std::wstring reason)
{
    Record(outcome, ServiceOutcome::Kind::StillPending, std::move(reason), std::nullopt);
}

void RecordUnconfirmed(ServiceOutcome& outcome, std::wstring reason)
{
    Record(outcome, ServiceOutcome::Kind::Unconfirmed, std::move(reason), std::nullopt);
}

bool MeetsTheOtherWay(ServiceMethod method, std::int32_t value, std::wstring_view stateWhenFound)
{
    // A state WMI left empty may be that one too: following it tells, where failing at once
    // could call a service that was on its way a failure.
    if (method == ServiceMethod::Start) {
        return (value == kAlreadyRunning || value == kCannotAcceptControl) &&
               (stateWhenFound.empty() || EqualNoCase(stateWhenFound, wmi::kStopPending));
    }
    return value == kCannotAcceptControl && (stateWhenFound.empty() || EqualNoCase(stateWhenFound, wmi::kStartPending));
}

std::wstring DescribeFailure(const ServiceOutcome& outcome)
{
    if (outcome.returnValue) {
        return outcome.reason + L" (return value " + FormatErrorNumber(*outcome.returnValue) + L")";
    }
    if (outcome.error) {
        return outcome.reason + L" (error " + FormatErrorNumber(*outcome.error) + L")";
    }
    return outcome.reason;
}

std::wstring DescribeDuration(std::chrono::milliseconds duration)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration).count();
    if (seconds < 60) {
        return std::to_wstring(seconds) + L" s";
    }
    std::wstring text = std::to_wstring(seconds / 60) + L" min";
    if (seconds % 60 != 0) {
        text += L" " + std::to_wstring(seconds % 60) + L" s";
    }
    return text;
}

Error NoAnswerFromWmi(std::chrono::milliseconds limit)
{
    return Error(kNoAnswerFromWmi, L"WMI did not answer within " + DescribeDuration(limit));
}

bool IsNoAnswerFromWmi(const Error& error)
{
    return error.Number() == kNoAnswerFromWmi;
}

Error WmiBusyWithGivenUpWork()
{
    return Error(kWmiBusyWithGivenUpWork, L"WMI is still busy with work that was given up");
}

std::wstring ErrorReason(const Error& error)
{
    if (IsNoAnswerFromWmi(error) || error.Number() == kWmiBusyWithGivenUpWork) {
        return error.Description();
    }
    return L"error " + FormatErrorNumber(error.Number()) + L": " + error.Description();
}

} // namespace quenlow
