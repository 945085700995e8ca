#include "windows/ServiceListProcedures.h"

#include "common/Error.h"
#include "services/ServiceFollow.h"
#include "services/WmiNames.h"
#include "windows/ListOrder.h"

namespace quenlow {

void StartListRead(WindowContext& context, const ListSource& source)
{
    context.work.Start(ListReadBoard(std::wstring(source.name)), [query = std::wstring(source.query)](WorkSite& site) {
        auto connection = site.services.fConnectWmi();
        auto result = connection->ExecQuery(query, kWmiAnswerLimit);
        while (auto service = result->Next()) {
            auto text = service->ReadText(wmi::kDisplayName);
            if (!text) {
                text = service->ReadText(wmi::kName);
            }
            site.texts.push_back(text.value_or(std::wstring()));
        }
        // One sort and one insertion pass: inserting each entry at its sorted place costs far
        // more on long lists.
        SortListTexts(site.texts);
    });
}

void FillFromListRead(WindowContext& context, WindowId window)
{
    WorkResult read = context.work.Finish();
    if (read.stopped) {
        throw WaitStopped();
    }
    context.ui.ClearList(window);
    context.ui.AppendToList(window, read.texts);
}

void LoadServiceList(WindowContext& context, WindowId window, const ListSource& source)
{
    StartListRead(context, source);
    FillFromListRead(context, window);
}

ServiceRequest CallByDisplayName(IServiceAccess& services, const std::wstring& displayName, ServiceMethod method)
{
    try {
        ServiceRequest request = SendToMatchingServices(services, ServiceKey::DisplayName, displayName, method);
        if (request.outcome.kind == ServiceOutcome::Kind::NotFound) {
            // An entry may stand for a service without a display name, listed by its short name.
            const auto hasNoDisplayName = [](IServiceObject& service) { return !service.ReadText(wmi::kDisplayName); };
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
    std::vector<std::wstring> ticked;
    const std::size_t count = context.ui.ListCount(window);
    for (std::size_t position = 0; position < count; ++position) {
        if (context.ui.ListChecked(window, position)) {
            ticked.push_back(context.ui.ListText(window, position));
        }
    }
    context.work.Start(ServiceActionBoard(method, std::move(ticked)),
                       [perEntry](WorkSite& site) { ActOnServices(site, perEntry); });
    const WorkResult acted = context.work.Finish();

    std::vector<EntryResult> results;
    for (const auto& entry : acted.board.entries) {
        results.push_back({entry.label, entry.outcome});
    }
    std::wstring report = SelectionReport(method, results);
    try {
        reload(context);
    } catch (const Error& error) {
        report += L"\n\nThe list could not be reloaded: " + ErrorReason(error) + L".";
    } catch (const WaitStopped&) {
        report += L"\n\nThe list could not be reloaded: the wait was stopped.";
    }
    context.ui.ShowMessage(report);
}

std::wstring SelectionReport(ServiceMethod method, const std::vector<EntryResult>& results)
{
    const bool starting = method == ServiceMethod::Start;
    std::size_t failures = 0;
    std::wstring details;
    std::size_t unconfirmed = 0;
    std::wstring unread;
    for (const auto& result : results) {
        switch (result.outcome.kind) {
        case ServiceOutcome::Kind::Succeeded:
            continue;
        case ServiceOutcome::Kind::NotFound:
            details += L"\n" + result.displayName + L": not found; no service has this name any more.";
            break;
        case ServiceOutcome::Kind::Failed:
        case ServiceOutcome::Kind::StillPending:
            details += L"\n" + result.displayName + L": " + DescribeFailure(result.outcome) + L".";
            break;
        case ServiceOutcome::Kind::Unconfirmed:
            // Taken, and perhaps carried out: not among those that were not.
            unread += L"\n" + result.displayName + L": " + result.outcome.reason + L".";
            ++unconfirmed;
            continue;
        }
        ++failures;
    }
    if (failures == 0 && unconfirmed == 0) {
        return starting ? L"Selected Services are Started." : L"Selected Services are Stopped.";
    }
    const std::size_t done = results.size() - failures - unconfirmed;
    std::wstring text = std::to_wstring(done) + L" of " + std::to_wstring(results.size()) +
                        (starting ? L" selected services were started." : L" selected services were stopped.");
    if (failures > 0) {
        text += (failures == 1 ? L" This one was not:\n" : L" These were not:\n") + details;
    }
    if (unconfirmed > 0) {
        text += failures > 0 ? L"\n\n" : L" ";
        text += unconfirmed == 1 ? L"This one was asked to, but whether it got there is not known:\n"
                                 : L"These were asked to, but whether they got there is not known:\n";
        text += unread;
    }
    return text;
}

} // namespace quenlow
