#include "services/ServiceFollow.h"

#include "common/Error.h"
#include "common/SystemErrorText.h"
#include "common/Text.h"
#include "services/ActionWords.h"
#include "services/ServiceQuery.h"
#include "services/WmiNames.h"

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
    {wmi::kStartPending, L"starting"},
    {wmi::kStopPending, L"stopping"},
    {wmi::kContinuePending, L"resuming"},
    {wmi::kPausePending, L"pausing"},
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
    return method == ServiceMethod::Start ? wmi::kRunning : wmi::kStopped;
}

std::wstring_view Opposite(ServiceMethod method)
{
    return method == ServiceMethod::Start ? wmi::kStopped : wmi::kRunning;
}

// The state of a service on its way where the method sends it.
std::wstring_view Underway(ServiceMethod method)
{
    return method == ServiceMethod::Start ? wmi::kStartPending : wmi::kStopPending;
}

// " (exit code 1066: The service has returned a service-specific error code; service-specific
// code 42)", as far as WMI gives them; empty for a clean exit or where WMI has neither.
std::wstring ExitDetails(IServiceObject& service)
{
    const auto exitCode = service.ReadUnsigned(wmi::kExitCode);
    if (!exitCode || *exitCode == 0) {
        return {};
    }
    std::wstring details = L" (exit code " + FormatErrorNumber(static_cast<std::int32_t>(*exitCode));
    std::wstring words = SystemErrorText(*exitCode);
    while (!words.empty() && words.back() == L'.') {
        words.pop_back();
    }
    if (!words.empty()) {
        details += L": " + words;
    }
    if (*exitCode == kServiceSpecificError) {
        if (const auto specific = service.ReadUnsigned(wmi::kServiceSpecificExitCode)) {
            details += L"; service-specific code " + FormatErrorNumber(static_cast<std::int32_t>(*specific));
        }
    }
    return details + L")";
}

// Why a service that settled in a state other than the wanted one counts as a failure.
std::wstring SettledElsewhere(ServiceMethod method, const std::wstring& state, IServiceObject& service)
{
    const bool starting = method == ServiceMethod::Start;
    if (starting && EqualNoCase(state, wmi::kStopped)) {
        return L"it stopped again while starting" + ExitDetails(service);
    }
    const std::wstring didNot = L"it did not " + std::wstring(WordsOf(method).verb) + L"; ";
    if (!starting && EqualNoCase(state, wmi::kRunning)) {
        return didNot + L"it is running again";
    }
    if (EqualNoCase(state, wmi::kPaused)) {
        return didNot + L"it is paused";
    }
    return didNot + L"its state is " + (state.empty() ? std::wstring(L"unknown") : state);
}

// Whether every call of the work was refused for want of rights (entries that found no service
// made no call).
bool EveryCallRefusedForRights(const WorkBoard& board)
{
    bool refused = false;
    for (const auto& entry : board.entries) {
        if (entry.outcome.kind == ServiceOutcome::Kind::NotFound) {
            continue;
        }
        if (!RefusedForRights(entry.outcome)) {
            return false;
        }
        refused = true;
    }
    return refused;
}

} // namespace

ServiceFollower::ServiceFollower(WorkSite& site, const FollowRules& rules)
    : m_site(site), m_rules(rules), m_requests(site.board.entries.size()), m_lastLook(site.board.began)
{
}

void ServiceFollower::Add(std::size_t entry, ServiceRequest request)
{
    const milliseconds now = m_site.clock.Now();
    WorkEntry& onBoard = m_site.board.entries.at(entry);
    onBoard.outcome = request.outcome;
    onBoard.stage = Stage::Pending;
    onBoard.since = now;
    onBoard.doing = WordsOf(request.method).doing;
    for (const auto& service : request.toFollow) {
        Watch watch;
        watch.entry = entry;
        watch.name = service.name;
        watch.sendAgain = service.sendAgainOnceSettled;
        watch.unanswered = service.unanswered;
        watch.start = now;
        Restart(watch, now);
        m_watches.push_back(std::move(watch));
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

bool ServiceFollower::TimeIsUp(const Watch& watch, milliseconds now) const
{
    return watch.looksOnItsWay != 1 && now >= Deadline(watch);
}

bool ServiceFollower::AnyPending() const
{
    return std::any_of(m_watches.begin(), m_watches.end(), [](const Watch& watch) { return !watch.settled; });
}

void ServiceFollower::LookBetweenCalls()
{
    const milliseconds now = m_site.clock.Now();
    if (m_lastLook + m_rules.betweenCalls > now) {
        return;
    }
    if (std::any_of(m_watches.begin(), m_watches.end(),
                    [&](const Watch& watch) { return !watch.settled && watch.nextLook <= now; })) {
        Look();
    }
}

void ServiceFollower::FollowToTheEnd()
{
    std::optional<WaitEnd> ended = m_site.WaitEnded();
    while (AnyPending() && !ended) {
        // The next look is due at the earliest of the services' own times, and never after the
        // moment one must be given up or the work's limit is reached.
        milliseconds next = m_site.LimitAt();
        for (const auto& watch : m_watches) {
            if (!watch.settled) {
                next = std::min({next, watch.nextLook, Deadline(watch)});
            }
        }
        const milliseconds now = m_site.clock.Now();
        if (next > now) {
            m_site.clock.WaitFor(next - now);
        }
        ended = m_site.WaitEnded();
        if (!ended) {
            try {
                Look();
            } catch (const RequestNotSent&) {
                ended = m_site.WaitEnded().value_or(WaitEnd::Stopped);
            }
        }
    }
    if (ended) {
        EndWait(m_site.board, *ended, m_site.clock.Now());
        m_site.Report();
    }
}

void ServiceFollower::Look()
{
    std::vector<Watch*> pending;
    for (auto& watch : m_watches) {
        if (!watch.settled) {
            pending.push_back(&watch);
        }
    }
    if (pending.empty() || !m_latestConnection) {
        return;
    }
    const Sighting sighting = ReadStates(pending);
    JudgeSighting(pending, sighting);
    m_site.Report();
}

ServiceFollower::Sighting ServiceFollower::ReadStates(const std::vector<Watch*>& pending)
{
    // The pending services by their short names, which never change, and only what is judged of
    // them: on Windows every other property costs the provider work for every service.
    std::vector<std::wstring> names;
    milliseconds latest{0};
    for (const Watch* watch : pending) {
        names.push_back(watch->name);
        latest = std::max(latest, Deadline(*watch));
    }
    Sighting sighting;
    sighting.lookedAt = m_site.clock.Now();
    m_lastLook = sighting.lookedAt;
    // A look never holds the wait past the last moment a service may be waited for.
    latest = std::min(latest, m_site.LimitAt());
    const milliseconds limit = std::clamp(latest - sighting.lookedAt, milliseconds(1000), kWmiAnswerLimit);
    try {
        sighting.found = ReadQueries(*m_latestConnection, BuildLookQueries(names), wmi::kLookProperties, limit);
    } catch (const Error& error) {
        // WMI restarting, RPC away for a moment: the next look may well succeed.
        sighting.failure = ErrorReason(error);
    }
    return sighting;
}

void ServiceFollower::JudgeSighting(const std::vector<Watch*>& pending, const Sighting& sighting)
{
    const milliseconds now = m_site.clock.Now();
    for (Watch* watch : pending) {
        watch->nextLook = sighting.lookedAt + watch->interval;
        watch->interval = std::min(watch->interval * 3 / 2, m_rules.longestInterval);
        if (sighting.failure) {
            StateUnread(*watch, *sighting.failure, now);
            continue;
        }
        IServiceObject* match = nullptr;
        for (const auto& service : sighting.found) {
            if (service->ReadText(wmi::kName) == watch->name) {
                match = service.get();
                break;
            }
        }
        try {
            if (watch->sendAgain) {
                JudgeTheOtherWay(*watch, match, now);
            } else {
                Judge(*watch, match, now);
            }
        } catch (const Error& error) {
            // A property WMI could not read this time is asked for again, as a failed look is.
            StateUnread(*watch, ErrorReason(error), now);
        }
    }
}

void ServiceFollower::Judge(Watch& watch, IServiceObject* service, milliseconds now)
{
    const ServiceMethod method = MethodOf(m_site.board);
    if (!service) {
        // A service that goes away once asked to stop has stopped, for good.
        if (method == ServiceMethod::Stop) {
            Succeed(watch);
        } else {
            Fail(watch, L"it was removed while starting");
        }
        return;
    }
    const std::wstring state = service->ReadText(wmi::kState).value_or(L"");
    if (state.empty()) {
        StateUnread(watch, L"WMI gave no state", now);
        return;
    }
    if (EqualNoCase(state, Goal(method))) {
        Succeed(watch);
        return;
    }
    // A call WMI did not answer may reach the service yet: until the service is seen on its way
    // there, nothing else it shows is that call's doing.
    if (watch.unanswered && watch.looksOnItsWay == 0 && !EqualNoCase(state, Underway(method))) {
        WaitForTheCall(watch, *watch.unanswered, now);
        return;
    }
    if (const auto doing = PendingActivity(state)) {
        watch.begun = watch.begun || EqualNoCase(state, wmi::kStopPending);
        OnItsWay(watch, *service, *doing, now);
        return;
    }
    // A service may take a stop and report it a moment later.
    if (method == ServiceMethod::Stop && !watch.begun && EqualNoCase(state, wmi::kRunning)) {
        WaitForTheCall(watch, L"it did not stop within " + DescribeDuration(now - watch.since), now);
        return;
    }
    Fail(watch, SettledElsewhere(method, state, *service));
}

void ServiceFollower::WaitForTheCall(Watch& watch, const std::wstring& reasonWhenTimeIsUp, milliseconds now)
{
    m_site.board.entries[watch.entry].doing = WordsOf(MethodOf(m_site.board)).doing;
    if (now >= Deadline(watch)) {
        Fail(watch, reasonWhenTimeIsUp);
    }
}

// A start that met the service stopping, or a stop that met it starting: that way is followed to
// its end, then the request goes out once more and is followed as if it were the first.
void ServiceFollower::JudgeTheOtherWay(Watch& watch, IServiceObject* service, milliseconds now)
{
    const ServiceMethod method = MethodOf(m_site.board);
    if (!service) {
        Judge(watch, service, now);
        return;
    }
    const std::wstring state = service->ReadText(wmi::kState).value_or(L"");
    if (state.empty()) {
        StateUnread(watch, L"WMI gave no state", now);
    } else if (EqualNoCase(state, Goal(method))) {
        Succeed(watch); // it turned back by itself
    } else if (EqualNoCase(state, Opposite(method))) {
        SendAgain(watch);
    } else if (const auto doing = PendingActivity(state)) {
        OnItsWay(watch, *service, *doing, now);
    } else {
        Fail(watch, SettledElsewhere(method, state, *service));
    }
}

void ServiceFollower::OnItsWay(Watch& watch, IServiceObject& service, std::wstring_view doing, milliseconds now)
{
    // Progress is a check point that moves on. The first look that finds the service on its way
    // starts its time without progress, however late it came; a wait hint longer than that time
    // is allowed in full, as the service manager would.
    const auto checkPoint = service.ReadUnsigned(wmi::kCheckPoint);
    if (++watch.looksOnItsWay == 1 || (checkPoint && watch.checkPoint && *checkPoint != *watch.checkPoint)) {
        watch.progressAt = now;
    }
    watch.checkPoint = checkPoint;
    if (const auto waitHint = service.ReadUnsigned(wmi::kWaitHint)) {
        watch.allowance = std::max(m_rules.withoutProgress, milliseconds(*waitHint));
    }
    WorkEntry& entry = m_site.board.entries[watch.entry];
    entry.doing = doing;
    if (!watch.sendAgain) {
        entry.checkPoint = checkPoint;
    }
    if (TimeIsUp(watch, now)) {
        GiveUp(watch, L"it was still " + std::wstring(doing) + L" after " + DescribeDuration(now - watch.since));
    }
}

void ServiceFollower::StateUnread(Watch& watch, const std::wstring& reason, milliseconds now)
{
    if (now >= Deadline(watch)) {
        Unconfirmed(watch, L"its state could not be read: " + reason);
    }
}

void ServiceFollower::SendAgain(Watch& watch)
{
    const ServiceMethod method = MethodOf(m_site.board);
    const milliseconds left = std::min(watch.start + m_rules.inAll, m_site.LimitAt()) - m_site.clock.Now();
    const milliseconds limit = std::clamp(left, milliseconds(1000), kWmiAnswerLimit);
    std::int32_t returned = 0;
    std::wstring state;
    std::optional<std::wstring> unanswered;
    try {
        // A look reads too little of a service to call it: the call needs the service found again.
        const auto instances = ReadAll(*m_latestConnection->ExecQuery(
            BuildServiceQuery(ServiceKey::Name, watch.name).text, wmi::kRequestProperties, limit));
        const auto matches = MatchingServices(instances, ServiceKey::Name, watch.name);
        if (matches.empty()) {
            Judge(watch, nullptr, m_site.clock.Now());
            return;
        }
        returned = matches.front()->CallMethod(method, limit);
        state = returned != 0 ? matches.front()->ReadText(wmi::kState).value_or(L"") : std::wstring();
    } catch (const Error& error) {
        if (IsAccessDeniedError(error)) {
            RecordRefusedForRights(m_requests[watch.entry]->outcome, error);
        }
        if (!IsNoAnswerFromWmi(error)) {
            Fail(watch, ErrorReason(error));
            return;
        }
        unanswered = ErrorReason(error);
    }
    if (!IsSuccessfulReturn(method, returned, state)) {
        RecordRefusal(m_requests[watch.entry]->outcome, returned, watch.name);
        Fail(watch, DescribeReturnValue(returned), returned);
        return;
    }
    watch.sendAgain = false;
    watch.unanswered = unanswered;
    Restart(watch, m_site.clock.Now());
}

// Follows the service afresh from now on: a look at once, and its time without progress.
void ServiceFollower::Restart(Watch& watch, milliseconds now) const
{
    watch.since = now;
    watch.nextLook = now;
    watch.interval = m_rules.firstInterval;
    watch.progressAt = now;
    watch.allowance = m_rules.withoutProgress;
    watch.checkPoint.reset();
    watch.looksOnItsWay = 0;
}

void ServiceFollower::Succeed(Watch& watch)
{
    watch.settled = true;
    SettleEntryIfDone(watch.entry);
}

void ServiceFollower::Fail(Watch& watch, std::wstring reason, std::optional<std::int32_t> returnValue)
{
    RecordFailure(m_requests[watch.entry]->outcome, std::move(reason), returnValue);
    watch.settled = true;
    SettleEntryIfDone(watch.entry);
}

void ServiceFollower::Unconfirmed(Watch& watch, std::wstring reason)
{
    RecordUnconfirmed(m_requests[watch.entry]->outcome, std::move(reason));
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
    try {
        for (std::size_t entry = 0; entry < site.board.entries.size(); ++entry) {
            if (site.WaitEnded()) {
                break;
            }
            WorkEntry& onBoard = site.board.entries[entry];
            onBoard.stage = Stage::Asking;
            onBoard.since = site.clock.Now();
            site.Report();
            site.sending = entry;
            ServiceRequest request = send(site.services, onBoard.label);
            site.sending.reset();
            follower.Add(entry, std::move(request));
            follower.LookBetweenCalls();
        }
    } catch (const RequestNotSent&) {
        // The wait ended before a request went out: nothing more is sent, and the entry whose turn
        // it was settles with the others, as asked only if a call of it went out.
        site.sending.reset();
    }
    follower.FollowToTheEnd();
    site.board.needsAdministrator = EveryCallRefusedForRights(site.board) && !site.services.CallerIsElevated();
}

} // namespace quenlow
