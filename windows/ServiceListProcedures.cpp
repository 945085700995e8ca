#include "windows/ServiceListProcedures.h"

#include "common/Error.h"
#include "services/ServiceFollow.h"
#include "windows/ListOrder.h"

namespace quenlow {

void LoadServiceList(WindowContext& context, WindowId window, std::wstring_view query)
{
    auto connection = context.services.fConnectWmi();
    auto result = connection->ExecQuery(query);
    context.ui.ClearList(window);

    std::vector<std::wstring> texts;
    while (auto service = result->Next()) {
        auto text = service->ReadText(L"DisplayName");
        if (!text) {
            text = service->ReadText(L"Name");
        }
        texts.push_back(text.value_or(std::wstring()));
    }
    // One sort and one insertion pass: inserting each entry at its sorted place costs far
    // more on long lists.
    SortListTexts(texts);
    context.ui.AppendToList(window, texts);
}

ServiceRequest CallByDisplayName(IServiceAccess& services, const std::wstring& displayName, ServiceMethod method)
{
    try {
        ServiceRequest request = SendToMatchingServices(services, ServiceKey::DisplayName, displayName, method);
        if (request.outcome.kind == ServiceOutcome::Kind::NotFound) {
            // An entry may stand for a service without a display name, listed by its short name.
            const auto hasNoDisplayName = [](IServiceObject& service) { return !service.ReadText(L"DisplayName"); };
            request = SendToMatchingServices(services, ServiceKey::Name, displayName, method, hasNoDisplayName);
        }
        return request;
    } catch (const Error& error) {
        ServiceRequest failed;
        failed.method = method;
        RecordFailure(failed.outcome, ErrorReason(error));
        return failed;
    }
}

void ActOnTickedEntries(WindowContext& context, WindowId window, ServiceMethod method,
                        void (*reload)(WindowContext&),
                        ServiceRequest (*perEntry)(IServiceAccess&, const std::wstring&))
{
    std::vector<std::wstring> texts;
    std::vector<ServiceRequest> requests;
    const std::size_t count = context.ui.ListCount(window);
    for (std::size_t position = 0; position < count; ++position) {
        if (context.ui.ListChecked(window, position)) {
            texts.push_back(context.ui.ListText(window, position));
            requests.push_back(perEntry(context.services, texts.back()));
        }
    }
    FollowUntilSettled(requests, context.clock);

    std::vector<EntryResult> results;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        results.push_back({std::move(texts[i]), std::move(requests[i].outcome)});
    }
    reload(context);
    context.ui.ShowMessage(SelectionReport(method, results));
}

std::wstring SelectionReport(ServiceMethod method, const std::vector<EntryResult>& results)
{
    const bool starting = method == ServiceMethod::Start;
    std::size_t failures = 0;
    std::wstring details;
    for (const auto& result : results) {
        switch (result.outcome.kind) {
        case ServiceOutcome::Kind::Succeeded:
            continue;
        case ServiceOutcome::Kind::NotFound:
            details += L"\n" + result.displayName + L": not found; no service has this name any more.";
            break;
        case ServiceOutcome::Kind::Failed:
            details += L"\n" + result.displayName + L": " + result.outcome.reason;
            if (result.outcome.returnValue) {
                details += L" (return value " + std::to_wstring(*result.outcome.returnValue) + L")";
            }
            details += L".";
            break;
        }
        ++failures;
    }
    if (failures == 0) {
        return starting ? L"Selected Services are Started." : L"Selected Services are Stopped.";
    }
    const std::size_t done = results.size() - failures;
    std::wstring text = std::to_wstring(done) + L" of " + std::to_wstring(results.size()) +
                        (starting ? L" selected services were started." : L" selected services were stopped.");
    text += failures == 1 ? L" This one was not:\n" : L" These were not:\n";
    return text + details;
}

} // namespace quenlow
