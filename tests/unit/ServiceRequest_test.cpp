// A start or stop sent to the services whose key equals a text, and followed to its end, as the
// command line has it done: which services it reaches, through how many connections and queries,
// and what its outcome says.
#include "services/ServiceFollow.h"
#include "services/ServiceRequest.h"
#include "services/WmiNames.h"

#include "FakeServiceAccess.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quenlow {
namespace {

using testing::CallOnMatchingServices;
using testing::FakeServiceAccess;
using Kind = ServiceOutcome::Kind;

class CallOnMatchingServicesTest : public ::testing::Test {
protected:
    FakeServiceAccess wmi;
};

TEST_F(CallOnMatchingServicesTest, CallsEveryMatchThroughOneConnectionAndConfirmsWithOneQuery)
{
    wmi.services = {{L"a", L"Same", L"Stopped"}, {L"b", L"Other", L"Stopped"}, {L"c", L"same", L"Stopped"}};
    const auto outcome = CallOnMatchingServices(wmi, wmi.clock, ServiceKey::DisplayName, L"Same", ServiceMethod::Start);
    EXPECT_EQ(outcome.kind, Kind::Succeeded);
    EXPECT_EQ(outcome.matched, 2);
    ASSERT_EQ(wmi.calls.size(), 2u);
    EXPECT_EQ(wmi.calls[0].name, L"a");
    EXPECT_EQ(wmi.calls[1].name, L"c");
    // Both are there when first looked at: one more query, for the two alone, on the same
    // connection, no wait.
    EXPECT_EQ(wmi.connections, 1);
    EXPECT_EQ(wmi.queries,
              (std::vector<std::wstring>{L"SELECT * FROM Win32_Service where DisplayName='Same'",
                                         L"SELECT Name, State, CheckPoint, WaitHint, ExitCode, ServiceSpecificExitCode "
                                         L"FROM Win32_Service where Name='a' or Name='c'"}));
    EXPECT_TRUE(wmi.clock.waits.empty());
}

// A service that two of a press's queries find is kept once, so that no call reaches it twice.
TEST_F(CallOnMatchingServicesTest, AServiceFoundByTwoQueriesIsKeptOnce)
{
    wmi.services = {{L"a", L"A"}, {L"b", L"B"}};
    const ServiceQueries queries{{L"SELECT * FROM Win32_Service where Name='a'",
                                  L"SELECT * FROM Win32_Service where Name='b' or Name='a'"},
                                 std::wstring(kAllServicesQuery)};
    const auto found = ReadQueries(*wmi.fConnectWmi(), queries, wmi::kRequestProperties, kWmiAnswerLimit);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[1]->ReadText(L"Name"), L"b");
}

TEST_F(CallOnMatchingServicesTest, NothingMatchedIsNotASuccess)
{
    wmi.services = {{L"a", L"A"}};
    const auto outcome = CallOnMatchingServices(wmi, wmi.clock, ServiceKey::Name, L"zzz", ServiceMethod::Stop);
    EXPECT_EQ(outcome.kind, Kind::NotFound);
    EXPECT_TRUE(wmi.calls.empty());
}

TEST_F(CallOnMatchingServicesTest, FirstFailureIsReportedAndTheRestStillCalled)
{
    wmi.services = {{L"a", L"Twin", L"Stopped", 14}, {L"b", L"Twin", L"Stopped", 2}, {L"c", L"Twin", L"Stopped"}};
    const auto outcome = CallOnMatchingServices(wmi, wmi.clock, ServiceKey::DisplayName, L"Twin", ServiceMethod::Start);
    EXPECT_EQ(outcome.kind, Kind::Failed);
    EXPECT_EQ(outcome.returnValue, 14);
    EXPECT_EQ(outcome.reason, L"the service is disabled");
    EXPECT_EQ(wmi.calls.size(), 3u);
}

TEST_F(CallOnMatchingServicesTest, StopAnsweredWithFiveUsesTheStateWhenFound)
{
    wmi.services = {{L"idle", L"Idle", L"Stopped", 0, 5}, {L"busy", L"Busy", L"Running", 0, 5}};
    EXPECT_EQ(CallOnMatchingServices(wmi, wmi.clock, ServiceKey::Name, L"idle", ServiceMethod::Stop).kind,
              Kind::Succeeded);
    EXPECT_EQ(CallOnMatchingServices(wmi, wmi.clock, ServiceKey::Name, L"busy", ServiceMethod::Stop).kind, Kind::Failed);
}

// Texts no literal can hold are looked up by reading every service and comparing in code:
// only the service with exactly that text is touched, never its near neighbours.
TEST_F(CallOnMatchingServicesTest, UnquotableTextsMatchExactlyInCode)
{
    const std::wstring both = L"Both ' and \" quotes";
    const std::wstring slash = L"Back\\slash";
    wmi.services = {{L"both", both}, {L"slash", slash}, {L"slash2", L"Back\\slash2"}, {L"plain", L"Back"},
                    {L"nullname", std::nullopt}};
    auto outcome = CallOnMatchingServices(wmi, wmi.clock, ServiceKey::DisplayName, both, ServiceMethod::Start);
    EXPECT_EQ(outcome.kind, Kind::Succeeded);
    outcome = CallOnMatchingServices(wmi, wmi.clock, ServiceKey::DisplayName, slash, ServiceMethod::Start);
    EXPECT_EQ(outcome.matched, 1);
    ASSERT_EQ(wmi.calls.size(), 2u);
    EXPECT_EQ(wmi.calls[0].name, L"both");
    EXPECT_EQ(wmi.calls[1].name, L"slash");
    EXPECT_EQ(wmi.queries[wmi.queries.size() - 2], L"SELECT * FROM Win32_Service");
}

// Names matched in code that differ only in the case of letters beyond ASCII (which WMI's
// own comparison tells apart) reach only the one written exactly so.
TEST_F(CallOnMatchingServicesTest, ExactCaseWinsWhenMatchingInCode)
{
    wmi.services = {{L"upper", L"ÜNÏ\\x"}, {L"lower", L"ünï\\x"}, {L"mixed", L"Ünï\\x"}};
    auto outcome = CallOnMatchingServices(wmi, wmi.clock, ServiceKey::DisplayName, L"ünï\\x", ServiceMethod::Start);
    EXPECT_EQ(outcome.matched, 1);
    ASSERT_EQ(wmi.calls.size(), 1u);
    EXPECT_EQ(wmi.calls[0].name, L"lower");
    // With no exact match, every case-insensitive one is taken, as WMI's comparison would.
    outcome = CallOnMatchingServices(wmi, wmi.clock, ServiceKey::DisplayName, L"üNï\\x", ServiceMethod::Start);
    EXPECT_EQ(outcome.matched, 3);
}

TEST_F(CallOnMatchingServicesTest, InjectionAttemptTouchesNothing)
{
    wmi.services = {{L"run1", L"Run 1", L"Running"}, {L"run2", L"Run 2", L"Running"}};
    const auto outcome =
        CallOnMatchingServices(wmi, wmi.clock, ServiceKey::Name, L"x' or Name<>'", ServiceMethod::Stop);
    EXPECT_EQ(outcome.kind, Kind::NotFound);
    EXPECT_TRUE(wmi.calls.empty());
    EXPECT_EQ(wmi.services[0].state, L"Running");
}

TEST_F(CallOnMatchingServicesTest, WmiErrorsAreNotCaughtHere)
{
    wmi.failConnect = Error(static_cast<std::int32_t>(0x80040154u), L"Class not registered");
    EXPECT_THROW(CallOnMatchingServices(wmi, wmi.clock, ServiceKey::Name, L"a", ServiceMethod::Start), Error);
    wmi.failConnect.reset();
    wmi.services = {{L"a", L"A"}};
    wmi.services[0].methodThrows = true;
    EXPECT_THROW(CallOnMatchingServices(wmi, wmi.clock, ServiceKey::Name, L"a", ServiceMethod::Start), Error);
}

} // namespace
} // namespace quenlow
