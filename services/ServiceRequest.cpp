#include "services/ServiceRequest.h"

#include "common/Text.h"
#include "services/WmiNames.h"

#include <set>

namespace quenlow {

namespace {

// Calls the request's method on one service it matched and notes what the answer asks for:
// follow it, follow it the other way first, or nothing more (a refusal).
void CallMatchingService(ServiceRequest& request, IServiceObject& service)
{
    std::int32_t returned = 0;
    ServiceToFollow follow;
    try {
        returned = service.CallMethod(request.method, kWmiAnswerLimit);
    } catch (const Error& error) {
        if (error.Number() == kWmiNotFound) {
            return; // gone since the query found it
        }
        if (IsAccessDeniedError(error)) {
            ++request.outcome.matched;
            RecordRefusedForRights(request.outcome, error);
            return;
        }
        if (!IsNoAnswerFromWmi(error)) {
            throw;
        }
        // WMI may still carry the request out: the service is followed like any other, and it
        // fails for the missing answer only if it never gets there.
        follow.unanswered = ErrorReason(error);
    }
    ++request.outcome.matched;
    // The instance keeps the state it had when the query found it; it is read only to
    // understand the ambiguous answers.
    const std::wstring state = returned != 0 ? service.ReadText(wmi::kState).value_or(L"") : std::wstring();
    follow.sendAgainOnceSettled = MeetsTheOtherWay(request.method, returned, state);
    follow.name = service.ReadText(wmi::kName).value_or(L"");
    if (!follow.sendAgainOnceSettled && !IsSuccessfulReturn(request.method, returned, state)) {
        RecordRefusal(request.outcome, returned, follow.name);
        return;
    }
    request.toFollow.push_back(std::move(follow));
}

// Calls every match in turn; the outcome succeeds when one was reached and none refused.
ServiceRequest CallEach(std::shared_ptr<IServiceConnection> connection, const std::vector<IServiceObject*>& matches,
                        ServiceMethod method)
{
    ServiceRequest request;
    request.method = method;
    request.connection = std::move(connection);
    for (IServiceObject* service : matches) {
        CallMatchingService(request, *service);
    }
    if (request.outcome.matched > 0 && request.outcome.kind != ServiceOutcome::Kind::Failed) {
        request.outcome.kind = ServiceOutcome::Kind::Succeeded;
    }
    return request;
}

} // namespace

std::vector<IServiceObject*> MatchingServices(const std::vector<std::unique_ptr<IServiceObject>>& instances,
                                              ServiceKey key, std::wstring_view value,
                                              const ServiceFilter& alsoRequire)
{
    // A text that a query can hold was compared by WMI itself, which takes every match; one that
    // only code can match prefers the exactly written ones, as WMI's comparison would tell those
    // apart.
    const bool preferExact = !QuoteWqlLiteral(value).has_value();
    std::vector<IServiceObject*> matches;
    bool anyExact = false;
    for (const auto& service : instances) {
        const auto property = service->ReadText(PropertyOf(key));
        if (!property || !EqualNoCase(*property, value) || (alsoRequire && !alsoRequire(*service))) {
            continue;
        }
        if (!preferExact) {
            matches.push_back(service.get());
            continue;
        }
        if (*property == value) {
            if (!anyExact) {
                matches.clear();
                anyExact = true;
            }
        } else if (anyExact) {
            continue;
        }
        matches.push_back(service.get());
    }
    return matches;
}

ServiceRequest SendToMatchingServices(IServiceAccess& access, ServiceKey key, std::wstring_view value,
                                      ServiceMethod method)
{
    std::shared_ptr<IServiceConnection> connection = access.fConnectWmi();
    std::vector<std::unique_ptr<IServiceObject>> instances;
    try {
        // Every match is found before any method runs.
        instances = ReadAll(*connection->ExecQuery(BuildServiceQuery(key, value).text, wmi::kRequestProperties,
                                                   kWmiAnswerLimit));
    } catch (const Error& error) {
        if (!IsNoAnswerFromWmi(error)) {
            throw;
        }
        ServiceRequest request;
        request.method = method;
        RecordFailure(request.outcome, ErrorReason(error));
        return request;
    }
    return CallEach(std::move(connection), MatchingServices(instances, key, value), method);
}

std::vector<std::unique_ptr<IServiceObject>> ReadQueries(IServiceConnection& connection, const ServiceQueries& queries,
                                                         std::span<const std::wstring_view> keep,
                                                         std::chrono::milliseconds answerWithin)
{
    std::vector<std::unique_ptr<IServiceObject>> found;
    std::set<std::wstring> names;
    try {
        for (const auto& query : queries.texts) {
            for (auto& service : ReadAll(*connection.ExecQuery(query, keep, answerWithin))) {
                const auto name = service->ReadText(wmi::kName);
                if (!name || names.insert(*name).second) {
                    found.push_back(std::move(service));
                }
            }
        }
    } catch (const Error& error) {
        if (error.Number() != kWmiQuotaViolation || queries.texts.front() == queries.readingAll) {
            throw;
        }
        return ReadAll(*connection.ExecQuery(queries.readingAll, keep, answerWithin));
    }
    return found;
}

PressServices FindPressServices(IServiceAccess& access, const std::vector<std::wstring>& texts)
{
    PressServices found;
    try {
        found.connection = access.fConnectWmi();
        found.instances =
            ReadQueries(*found.connection, BuildPressQueries(texts), wmi::kRequestProperties, kWmiAnswerLimit);
    } catch (const Error& error) {
        found.failure = ErrorReason(error);
    }
    return found;
}

ServiceRequest SendToEntry(const PressServices& found, const std::wstring& text, ServiceMethod method)
{
    ServiceRequest failed;
    failed.method = method;
    if (found.failure) {
        RecordFailure(failed.outcome, *found.failure);
        return failed;
    }
    try {
        auto matches = MatchingServices(found.instances, ServiceKey::DisplayName, text);
        if (matches.empty()) {
            // An entry may stand for a service without a display name, listed by its short name.
            const auto hasNoDisplayName = [](IServiceObject& service) { return !service.ReadText(wmi::kDisplayName); };
            matches = MatchingServices(found.instances, ServiceKey::Name, text, hasNoDisplayName);
        }
        return CallEach(found.connection, matches, method);
    } catch (const Error& error) {
        RecordFailure(failed.outcome, ErrorReason(error));
        return failed;
    }
}

} // namespace quenlow
