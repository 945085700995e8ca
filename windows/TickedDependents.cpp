#include "windows/TickedDependents.h"

#include "services/ServiceDependents.h"

namespace quenlow {

std::wstring StopTickedWithDependents(WindowContext& context, WindowId window, EntryRequest send,
                                      std::vector<EntryResult>& results)
{
    // An entry is sent again as the press sent it: found afresh by its text.
    const SendRequest again = [send](IServiceAccess& access, const std::wstring& label) {
        return send(FindPressServices(access, {label}), label);
    };
    std::vector<std::size_t> at;
    std::vector<HeldEntry> held;
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (HeldByDependents(results[i].outcome)) {
            at.push_back(i);
            held.push_back({results[i].displayName, results[i].outcome, again});
        }
    }
    const auto ask = [&](std::wstring_view question) {
        return context.ui.AskYesNo(question) && !context.safety.CloseKept(window);
    };
    const std::vector<WorkEntry> dependents = StopWithDependents(context.work, held, ask);
    for (std::size_t k = 0; k < at.size(); ++k) {
        results[at[k]].outcome = held[k].outcome;
    }
    return DependentsReport(L"The services that depend on them:", dependents);
}

} // namespace quenlow
