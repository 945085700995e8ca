#include "start/NameDependents.h"

#include "services/ServiceDependents.h"

#include <algorithm>

namespace quenlow {

std::wstring StopNameWithDependents(IServiceWork& work, IStartupUi& ui, const std::wstring& serviceName,
                                    const WorkResult& pressed, ServiceOutcome& outcome)
{
    const WorkBoard& board = pressed.board;
    if (MethodOf(board) != ServiceMethod::Stop || pressed.stopped || !HeldByDependents(outcome)) {
        return {};
    }
    // The entry settled when its refusal came: the command's time since then is what is left.
    const auto used = board.entries.front().since - board.began;
    const auto left = std::max(kCommandLineLimit - used, std::chrono::milliseconds(0));
    std::vector<HeldEntry> held{{serviceName, outcome, &fStopServiceByName}};
    const auto ask = [&ui](std::wstring_view question) { return ui.AskYesNo(question); };
    const std::vector<WorkEntry> dependents = StopWithDependents(work, held, ask, left);
    outcome = held.front().outcome;
    return DependentsReport(L"The services that depend on it:", dependents);
}

} // namespace quenlow
