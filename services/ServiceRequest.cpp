#include "services/ServiceRequest.h"

#include "common/Text.h"

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
    request.key = key;
    request.query = BuildServiceQuery(key, value);
    request.alsoRequire = std::move(alsoRequire);
    request.connection = access.fConnectWmi();

    // Every match is found before any method runs.
    auto result = request.connection->ExecQuery(request.query.text);
    const auto matches = MatchingServices(*result, request.query, key, request.alsoRequire);

    for (const auto& service : matches) {
        const std::int32_t returned = service->CallMethod(method);
        ++request.outcome.matched;
        // The instance keeps the state it had when the query found it; it is read only to
        // understand the one ambiguous answer.
        const std::wstring state = (method == ServiceMethod::Stop && returned != 0)
                                       ? service->ReadText(L"State").value_or(L"")
                                       : std::wstring();
        if (IsSuccessfulReturn(method, returned, state)) {
            request.toFollow.push_back(service->ReadText(L"Name").value_or(L""));
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
