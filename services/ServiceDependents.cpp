#include "services/ServiceDependents.h"

#include "common/Error.h"
#include "common/Text.h"
#include "services/ActionWords.h"
#include "services/ServiceQuery.h"
#include "services/WmiNames.h"

#include <algorithm>
#include <optional>
#include <set>
#include <utility>

namespace quenlow {

namespace {

// What a look-up keeps of each dependent: its key, what the user sees, and whether it runs.
constexpr std::wstring_view kDependentProperties[] = {wmi::kName, wmi::kDisplayName, wmi::kState};

// The most dependents a question names, so that its box never grows taller than the screen.
constexpr std::size_t kMostNamesAsked = 20;

// How the read crosses back from the worker, in its texts: per service its name, its label, "+"
// when its dependents were listed or "-" when not, their count, and their names.
constexpr std::wstring_view kListed = L"+";
constexpr std::wstring_view kUnlisted = L"-";

void Encode(const ServiceDependents& read, std::vector<std::wstring>& texts)
{
    for (const auto& [name, service] : read.services) {
        texts.push_back(name);
        texts.push_back(service.label);
        texts.emplace_back(service.unlisted ? kUnlisted : kListed);
        texts.push_back(std::to_wstring(service.dependents.size()));
        texts.insert(texts.end(), service.dependents.begin(), service.dependents.end());
    }
}

// Reads the running services that depend directly on the named one; each new one is added to
// the read and to those whose own dependents are to be read. False when they could not be read.
bool ReadDirectDependents(IServiceConnection& connection, const std::wstring& name, ServiceDependents& read,
                          std::vector<std::wstring>& toRead)
{
    const auto query = DependentsQuery(name);
    if (!query) {
        return false;
    }
    try {
        for (const auto& dependent : ReadAll(*connection.ExecQuery(*query, kDependentProperties, kWmiAnswerLimit))) {
            const auto dependentName = dependent->ReadText(wmi::kName);
            if (!dependentName || EqualNoCase(dependent->ReadText(wmi::kState).value_or(L""), wmi::kStopped)) {
                continue; // a stopped service holds nothing
            }
            ServiceDependents::Service& found = read.services[*dependentName];
            if (found.label.empty()) {
                found.label = dependent->ReadText(wmi::kDisplayName).value_or(*dependentName);
            }
            if (std::find(toRead.begin(), toRead.end(), *dependentName) == toRead.end()) {
                toRead.push_back(*dependentName);
            }
            read.services[name].dependents.push_back(*dependentName);
        }
    } catch (const Error&) {
        return false;
    }
    return true;
}

// The named services and all that depend on them, each once, in the order reached.
std::vector<std::wstring> Reached(const ServiceDependents& read, const std::vector<std::wstring>& names)
{
    std::vector<std::wstring> reached;
    std::set<std::wstring> seen;
    for (const auto& name : names) {
        if (seen.insert(name).second) {
            reached.push_back(name);
        }
    }
    for (std::size_t next = 0; next < reached.size(); ++next) {
        const auto service = read.services.find(reached[next]);
        if (service == read.services.end()) {
            continue;
        }
        for (const auto& dependent : service->second.dependents) {
            if (seen.insert(dependent).second) {
                reached.push_back(dependent);
            }
        }
    }
    return reached;
}

std::vector<std::wstring> Labels(const ServiceDependents& read, const std::vector<std::wstring>& names)
{
    std::vector<std::wstring> labels;
    for (const auto& name : names) {
        const auto service = read.services.find(name);
        labels.push_back(service == read.services.end() ? name : service->second.label);
    }
    return labels;
}

// "Fax", "Fax and Modem", "Fax, Modem and Telephony".
std::wstring JoinNames(const std::vector<std::wstring>& names)
{
    std::wstring text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += (i == 0 ? L"" : i + 1 == names.size() ? L" and " : L", ") + names[i];
    }
    return text;
}

bool Stopped(const ServiceOutcome& outcome)
{
    return outcome.kind == ServiceOutcome::Kind::Succeeded || outcome.kind == ServiceOutcome::Kind::NotFound;
}

// A held entry that the user was asked about, with the services of it that were refused.
struct AskedEntry {
    std::vector<std::wstring> names;
    HeldEntry entry;
};

// The dependents of the named services that did not stop, by label: a service they hold stays
// refused.
std::vector<std::wstring> StillHolding(const ServiceDependents& read, const std::vector<std::wstring>& names,
                                       const std::set<std::wstring>& notStopped)
{
    std::vector<std::wstring> holding;
    for (const auto& dependent : AllDependents(read, names)) {
        if (notStopped.contains(dependent)) {
            holding.push_back(dependent);
        }
    }
    return Labels(read, holding);
}

// The step's one request, in its words on failure: WMI's error is this service's failure.
ServiceRequest SendTrapped(const std::function<ServiceRequest()>& send)
{
    try {
        return send();
    } catch (const Error& error) {
        ServiceRequest failed;
        failed.method = ServiceMethod::Stop;
        RecordFailure(failed.outcome, ErrorReason(error));
        return failed;
    }
}

void Settle(WorkSite& site, std::size_t entry, ServiceOutcome outcome)
{
    WorkEntry& onBoard = site.board.entries[entry];
    onBoard.outcome = std::move(outcome);
    onBoard.stage = WorkEntry::Stage::Settled;
    onBoard.since = site.clock.Now();
    site.Report();
}

// The outcome of a step not taken because services that depend on it did not stop.
ServiceOutcome HeldBack(const ServiceOutcome& before, const std::vector<std::wstring>& holding, bool isDependent)
{
    ServiceOutcome outcome = before;
    if (isDependent) {
        RecordFailure(outcome, L"it was not asked to stop, as " + JoinNames(holding) + L" did not stop");
    } else {
        outcome.reason += L": " + JoinNames(holding);
    }
    return outcome;
}

// The dependents by name in the order given, then the asked entries again: each in its turn,
// unless something that depends on it did not stop, and followed to its end before the next.
Work StopInTurn(ServiceDependents read, std::vector<std::wstring> order, std::vector<AskedEntry> asked)
{
    return [read = std::move(read), order = std::move(order), asked = std::move(asked)](WorkSite& site) {
        ServiceFollower follower(site);
        std::set<std::wstring> notStopped;
        for (std::size_t entry = 0; entry < site.board.entries.size() && !site.WaitEnded(); ++entry) {
            const bool isDependent = entry < order.size();
            const AskedEntry* again = isDependent ? nullptr : &asked[entry - order.size()];
            const std::vector<std::wstring> names = isDependent ? std::vector{order[entry]} : again->names;
            const auto holding = StillHolding(read, names, notStopped);
            if (!holding.empty()) {
                const ServiceOutcome before = isDependent ? ServiceOutcome{} : again->entry.outcome;
                Settle(site, entry, HeldBack(before, holding, isDependent));
                notStopped.insert(names.begin(), names.end());
                continue;
            }
            WorkEntry& onBoard = site.board.entries[entry];
            onBoard.stage = WorkEntry::Stage::Asking;
            onBoard.since = site.clock.Now();
            site.Report();
            site.sending = entry;
            std::optional<ServiceRequest> request;
            try {
                request = SendTrapped([&] {
                    return isDependent ? SendToMatchingServices(site.services, ServiceKey::Name, order[entry],
                                                                ServiceMethod::Stop)
                                       : again->entry.again(site.services, again->entry.label);
                });
            } catch (const RequestNotSent&) {
                // The wait ended before the request went out: nothing more is sent.
            }
            site.sending.reset();
            if (!request) {
                break;
            }
            follower.Add(entry, std::move(*request));
            follower.FollowToTheEnd();
            if (!Stopped(site.board.entries[entry].outcome)) {
                notStopped.insert(names.begin(), names.end());
            }
        }
        follower.FollowToTheEnd(); // settles what the end of the wait left
    };
}

// Reads the dependents of the held entries' services through the worker; where the read fails or
// is given up, every service is unlisted.
ServiceDependents LookUp(IServiceWork& work, const std::vector<HeldEntry>& held,
                         std::optional<std::chrono::milliseconds> limit)
{
    std::vector<std::wstring> labels;
    std::vector<std::wstring> names;
    for (const auto& entry : held) {
        labels.push_back(entry.label);
        names.insert(names.end(), entry.outcome.heldByDependents.begin(), entry.outcome.heldByDependents.end());
    }
    WorkBoard board = ListReadBoard(L"services that depend on " + JoinNames(labels));
    board.limit = limit;
    work.Start(std::move(board), ReadDependents(std::move(names)));
    try {
        const WorkResult result = work.Finish();
        if (!result.stopped) {
            return DependentsRead(result.texts);
        }
    } catch (const Error&) {
        // A connection that took its whole time: the dependents are not listed.
    }
    return {};
}

} // namespace

std::optional<std::wstring> DependentsQuery(std::wstring_view name)
{
    // The object path ends at its brace: a name with one could end it early.
    const auto literal = QuoteWqlLiteral(name);
    if (!literal || name.find_first_of(L"{}") != std::wstring_view::npos) {
        return std::nullopt;
    }
    return L"ASSOCIATORS OF {Win32_Service.Name=" + *literal +
           L"} WHERE AssocClass=Win32_DependentService Role=Antecedent";
}

Work ReadDependents(std::vector<std::wstring> names)
{
    return [names = std::move(names)](WorkSite& site) {
        ServiceDependents read;
        std::vector<std::wstring> toRead = Reached(read, names); // each once
        std::unique_ptr<IServiceConnection> connection;
        try {
            connection = site.services.fConnectWmi();
        } catch (const Error&) {
            // Nothing could be read: every service stays unlisted.
        } catch (const RequestNotSent&) {
            // The wait ended first: likewise.
        }
        for (std::size_t next = 0; next < toRead.size(); ++next) {
            const std::wstring name = toRead[next];
            bool listed = false;
            try {
                listed = connection && !site.WaitEnded() && ReadDirectDependents(*connection, name, read, toRead);
            } catch (const RequestNotSent&) {
                connection.reset(); // the wait ended: what is left is not listed
            }
            read.services[name].unlisted = !listed;
        }
        Encode(read, site.texts);
    };
}

ServiceDependents DependentsRead(const std::vector<std::wstring>& texts)
{
    ServiceDependents read;
    for (std::size_t at = 0; at + 4 <= texts.size();) {
        ServiceDependents::Service& service = read.services[texts[at]];
        service.label = texts[at + 1];
        service.unlisted = texts[at + 2] != kListed;
        const std::size_t count = std::stoul(texts[at + 3]);
        at += 4;
        const std::size_t end = std::min(texts.size(), at + count);
        service.dependents.assign(texts.begin() + static_cast<std::ptrdiff_t>(at),
                                  texts.begin() + static_cast<std::ptrdiff_t>(end));
        at = end;
    }
    return read;
}

std::vector<std::wstring> AllDependents(const ServiceDependents& read, const std::vector<std::wstring>& names)
{
    std::vector<std::wstring> reached = Reached(read, names);
    std::erase_if(reached, [&](const std::wstring& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    });
    return reached;
}

bool DependentsListed(const ServiceDependents& read, const std::vector<std::wstring>& names)
{
    const auto reached = Reached(read, names);
    const bool allListed = std::all_of(reached.begin(), reached.end(), [&](const std::wstring& name) {
        const auto service = read.services.find(name);
        return service != read.services.end() && !service->second.unlisted;
    });
    return allListed && !AllDependents(read, names).empty();
}

std::vector<std::wstring> StopOrder(const ServiceDependents& read, const std::vector<std::wstring>& names)
{
    // Each service's depth is its longest way down from a named one: one that depends on another
    // is always deeper. A named service that depends on another named one stops among the
    // dependents. Service dependencies are never circular; a read that says so ends all the same.
    const std::vector<std::wstring> reached = Reached(read, names);
    std::map<std::wstring, std::size_t> depth;
    bool deeper = true;
    for (std::size_t round = 0; deeper && round < reached.size(); ++round) {
        deeper = false;
        for (const auto& name : reached) {
            const auto service = read.services.find(name);
            if (service == read.services.end()) {
                continue;
            }
            for (const auto& dependent : service->second.dependents) {
                if (depth[dependent] < depth[name] + 1) {
                    depth[dependent] = depth[name] + 1;
                    deeper = true;
                }
            }
        }
    }
    std::vector<std::wstring> order;
    std::copy_if(reached.begin(), reached.end(), std::back_inserter(order),
                 [&](const std::wstring& name) { return depth[name] > 0; });
    std::stable_sort(order.begin(), order.end(),
                     [&](const std::wstring& a, const std::wstring& b) { return depth[a] > depth[b]; });
    return order;
}

std::vector<WorkEntry> StopWithDependents(IServiceWork& work, std::vector<HeldEntry>& held, const YesNoQuestion& ask,
                                          std::optional<std::chrono::milliseconds> limit)
{
    if (held.empty()) {
        return {};
    }
    const ServiceDependents read = LookUp(work, held, limit);
    std::vector<std::wstring> labels;
    // The entries whose dependents are known are asked about together; the others keep their refusal.
    std::vector<std::size_t> at;
    std::vector<AskedEntry> asked;
    std::vector<std::wstring> askedNames;
    for (std::size_t i = 0; i < held.size(); ++i) {
        const auto& refused = held[i].outcome.heldByDependents;
        if (!DependentsListed(read, refused)) {
            held[i].outcome.reason += L"; they could not be listed";
            continue;
        }
        at.push_back(i);
        labels.push_back(held[i].label);
        asked.push_back({refused, held[i]});
        askedNames.insert(askedNames.end(), refused.begin(), refused.end());
    }
    if (asked.empty()) {
        return {};
    }
    const std::vector<std::wstring> order = StopOrder(read, askedNames);
    if (!ask(DependentsQuestion(labels, Labels(read, order)))) {
        for (const std::size_t i : at) {
            const auto holding = Labels(read, AllDependents(read, held[i].outcome.heldByDependents));
            held[i].outcome = HeldBack(held[i].outcome, holding, false);
        }
        return {};
    }
    std::vector<std::wstring> onBoard = Labels(read, order);
    onBoard.insert(onBoard.end(), labels.begin(), labels.end());
    WorkBoard board = ServiceActionBoard(ServiceMethod::Stop, std::move(onBoard));
    board.limit = limit;
    work.Start(std::move(board), StopInTurn(read, order, std::move(asked)));
    const std::vector<WorkEntry> entries = work.Finish().board.entries;
    for (std::size_t k = 0; k < at.size(); ++k) {
        held[at[k]].outcome = entries[order.size() + k].outcome;
    }
    return {entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(order.size())};
}

std::wstring DependentsQuestion(const std::vector<std::wstring>& held, const std::vector<std::wstring>& dependents)
{
    std::wstring text = L"Other running services depend on " + JoinNames(held) + L":\n";
    const std::size_t shown = dependents.size() > kMostNamesAsked ? kMostNamesAsked - 1 : dependents.size();
    for (std::size_t i = 0; i < shown; ++i) {
        text += L"\n" + dependents[i];
    }
    if (shown < dependents.size()) {
        text += L"\n\u2026and " + std::to_wstring(dependents.size() - shown) + L" more";
    }
    return text + L"\n\nStop these first, then " + JoinNames(held) + L"?";
}

std::wstring DependentsReport(std::wstring_view heading, const std::vector<WorkEntry>& dependents)
{
    if (dependents.empty()) {
        return {};
    }
    std::wstring text = L"\n\n" + std::wstring(heading);
    for (const auto& entry : dependents) {
        text += L"\n" + DescribeOutcome(OutcomeVoice::ProgressLine, ServiceMethod::Stop, entry.label, entry.outcome);
    }
    return text;
}

} // namespace quenlow
