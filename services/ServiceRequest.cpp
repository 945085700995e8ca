#include "services/ServiceRequest.h"

#include "common/Text.h"
#include "services/WmiNames.h"

namespace quenlow {

std::vector<std::unique_ptr<IServiceObject>> MatchingServices(IServiceResult& result, const ServiceQuery& query,
                                                              ServiceKey key, const ServiceFilter& alsoRequire)
{
    std::vector<std::unique_ptr<IServiceObject>> matches;
    bool anyExact = false;
    while (auto service = result.Next()) {
        if (alsoRequire && !alsoRequire(*service)) {
            continue;
        }
        if (query.valueToMatch) {
            const auto property = service->ReadText(PropertyOf(key));
            if (!property || !EqualNoCase(*property, *query.valueToMatch)) {
                continue;
            }
            // A text may differ from several names only in letter case (possible for letters
            // beyond ASCII): an exact match then wins over the others.
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
    return matches;
}

namespace {

// Calls the request's method on one service it matched and notes what the answer asks for:
// follow it, follow it the other way first, or nothing more (a refusal).
void CallMatchingService(ServiceRequest& request, IServiceObject& service)
{
    std::int32_t returned = 0;
    try {
        returned = service.CallMethod(request.method, kWmiAnswerLimit);
    } catch (const Error& error) {
        if (!IsNoAnswerFromWmi(error)) {
            throw;
        }
        // WMI may still carry the request out: the service is followed like any other, and it
        // fails for the missing answer only if it never gets there.
        ++request.outcome.matched;
        request.toFollow.push_back({service.ReadText(wmi::kName).value_or(L""), false, ErrorReason(error)});
        return;
    }
    ++request.outcome.matched;
    // The instance keeps the state it had when the query found it; it is read only to
    // understand the ambiguous answers.
    const std::wstring state = returned != 0 ? service.ReadText(wmi::kState).value_or(L"") : std::wstring();
    if (MeetsTheOtherWay(request.method, returned, state)) {
        request.toFollow.push_back({service.ReadText(wmi::kName).value_or(L""), true});
    } else if (IsSuccessfulReturn(request.method, returned, state)) {
        request.toFollow.push_back({service.ReadText(wmi::kName).value_or(L""), false});
    } else {
        RecordFailure(request.outcome, DescribeReturnValue(returned), returned);
    }
}

} // namespace

ServiceRequest SendToMatchingServices(IServiceAccess& access, ServiceKey key, std::wstring_view value,
                                      ServiceMethod method, ServiceFilter alsoRequire)
{
    ServiceRequest request;
    request.method = method;
    const ServiceQuery query = BuildServiceQuery(key, value);
    request.connection = access.fConnectWmi();

    std::vector<std::unique_ptr<IServiceObject>> matches;
    try {
        // Every match is found before any method runs.
        auto result = request.connection->ExecQuery(query.text, kWmiAnswerLimit);
        matches = MatchingServices(*result, query, key, alsoRequire);
    } catch (const Error& error) {
        if (!IsNoAnswerFromWmi(error)) {
            throw;
        }
        RecordFailure(request.outcome, ErrorReason(error));
        return request;
    }
    for (const auto& service : matches) {
        CallMatchingService(request, *service);
    }
    if (request.outcome.matched > 0 && request.outcome.kind != ServiceOutcome::Kind::Failed) {
        request.outcome.kind = ServiceOutcome::Kind::Succeeded;
    }
    return request;
}

ServiceRequest SendByDisplayName(IServiceAccess& access, const std::wstring& displayName, ServiceMethod method)
{
    try {
        ServiceRequest request = SendToMatchingServices(access, ServiceKey::DisplayName, displayName, method);
        if (request.outcome.kind == ServiceOutcome::Kind::NotFound) {
            const auto hasNoDisplayName = [](IServiceObject& service) { return !service.ReadText(wmi::kDisplayName); };
            request = SendToMatchingServices(access, ServiceKey::Name, displayName, method, hasNoDisplayName);
        }
        return request;
    } catch (const Error& error) {
        ServiceRequest failed;
        failed.method = method;
        RecordFailure(failed.outcome, ErrorReason(error));
        return failed;
    }
}

} // namespace quenlow
