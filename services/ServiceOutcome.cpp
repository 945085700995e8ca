#include "services/ServiceOutcome.h"

#include "common/Text.h"

#include <array>
#include <vector>

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
    return L"the service answered with return value " + std::to_wstring(value);
}

bool IsSuccessfulReturn(ServiceMethod method, std::int32_t value, std::wstring_view stateWhenFound)
{
    if (value == 0) {
        return true;
    }
    if (method == ServiceMethod::Start) {
        return value == kAlreadyRunning;
    }
    return value == kNotActive || (value == kCannotAcceptControl && EqualNoCase(stateWhenFound, L"Stopped"));
}

ServiceOutcome CallOnMatchingServices(IServiceAccess& access, ServiceKey key, std::wstring_view value,
                                      ServiceMethod method, const std::function<bool(IServiceObject&)>& alsoRequire)
{
    const ServiceQuery query = BuildServiceQuery(key, value);
    auto connection = access.fConnectWmi();
    auto result = connection->ExecQuery(query.text);

    // Every match is found before any method runs. Matched in code, a text may differ from
    // several names only in letter case (possible for letters beyond ASCII, which WMI's own
    // comparison would tell apart): an exact match then wins over the others.
    std::vector<std::unique_ptr<IServiceObject>> matches;
    bool anyExact = false;
    while (auto service = result->Next()) {
        if (alsoRequire && !alsoRequire(*service)) {
            continue;
        }
        if (query.valueToMatch) {
            const auto property = service->ReadText(PropertyOf(key));
            if (!property || !EqualNoCase(*property, *query.valueToMatch)) {
                continue;
            }
            if (*property == *query.valueToMatch) {
                if (!anyExact) {
                    matches.clear();
                    anyExact = true;
                }
            } else if (anyExact) {
                continue;
            }
        }
        matches.push_back(std::move(service));
    }

    ServiceOutcome outcome;
    for (const auto& service : matches) {
        const std::int32_t returned = service->CallMethod(method);
        ++outcome.matched;
        // The instance keeps the state it had when the query found it; it is read only to
        // understand the one ambiguous answer.
        const std::wstring state = (method == ServiceMethod::Stop && returned == kCannotAcceptControl)
                                       ? service->ReadText(L"State").value_or(L"")
                                       : std::wstring();
        if (!IsSuccessfulReturn(method, returned, state) && outcome.kind != ServiceOutcome::Kind::Failed) {
            outcome.kind = ServiceOutcome::Kind::Failed;
            outcome.code = returned;
            outcome.reason = DescribeReturnValue(returned);
        }
    }
    if (outcome.matched > 0 && outcome.kind != ServiceOutcome::Kind::Failed) {
        outcome.kind = ServiceOutcome::Kind::Succeeded;
    }
    return outcome;
}

} // namespace quenlow
