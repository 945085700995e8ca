#include "services/ServiceFollow.h"
#include "services/ServiceJobs.h"
#include "start/modStart.h"

#include "FakeServiceAccess.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

using namespace std::chrono_literals;
using testing::CallOnMatchingServices;
using testing::FakeServiceAccess;
using testing::Phase;
using Kind = ServiceOutcome::Kind;
using Waits = std::vector<std::chrono::milliseconds>;

class FollowTest : public ::testing::Test {
protected:
    FakeServiceAccess wmi;

    ServiceOutcome Start(std::vector<Phase> phases)
    {
        wmi.services = {{L"svc", L"Service"}};
        wmi.services[0].afterStart = std::move(phases);
        return CallOnMatchingServices(wmi, wmi.clock, ServiceKey::Name, L"svc", ServiceMethod::Start);
    }
};

TEST_F(FollowTest, ASlowStartIsFollowedAtGrowingIntervalsUntilItRuns)
{
    const auto outcome = Start({{0ms, L"Start Pending"}, {3s, L"Running"}});
    EXPECT_EQ(outcome.kind, Kind::Succeeded);
    // Soon after it got there: the intervals grow to a fifth of a second.
    ASSERT_GE(wmi.clock.waits.size(), 3u);
    EXPECT_EQ(wmi.clock.waits[0], 100ms);
    EXPECT_EQ(wmi.clock.waits[1], 150ms);
    for (std::size_t i = 2; i < wmi.clock.waits.size(); ++i) EXPECT_EQ(wmi.clock.waits[i], 200ms);
    EXPECT_LT(wmi.clock.now, 3s + 200ms);
    // The call, then one look at once and one after each wait, all on the call's connection.
    EXPECT_EQ(wmi.queries.size(), wmi.clock.waits.size() + 2);
    EXPECT_EQ(wmi.connections, 1);
}

TEST_F(FollowTest, SettlingElsewhereIsAFailureInPlainWords)
{
    auto outcome = Start({{0ms, L"Start Pending"}, {1s, L"Stopped", {}, {}, 1066, 42}});
    EXPECT_EQ(outcome.kind, Kind::Failed);
    EXPECT_EQ(outcome.reason, L"it stopped again while starting (exit code 1066; service-specific code 42)");
    EXPECT_FALSE(outcome.returnValue);

    // Where WMI gives no exit code (Wine), and for a clean exit, there is nothing to add.
    EXPECT_EQ(Start({{0ms, L"Start Pending"}, {1s, L"Stopped"}}).reason, L"it stopped again while starting");
    EXPECT_EQ(Start({{0ms, L"Start Pending"}, {1s, L"Paused"}}).reason, L"it did not start; it is paused");
    EXPECT_EQ(Start({{0ms, L"Start Pending"}, {1s, L"Stopped", {}, {}, 1066, 0x8007000Eu}}).reason,
              L"it stopped again while starting (exit code 1066; service-specific code 0x8007000E)");

    wmi.services = {{L"svc", L"Service", L"Running"}};
    wmi.services[0].afterStop = {{0ms, L"Stop Pending"}, {1s, L"Running"}};
    outcome = CallOnMatchingServices(wmi, wmi.clock, ServiceKey::Name, L"svc", ServiceMethod::Stop);
    EXPECT_EQ(outcome.reason, L"it did not stop; it is running again");
}

TEST_F(FollowTest, AServiceRemovedWhileFollowedIsAFailureThatSaysSo)
{
    const auto outcome = Start({{0ms, L"Start Pending"}, {500ms, L"Stopped", {}, {}, {}, {}, true}});
    EXPECT_EQ(outcome.kind, Kind::Failed);
    EXPECT_EQ(outcome.reason, L"it was removed while starting");
}

// How long a service that stays pending is waited for: 30 s without progress, the wait hint
// when that is longer, as long as the check point moves on, and never more than 3 minutes.
TEST_F(FollowTest, APendingServiceIsGivenUpByTheProgressRules)
{
    struct Case {
        const char* what;
        std::vector<Phase> phases;
        std::chrono::milliseconds givenUpAt;
        std::wstring reason;
    };
    std::vector<Phase> moving;
    for (std::uint32_t i = 0; i < 30; ++i) moving.push_back({i * 10s, L"Start Pending", i, 15'000});
    std::vector<Phase> stalls(moving.begin(), moving.begin() + 6);
    const std::vector<Case> cases = {
        {"no check point (Wine)", {{0ms, L"Start Pending"}}, 30s, L"it was still starting after 30 s"},
        {"check point moves on", moving, 180s, L"it was still starting after 3 min"},
        {"check point stops at 50 s", stalls, 80s, L"it was still starting after 1 min 20 s"},
        {"long wait hint", {{0ms, L"Start Pending", 1, 60'000}}, 60s, L"it was still starting after 1 min"},
        {"stuck resuming", {{0ms, L"Continue Pending"}}, 30s, L"it was still resuming after 30 s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        wmi.clock = {};
        const auto outcome = Start(c.phases);
        EXPECT_EQ(outcome.kind, Kind::StillPending);
        EXPECT_EQ(outcome.reason, c.reason);
        // Progress counts from the look that sees it, at most a second after it happened.
        EXPECT_GE(wmi.clock.now, c.givenUpAt);
        EXPECT_LT(wmi.clock.now, c.givenUpAt + 1s);
        for (const auto wait : wmi.clock.waits) EXPECT_LE(wait, 1s);
    }
}

TEST_F(FollowTest, AStopAnsweredFiveWhileStoppingIsFollowedToItsEnd)
{
    wmi.services = {{L"svc", L"Service", L"Stop Pending", 0, 5}, {L"starting", L"Starting", L"Start Pending", 0, 5}};
    wmi.services[0].afterStop = {{0ms, L"Stop Pending"}, {2s, L"Stopped"}};
    wmi.services[0].following = ServiceMethod::Stop; // the stop someone else asked for
    auto outcome = CallOnMatchingServices(wmi, wmi.clock, ServiceKey::Name, L"svc", ServiceMethod::Stop);
    EXPECT_EQ(outcome.kind, Kind::Succeeded);
    EXPECT_GE(wmi.clock.now, 2s);
}

// What a request meets when the service is still on its way the other way, reports late, fails a
// look or goes away: a success is never called a failure, and a failure names what happened in
// the run that was followed (the old run's exit code 42 never shows).
TEST_F(FollowTest, TheFollowRulesTellWhereTheServiceWent)
{
    const Phase stopping{0ms, L"Stop Pending"};
    const Phase stoppedWithOldCode{2s, L"Stopped", {}, {}, 1066, 42};
    struct Case {
        const char* what;
        ServiceMethod method;
        std::wstring stateAtCall;
        std::vector<Phase> before; // the way it was already going
        std::vector<Phase> after;  // after our request was taken
        std::vector<std::size_t> failingLooks;
        Kind kind;
        std::wstring reason;
        std::size_t calls;
    };
    const std::vector<Case> cases = {
        {"start meets a stop", ServiceMethod::Start, L"Stop Pending", {stopping, stoppedWithOldCode},
         {{0ms, L"Start Pending"}, {1s, L"Running"}}, {}, Kind::Succeeded, L"", 2},
        {"start meets a stop, then fails", ServiceMethod::Start, L"Stop Pending", {stopping, stoppedWithOldCode},
         {{0ms, L"Start Pending"}, {1s, L"Stopped", {}, {}, 1066, 7}}, {}, Kind::Failed,
         L"it stopped again while starting (exit code 1066; service-specific code 7)", 2},
        {"start meets a stop that never ends", ServiceMethod::Start, L"Stop Pending", {stopping}, {}, {},
         Kind::StillPending, L"it was still stopping after 30 s", 1},
        {"stop meets a start", ServiceMethod::Stop, L"Start Pending",
         {{0ms, L"Start Pending"}, {2s, L"Running"}}, {{0ms, L"Stop Pending"}, {1s, L"Stopped"}}, {},
         Kind::Succeeded, L"", 2},
        {"stop reported late", ServiceMethod::Stop, L"Running", {},
         {{0ms, L"Running"}, {1s, L"Stop Pending"}, {2s, L"Stopped"}}, {}, Kind::Succeeded, L"", 1},
        {"stop never begun", ServiceMethod::Stop, L"Running", {}, {{0ms, L"Running"}}, {}, Kind::Failed,
         L"it did not stop within 30 s", 1},
        {"stop taken back", ServiceMethod::Stop, L"Running", {}, {{0ms, L"Stop Pending"}, {1s, L"Running"}}, {},
         Kind::Failed, L"it did not stop; it is running again", 1},
        {"stopped service goes away", ServiceMethod::Stop, L"Running", {},
         {{0ms, L"Stop Pending"}, {1s, L"Stopped", {}, {}, {}, {}, true}}, {}, Kind::Succeeded, L"", 1},
        {"looks fail for a while", ServiceMethod::Start, L"Stopped", {},
         {{0ms, L"Start Pending"}, {2s, L"Running"}}, {1, 2, 3}, Kind::Succeeded, L"", 1},
        {"display name changes while starting", ServiceMethod::Start, L"Stopped", {},
         {{0ms, L"Start Pending"}, {1s, L"Running", {}, {}, {}, {}, false, L"Renamed"}}, {}, Kind::Succeeded, L"", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        wmi = {};
        wmi.services = {{L"svc", L"Service", c.stateAtCall}};
        auto& service = wmi.services[0];
        if (!c.before.empty()) {
            service.following = c.method == ServiceMethod::Start ? ServiceMethod::Stop : ServiceMethod::Start;
            (c.method == ServiceMethod::Start ? service.afterStop : service.afterStart) = c.before;
        }
        (c.method == ServiceMethod::Start ? service.afterStart : service.afterStop) = c.after;
        wmi.failingQueries = c.failingLooks;
        const auto outcome = CallOnMatchingServices(wmi, wmi.clock, ServiceKey::DisplayName, L"Service", c.method);
        EXPECT_EQ(outcome.kind, c.kind);
        EXPECT_EQ(outcome.reason, c.reason);
        EXPECT_EQ(wmi.calls.size(), c.calls);
    }
}

// A state that cannot be read is no failure of the service: its outcome says just that, once the
// time for it is up.
TEST_F(FollowTest, AStateThatCannotBeReadIsUnconfirmedNotFailed)
{
    wmi.services = {{L"svc", L"Service"}};
    wmi.services[0].afterStart = {{0ms, L"Start Pending"}, {1s, L"Running"}};
    for (std::size_t look = 1; look < 400; ++look) wmi.failingQueries.push_back(look);
    const auto outcome = CallOnMatchingServices(wmi, wmi.clock, ServiceKey::Name, L"svc", ServiceMethod::Start);
    EXPECT_EQ(outcome.kind, Kind::Unconfirmed);
    EXPECT_EQ(outcome.reason, L"its state could not be read: error 0x80041001: Generic failure");
    EXPECT_GE(wmi.clock.now, 30s);
    EXPECT_EQ(CommandLineReport(ServiceMethod::Start, L"svc", outcome),
              L"svc was asked to start, but its state could not be read: error 0x80041001: Generic failure.");
    EXPECT_EQ(ExitStatusOf(outcome), kExitFailed);
}

// What may still succeed is never called a failure: a stop the start met that moves its check
// point for 45 s, a state WMI cannot tell for a moment, and a call WMI did not answer in time,
// followed by the service's name like any other.
TEST_F(FollowTest, WhatMayStillSucceedIsFollowedToItsEnd)
{
    std::vector<Phase> stoppingSlowly;
    for (std::uint32_t i = 0; i < 9; ++i) stoppingSlowly.push_back({i * 5s, L"Stop Pending", i, 10'000});
    stoppingSlowly.push_back({45s, L"Stopped"});
    wmi.services = {{L"svc", L"Service", L"Stop Pending"}};
    wmi.services[0].following = ServiceMethod::Stop;
    wmi.services[0].afterStop = stoppingSlowly;
    wmi.services[0].afterStart = {{0ms, L"Start Pending"}, {1s, L"Running"}};
    EXPECT_EQ(CallOnMatchingServices(wmi, wmi.clock, ServiceKey::Name, L"svc", ServiceMethod::Start).kind,
              Kind::Succeeded);

    Phase unreadable{2s, L"Start Pending"};
    unreadable.unreadable = true;
    EXPECT_EQ(Start({{0ms, L"Start Pending"}, {1s, L""}, unreadable, {3s, L"Running"}}).kind, Kind::Succeeded);

    wmi = {};
    wmi.services = {{L"svc", L"Service"}};
    wmi.services[0].callUnanswered = true;
    wmi.services[0].afterStart = {{0ms, L"Start Pending"}, {2s, L"Running"}};
    EXPECT_EQ(CallOnMatchingServices(wmi, wmi.clock, ServiceKey::Name, L"svc", ServiceMethod::Start).kind,
              Kind::Succeeded);
    // One that never gets there fails for the answer that did not come.
    wmi.services[0] = {L"svc", L"Service", L"Stopped", 7};
    wmi.services[0].callUnanswered = true;
    const auto outcome = CallOnMatchingServices(wmi, wmi.clock, ServiceKey::Name, L"svc", ServiceMethod::Start);
    EXPECT_EQ(outcome.kind, Kind::Failed);
    EXPECT_EQ(outcome.reason, L"WMI did not answer within 1 min");
}

using testing::InlineServiceWork;
using Stage = WorkEntry::Stage;

// Two services started one after the other, each taking 3 s once its start was taken.
class ActOnServicesTest : public ::testing::Test {
protected:
    FakeServiceAccess wmi;
    InlineServiceWork work{wmi};

    void SetUp() override
    {
        wmi.services = {{L"a", L"A"}, {L"b", L"B"}, {L"c", L"C"}};
        for (auto& service : wmi.services) service.afterStart = {{0ms, L"Start Pending"}, {3s, L"Running"}};
        wmi.callTime = 200ms;
    }

    WorkBoard Run(std::vector<std::wstring> names)
    {
        work.Start(ServiceActionBoard(ServiceMethod::Start, std::move(names)), ActOnServiceName(&fStartServiceByName));
        return work.Finish().board;
    }
};

// What the progress window is handed, in order: each entry asked in its turn, followed from its
// own call, and settled; the second call goes out while the first service is still starting.
TEST_F(ActOnServicesTest, EachServiceIsFollowedFromItsOwnCallAndReportedInOrder)
{
    wmi.services[1].afterStart = {{0ms, L"Start Pending"}, {5s, L"Running"}};
    const WorkBoard board = Run({L"a", L"b"});
    std::vector<std::vector<Stage>> seen;
    for (const auto& report : work.reports) {
        std::vector<Stage> stages;
        for (const auto& entry : report.entries) stages.push_back(entry.stage);
        if (seen.empty() || seen.back() != stages) seen.push_back(stages);
    }
    EXPECT_EQ(seen, (std::vector<std::vector<Stage>>{{Stage::Asking, Stage::NotAsked},
                                                      {Stage::Pending, Stage::NotAsked},
                                                      {Stage::Pending, Stage::Asking},
                                                      {Stage::Pending, Stage::Pending},
                                                      {Stage::Settled, Stage::Pending},
                                                      {Stage::Settled, Stage::Settled}}));
    EXPECT_EQ(board.entries[0].outcome.kind, Kind::Succeeded);
    EXPECT_EQ(board.entries[1].outcome.kind, Kind::Succeeded);
    // The last got there 5 s after its own call returned, and was seen within a second of it.
    EXPECT_LT(wmi.clock.now, 400ms + 5s + 1s);
}

TEST_F(ActOnServicesTest, StopWaitingEndsTheWaitAtAnyMoment)
{
    struct Case {
        const char* when;
        std::chrono::milliseconds stopAt;
        std::size_t calls;
        std::vector<std::wstring> reasons;
    };
    const std::wstring notAsked = L"it was not asked to start, as the wait was stopped before its turn";
    const std::wstring stillStarting = L"it was still starting when the wait was stopped";
    const std::vector<Case> cases = {
        {"before the first call", 0ms, 0, {notAsked, notAsked, notAsked}},
        {"during the second call", 300ms, 2, {stillStarting, stillStarting, notAsked}},
        {"after the calls", 2s, 3, {stillStarting, stillStarting, stillStarting}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        wmi.clock = {};
        wmi.clock.stopAt = c.stopAt;
        wmi.calls.clear();
        for (auto& service : wmi.services) service = {service.name, service.displayName, L"Stopped", 0, 0, false, service.afterStart};
        const WorkBoard board = Run({L"a", L"b", L"c"});
        EXPECT_EQ(wmi.calls.size(), c.calls);
        for (std::size_t i = 0; i < board.entries.size(); ++i) {
            EXPECT_EQ(board.entries[i].stage, Stage::Settled);
            EXPECT_EQ(board.entries[i].outcome.reason, c.reasons[i]);
        }
        // Nothing is waited for after the stop.
        EXPECT_LE(wmi.clock.now, std::max(c.stopAt, 600ms));
    }
}

// Nothing goes out once the wait has ended: not the call of a service found while the user
// stopped waiting, nor that of the second service an entry stands for.
TEST_F(ActOnServicesTest, AStopDuringTheLookUpOrBetweenTwoServicesSendsNothingMore)
{
    wmi.services = {{L"a", L"Twin"}, {L"b", L"Twin"}};
    for (auto& service : wmi.services) service.afterStart = {{0ms, L"Start Pending"}, {3s, L"Running"}};
    const auto stopNow = [this](auto&&...) { wmi.clock.stopAt = wmi.clock.now; };
    const auto press = [this] {
        const EntryRequest start = [](const PressServices& found, const std::wstring& text) {
            return SendToEntry(found, text, ServiceMethod::Start);
        };
        work.Start(ServiceActionBoard(ServiceMethod::Start, {L"Twin"}), ActOnDisplayNames(start));
        return work.Finish().board.entries[0].outcome.reason;
    };
    wmi.whileQuerying = stopNow;
    EXPECT_EQ(press(), L"it was not asked to start, as the wait was stopped before its turn");
    EXPECT_TRUE(wmi.calls.empty());

    wmi.whileQuerying = nullptr;
    wmi.clock = {};
    wmi.beforeCall = stopNow;
    EXPECT_EQ(press(), L"it was still starting when the wait was stopped");
    EXPECT_EQ(wmi.calls.size(), 1u);
}

// A service still starting when its first look comes late, because the next call took long, is
// not given up at that look: its time without progress counts from there.
TEST_F(ActOnServicesTest, AFirstLookThatComesLateGivesTheServiceItsTimeFromThere)
{
    wmi.services[0].afterStart = {{0ms, L"Start Pending"}, {40s, L"Running"}};
    wmi.services[1].callTakes = 35s;
    const WorkBoard board = Run({L"a", L"b"});
    EXPECT_EQ(board.entries[0].outcome.kind, Kind::Succeeded);
    EXPECT_EQ(board.entries[1].outcome.kind, Kind::Succeeded);
}

// The whole piece of work ends within its limit, whatever the services and WMI take.
TEST_F(ActOnServicesTest, AWorkWithALimitEndsThere)
{
    std::vector<Phase> progressing;
    for (std::uint32_t i = 0; i < 100; ++i) progressing.push_back({i * 5s, L"Start Pending", i});
    wmi.services[0].afterStart = progressing;
    wmi.callTime = 1min;
    WorkBoard board = ServiceActionBoard(ServiceMethod::Start, {L"a"});
    board.limit = 3min + 45s;
    work.Start(std::move(board), ActOnServiceName(&fStartServiceByName));
    board = work.Finish().board;
    EXPECT_EQ(board.entries[0].outcome.kind, Kind::StillPending);
    EXPECT_EQ(board.entries[0].outcome.reason, L"it was still starting after 2 min 45 s");
    EXPECT_LE(wmi.clock.now, 3min + 45s);
}

// A WMI that stops answering fails the request that waited for it, within its limits: the wait for
// a service never outlasts the 3 minutes, whatever WMI does.
TEST_F(ActOnServicesTest, AWmiThatNeverAnswersFailsTheRequestWithinTheLimits)
{
    wmi.hangFromQuery = 0;
    WorkBoard board = Run({L"a"});
    EXPECT_EQ(board.entries[0].outcome.kind, Kind::Failed);
    EXPECT_EQ(board.entries[0].outcome.reason, L"WMI did not answer within 1 min");
    EXPECT_TRUE(wmi.calls.empty());

    wmi.clock = {};
    wmi.queries.clear();
    wmi.hangFromQuery = 1; // the call goes out; the looks get no answer
    wmi.services[0].afterStart = {{0ms, L"Start Pending"}};
    board = Run({L"a"});
    EXPECT_EQ(board.entries[0].outcome.kind, Kind::Unconfirmed);
    EXPECT_EQ(board.entries[0].outcome.reason, L"its state could not be read: WMI did not answer within 30 s");
    EXPECT_EQ(wmi.calls.size(), 1u);
    EXPECT_LE(wmi.clock.now, 3min + 1s);
}

} // namespace
} // namespace quenlow
