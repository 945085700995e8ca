#include "services/ServiceFollow.h"

#include "common/Error.h"
#include "common/SystemErrorText.h"
#include "common/Text.h"
#include "services/ServiceQuery.h"

#include <algorithm>
#include <optional>

namespace quenlow {

namespace {

using std::chrono::milliseconds;
using Stage = WorkEntry::Stage;

// The exit code that means "look at the service-specific one".
constexpr std::uint32_t kServiceSpecificError = 1066;

// The pending states and what the service is doing in each.
struct PendingState {
    std::wstring_view state;
    std::wstring_view doing;
};
constexpr PendingState kPendingStates[] = {
    {L"Start Pending", L"starting"},
    {L"Stop Pending", L"stopping"},
    {L"Continue Pending", L"resuming"},
    {L"Pause Pending", L"pausing"},
};

std::optional<std::wstring_view> PendingActivity(std::wstring_view state)
{
    for (const auto& pending : kPendingStates) {
        if (EqualNoCase(state, pending.state)) {
            return pending.doing;
        }
    }
    return std::nullopt;
}

std::wstring_view Goal(ServiceMethod method)
{
    return method == ServiceMethod::Start ? L"Running" : L"Stopped";
}

// " (exit code 1066: The service has returned a service-specific error code; service-specific
// code 42)", as far as WMI gives them; empty for a clean exit or where WMI has neither.
std::wstring ExitDetails(IServiceObject& service)
{
    const auto exitCode = service.ReadUnsigned(L"ExitCode");
    if (!exitCode || *exitCode == 0) {
        return {};
    }
    std::wstring details = L" (exit code " + std::to_wstring(*exitCode);
    std::wstring words = SystemErrorText(*exitCode);
    while (!words.empty() && words.back() == L'.') {
        words.pop_back();
    }
    if (!words.empty()) {
        details += L": " + words;
    }
    if (*exitCode == kServiceSpecificError) {
        if (const auto specific = service.ReadUnsigned(L"ServiceSpecificExitCode")) {
            details += L"; service-specific code " + std::to_wstring(*specific);
        }
    }
    return details + L")";
}

// Why a service that settled in a state other than the wanted one counts as a failure.
std::wstring SettledElsewhere(ServiceMethod method, const std::wstring& state, IServiceObject& service)
{
    const bool starting = method == ServiceMethod::Start;
    if (starting && EqualNoCase(state, L"Stopped")) {
        return L"it stopped again while starting" + ExitDetails(service);
    }
    if (!starting && EqualNoCase(state, L"Running")) {
        return L"it did not stop; it is running again";
    }
    const std::wstring didNot = starting ? L"it did not start; " : L"it did not stop; ";
    if (EqualNoCase(state, L"Paused")) {
        return didNot + L"it is paused";
    }
    return didNot + L"its state is " + (state.empty() ? std::wstring(L"unknown") : state);
}

} // namespace

ServiceFollower::ServiceFollower(WorkSite& site, const FollowRules& rules)
    : m_site(site), m_rules(rules), m_requests(site.board.entries.size())
{
}

void ServiceFollower::Add(std::size_t entry, ServiceRequest request)
{
    const milliseconds now = m_site.clock.Now();
    WorkEntry& onBoard = m_site.board.entries.at(entry);
    onBoard.outcome = request.outcome;
    onBoard.stage = Stage::Pending;
    onBoard.since = now;
    onBoard.doing = ActivityOf(request.method);
    for (const auto& name : request.toFollow) {
        m_watches.push_back({entry, name, now, now, m_rules.firstInterval, now, m_rules.withoutProgress, std::nullopt});
    }
    if (request.connection) {
        m_latestConnection = request.connection.get();
    }
    m_requests[entry] = std::move(request);
    SettleEntryIfDone(entry);
    m_site.Report();
}

milliseconds ServiceFollower::Deadline(const Watch& watch) const
{
    return std::min(watch.progressAt + watch.allowance, watch.start + m_rules.inAll);
}

bool ServiceFollower::AnyPending() const
{
    return std::any_of(m_watches.begin(), m_watches.end(), [](const Watch& watch) { return !watch.settled; });
}

void ServiceFollower::LookIfDue()
{
    const milliseconds now = m_site.clock.Now();
    if (std::any_of(m_watches.begin(), m_watches.end(),
                    [&](const Watch& watch) { return !watch.settled && watch.nextLook <= now; })) {
        Look();
    }
}

void ServiceFollower::FollowToTheEnd()
{
    while (AnyPending() && !m_site.clock.StopRequested()) {
        // The next look is due at the earliest of the services' own times, and never after the
        // moment one must be given up.
        milliseconds next = milliseconds::max();
        for (const auto& watch : m_watches) {
            if (!watch.settled) {
                next = std::min({next, watch.nextLook, Deadline(watch)});
            }
        }
        const milliseconds now = m_site.clock.Now();
        if (next > now) {
            m_site.clock.WaitFor(next - now);
        }
        if (m_site.clock.StopRequested()) {
            break;
        }
        Look();
    }
    if (m_site.clock.StopRequested()) {
        StopWaiting(m_site.board);
        m_site.Report();
    }
}

void ServiceFollower::Look()
{
    std::vector<Watch*> pending;
    milliseconds latest{0};
    for (auto& watch : m_watches) {
        if (!watch.settled) {
            pending.push_back(&watch);
            latest = std::max(latest, Deadline(watch));
        }
    }
    if (pending.empty() || !m_latestConnection) {
        return;
    }
    // One service is looked up by its short name, which never changes; several at once in the
    // whole table, which under Wine costs no more than one of them.
    const ServiceQuery query = pending.size() == 1 ? BuildServiceQuery(ServiceKey::Name, pending.front()->name)
                                                   : ServiceQuery{std::wstring(kAllServicesQuery), std::nullopt};
    const milliseconds lookedAt = m_site.clock.Now();
    // A look never holds the wait past the last moment a service may be waited for.
    const milliseconds limit = std::clamp(latest - lookedAt, milliseconds(1000), kWmiAnswerLimit);
    try {
        auto result = m_latestConnection->ExecQuery(query.text, limit);
        std::vector<std::unique_ptr<IServiceObject>> found;
        while (auto service = result->Next()) {
            found.push_back(std::move(service));
        }
        const milliseconds now = m_site.clock.Now();
        for (Watch* watch : pending) {
            IServiceObject* match = nullptr;
            for (const auto& service : found) {
                if (service->ReadText(L"Name") == watch->name) {
                    match = service.get();
                    break;
                }
            }
            watch->nextLook = lookedAt + watch->interval;
            watch->interval = std::min(watch->interval * 3 / 2, m_rules.longestInterval);
            Judge(*watch, match, now);
        }
    } catch (const Error& error) {
        for (Watch* watch : pending) {
            Fail(*watch, ErrorReason(error));
        }
    }
    m_site.Report();
}

void ServiceFollower::Judge(Watch& watch, IServiceObject* service, milliseconds now)
{
    const ServiceMethod method = MethodOf(m_site.board);
    if (!service) {
        Fail(watch, L"it was removed while " + std::wstring(ActivityOf(method)));
        return;
    }
    const std::wstring state = service->ReadText(L"State").value_or(L"");
    if (EqualNoCase(state, Goal(method))) {
        watch.settled = true;
        SettleEntryIfDone(watch.entry);
        return;
    }
    const auto doing = PendingActivity(state);
    if (!doing) {
        Fail(watch, SettledElsewhere(method, state, *service));
        return;
    }
    const auto checkPoint = service->ReadUnsigned(L"CheckPoint");
    if (checkPoint && watch.checkPoint && *checkPoint != *watch.checkPoint) {
        watch.progressAt = now;
    }
    watch.checkPoint = checkPoint;
    if (const auto waitHint = service->ReadUnsigned(L"WaitHint")) {
        watch.allowance = std::max(m_rules.withoutProgress, milliseconds(*waitHint));
    }
    WorkEntry& entry = m_site.board.entries[watch.entry];
    entry.doing = *doing;
    entry.checkPoint = checkPoint;
    if (now >= Deadline(watch)) {
        GiveUp(watch, L"it was still " + std::wstring(*doing) + L" after " + DescribeDuration(now - watch.start));
    }
}

void ServiceFollower::Fail(Watch& watch, std::wstring reason)
{
    RecordFailure(m_requests[watch.entry]->outcome, std::move(reason));
    watch.settled = true;
    SettleEntryIfDone(watch.entry);
}

void ServiceFollower::GiveUp(Watch& watch, std::wstring reason)
{
    RecordStillPending(m_requests[watch.entry]->outcome, std::move(reason));
    watch.settled = true;
    SettleEntryIfDone(watch.entry);
}

void ServiceFollower::SettleEntryIfDone(std::size_t entry)
{
    for (const auto& watch : m_watches) {
        if (watch.entry == entry && !watch.settled) {
            return;
        }
    }
    WorkEntry& onBoard = m_site.board.entries[entry];
    onBoard.outcome = m_requests[entry]->outcome;
    onBoard.stage = Stage::Settled;
    onBoard.since = m_site.clock.Now();
}

void ActOnServices(WorkSite& site, const SendRequest& send, const FollowRules& rules)
{
    ServiceFollower follower(site, rules);
    for (std::size_t entry = 0; entry < site.board.entries.size(); ++entry) {
        if (site.clock.StopRequested()) {
            break;
        }
        WorkEntry& onBoard = site.board.entries[entry];
        onBoard.stage = Stage::Asking;
        onBoard.since = site.clock.Now();
        site.Report();
        follower.Add(entry, send(site.services, onBoard.label));
        follower.LookIfDue();
    }
    follower.FollowToTheEnd();
}

} // namespace quenlow
