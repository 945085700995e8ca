#include "windows/ServiceListProcedures.h"

#include "common/Error.h"
#include "services/ActionWords.h"
#include "services/ServiceJobs.h"
#include "windows/TickedDependents.h"

#include <utility>

namespace quenlow {

std::vector<std::wstring> ReadList(WindowContext& context, const ListSource& source)
{
    context.work.Start(ListReadBoard(std::wstring(source.name)), ReadServiceList(std::wstring(source.query)));
    WorkResult read;
    try {
        read = context.work.Finish();
    } catch (const Error& error) {
        throw ListNotRead(ErrorReason(error));
    }
    if (read.stopped) {
        throw WaitStopped();
    }
    return std::move(read.texts);
}

void FillList(WindowContext& context, WindowId window, const std::vector<std::wstring>& names)
{
    context.ui.ClearList(window);
    context.ui.AppendToList(window, names);
}

void LoadServiceList(WindowContext& context, WindowId window, const ListSource& source)
{
    // A failed or given-up read leaves the list as it was.
    std::vector<std::wstring> names = context.listRead ? std::move(*context.listRead) : ReadList(context, source);
    context.listRead.reset();
    FillList(context, window, names);
}

void ActOnTickedEntries(WindowContext& context, WindowId window, ServiceMethod method, EntryRequest send,
                        void (*reload)(WindowContext&))
{
    std::vector<std::wstring> ticked;
    const std::size_t count = context.ui.ListCount(window);
    for (std::size_t position = 0; position < count; ++position) {
        if (context.ui.ListChecked(window, position)) {
            ticked.push_back(context.ui.ListText(window, position));
        }
    }
    context.work.Start(ServiceActionBoard(method, std::move(ticked)), ActOnDisplayNames(send));
    const WorkResult acted = context.work.Finish();

    std::vector<EntryResult> results;
    for (const auto& entry : acted.board.entries) {
        results.push_back({entry.label, entry.outcome});
    }
    std::wstring dependents;
    if (method == ServiceMethod::Stop && !acted.stopped && !context.safety.CloseKept(window)) {
        dependents = StopTickedWithDependents(context, window, send, results);
    }
    std::wstring report = SelectionReport(method, results, acted.board.needsAdministrator) + dependents;
    if (!context.safety.CloseKept(window)) {
        try {
            reload(context);
        } catch (const ListNotRead& failure) {
            report += L"\n\nThe list could not be reloaded: " + failure.Reason() + L".";
        } catch (const WaitStopped&) {
            report += L"\n\nThe list could not be reloaded: the wait was stopped.";
        }
    }
    context.ui.ShowMessage(report);
}

std::wstring SelectionReport(ServiceMethod method, const std::vector<EntryResult>& results, bool needsAdministrator)
{
    std::size_t failures = 0;
    std::wstring details;
    std::size_t unconfirmed = 0;
    std::wstring unread;
    for (const auto& result : results) {
        const std::wstring line =
            L"\n" + DescribeOutcome(OutcomeVoice::Selection, method, result.displayName, result.outcome);
        switch (result.outcome.kind) {
        case ServiceOutcome::Kind::Succeeded:
            continue;
        case ServiceOutcome::Kind::Unconfirmed:
            // Taken, and perhaps carried out: not among those that were not.
            unread += line;
            ++unconfirmed;
            continue;
        case ServiceOutcome::Kind::NotFound:
        case ServiceOutcome::Kind::Failed:
        case ServiceOutcome::Kind::StillPending:
            details += line;
            ++failures;
            break;
        }
    }
    const ActionWords& words = WordsOf(method);
    if (failures == 0 && unconfirmed == 0) {
        return L"Selected Services are " + std::wstring(words.doneCaps) + L".";
    }
    const std::size_t done = results.size() - failures - unconfirmed;
    std::wstring text = needsAdministrator ? std::wstring(kNeedsAdministratorText) + L"\n\n" : std::wstring();
    text += std::to_wstring(done) + L" of " + std::to_wstring(results.size()) + L" selected services were " +
            std::wstring(words.done) + L".";
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
