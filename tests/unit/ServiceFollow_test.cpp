#include "services/ServiceFollow.h"

#include "FakeServiceAccess.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

using namespace std::chrono_literals;
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
    EXPECT_EQ(wmi.clock.waits, (Waits{100ms, 150ms, 225ms, 337ms, 505ms, 757ms, 1000ms}));
    // The call, then one look at once and one after each wait, all on the call's connection.
    EXPECT_EQ(wmi.queries.size(), 9u);
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
        EXPECT_EQ(outcome.kind, Kind::Failed);
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

    outcome = CallOnMatchingServices(wmi, wmi.clock, ServiceKey::Name, L"starting", ServiceMethod::Stop);
    EXPECT_EQ(outcome.kind, Kind::Failed);
    EXPECT_EQ(outcome.returnValue, 5);
}

} // namespace
} // namespace quenlow
