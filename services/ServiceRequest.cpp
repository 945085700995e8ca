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
        std::int32_t returned = 0;
        try {
            returned = service->CallMethod(method, kWmiAnswerLimit);
        } catch (const Error& error) {
            // WMI may still carry the request out: it cannot be followed, but the others can.
            if (!IsNoAnswerFromWmi(error)) {
                throw;
            }
            ++request.outcome.matched;
            RecordFailure(request.outcome, ErrorReason(error));
            continue;
        }
        ++request.outcome.matched;
        // The instance keeps the state it had when the query found it; it is read only to
        // understand the ambiguous answers.
        const std::wstring state = returned != 0 ? service->ReadText(wmi::kState).value_or(L"") : std::wstring();
        if (MeetsTheOtherWay(method, returned, state)) {
            request.toFollow.push_back({service->ReadText(wmi::kName).value_or(L""), true});
        } else if (IsSuccessfulReturn(method, returned, state)) {
            request.toFollow.push_back({service->ReadText(wmi::kName).value_or(L""), false});
        } else {
            RecordFailure(request.outcome, DescribeReturnValue(returned), returned);
        }
    }
    if (request.outcome.matched > 0 && request.outcome.kind != ServiceOutcome::Kind::Failed) {
        request.outcome.kind = ServiceOutcome::Kind::Succeeded;
    }
    return request;
}

} // namespace quenlow
