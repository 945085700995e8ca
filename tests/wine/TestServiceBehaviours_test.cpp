// The slow and failing test services themselves, seen through the service manager: each goes
// through the states that the tests of following a start or stop rely on, and the clean-up
// brings each back to stopped from every state a test can leave it in.
#include "ServicesTestBase.h"
#include "common/Text.h"
#include "common/UniqueHandle_win.h"
#include "support/MessagePump.h"
#include "support/ServiceManager.h"
#include "support/TestServices.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>

namespace quenlow {
namespace {

using namespace quenlow::testing;
using namespace std::chrono_literals;

// The service manager returns from a start at the service's first status report.
void StartWithoutWaiting(std::wstring_view name)
{
    const auto manager = OpenServiceManager(SC_MANAGER_CONNECT);
    const auto service = OpenServiceByName(manager.get(), name, SERVICE_START);
    ASSERT_TRUE(service);
    ASSERT_TRUE(::StartServiceW(service.get(), 0, nullptr)) << "StartServiceW failed: " << ::GetLastError();
}

// Sends STOP; the error code of the service manager, or 0.
DWORD SendStop(std::wstring_view name)
{
    const auto manager = OpenServiceManager(SC_MANAGER_CONNECT);
    const auto service = OpenServiceByName(manager.get(), name, SERVICE_STOP);
    SERVICE_STATUS status{};
    return service && ::ControlService(service.get(), SERVICE_CONTROL_STOP, &status) ? 0 : ::GetLastError();
}

DWORD ProcessOf(std::wstring_view name)
{
    return QueryServiceStatus(name).value_or(SERVICE_STATUS_PROCESS{}).dwProcessId;
}

using TestServiceBehaviourTest = ServicesTestBase;

TEST_F(TestServiceBehaviourTest, ASlowStartReportsGrowingCheckPointsUntilItRuns)
{
    const auto started = std::chrono::steady_clock::now();
    StartWithoutWaiting(kSlowStart.name);
    std::set<DWORD> checkPoints;
    bool hinted = true;
    EXPECT_TRUE(PumpUntil(
        [&] {
            const auto status = QueryServiceStatus(kSlowStart.name);
            if (status && status->dwCurrentState == SERVICE_START_PENDING) {
                checkPoints.insert(status->dwCheckPoint);
                hinted = hinted && status->dwWaitHint > 0;
                return false;
            }
            return true;
        },
        kSlowStartTime + 10s, 50ms));
    EXPECT_EQ(QueryServiceState(kSlowStart.name), SERVICE_RUNNING);
    EXPECT_GE(std::chrono::steady_clock::now() - started, kSlowStartTime - 200ms);
    // A report every half second: a new check point at least every second of the start.
    EXPECT_GE(checkPoints.size(), 3u);
    EXPECT_TRUE(hinted) << "a report without a wait hint";

    // It stops like any other.
    EXPECT_EQ(SendStop(kSlowStart.name), 0u);
    EXPECT_TRUE(WaitForServiceState(kSlowStart.name, SERVICE_STOPPED));
}

TEST_F(TestServiceBehaviourTest, AFailingStartEndsStoppedWithTheServicesOwnExitCode)
{
    StartWithoutWaiting(kFailsWhileStarting.name);
    ASSERT_TRUE(WaitForServiceState(kFailsWhileStarting.name, SERVICE_STOPPED, kPendingPhase + 10s));
    const auto status = QueryServiceStatus(kFailsWhileStarting.name);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->dwWin32ExitCode, static_cast<DWORD>(ERROR_SERVICE_SPECIFIC_ERROR));
    EXPECT_EQ(status->dwServiceSpecificExitCode, kFailedStartExitCode);
}

TEST_F(TestServiceBehaviourTest, AStopTakenBackEndsRunningInTheSameProcess)
{
    StartServiceDirectly(kTakesStopBack.name);
    const DWORD process = ProcessOf(kTakesStopBack.name);
    EXPECT_EQ(SendStop(kTakesStopBack.name), 0u);
    EXPECT_EQ(QueryServiceState(kTakesStopBack.name), SERVICE_STOP_PENDING);
    EXPECT_TRUE(WaitForServiceState(kTakesStopBack.name, SERVICE_RUNNING, kPendingPhase + 10s));
    EXPECT_EQ(ProcessOf(kTakesStopBack.name), process);
}

TEST_F(TestServiceBehaviourTest, AStartThatPendsForEverMakesNoProgress)
{
    StartWithoutWaiting(kPendsForEver.name);
    const auto first = QueryServiceStatus(kPendsForEver.name);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->dwCurrentState, SERVICE_START_PENDING);
    // Nothing happens: a service on its way reports progress every half second.
    EXPECT_FALSE(PumpUntil(
        [&] {
            const auto status = QueryServiceStatus(kPendsForEver.name);
            return !status || status->dwCurrentState != SERVICE_START_PENDING ||
                   status->dwCheckPoint != first->dwCheckPoint;
        },
        kNothingHappensFor, 50ms));
}

TEST_F(TestServiceBehaviourTest, AServiceRemovedWhileStartingDisappears)
{
    const ScopedTestService removed(kRemovedWhileStarting);
    StartWithoutWaiting(kRemovedWhileStarting.name);
    EXPECT_EQ(QueryServiceState(kRemovedWhileStarting.name), SERVICE_START_PENDING);
    EXPECT_TRUE(PumpUntil([] { return !QueryServiceStatus(kRemovedWhileStarting.name); }, kPendingPhase + 10s));
}

TEST_F(TestServiceBehaviourTest, CleanUpStopsEveryServiceInTheMiddleOfItsPendingStates)
{
    const ScopedTestService removed(kRemovedWhileStarting);
    StartServiceDirectly(kRefusesStop.name);
    StartServiceDirectly(kTakesStopBack.name);
    EXPECT_EQ(SendStop(kTakesStopBack.name), 0u);
    for (const auto& service : {kSlowStart, kFailsWhileStarting, kPendsForEver, kRemovedWhileStarting}) {
        StartWithoutWaiting(service.name);
    }

    StopAllTestServices();
    EXPECT_TRUE(TestServicesNotStopped().empty()) << TestServicesNotStoppedLines();
    EXPECT_TRUE(WaitForTestServiceProcessesToEnd(kServiceStateComesWithin));
}

// Wine's service manager loses track of a service whose process ends while it is starting (it
// stays "Start Pending" for ever), and ends the process itself on the next control after a stop
// that the service took back (it stays "Running" for ever). The clean-up must get out of both.
TEST_F(TestServiceBehaviourTest, CleanUpStopsServicesWhoseProcessEndedBehindTheManagersBack)
{
    StartWithoutWaiting(kPendsForEver.name);
    const UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ProcessOf(kPendsForEver.name)));
    ASSERT_TRUE(process);
    ASSERT_TRUE(::TerminateProcess(process.get(), 1));
    ASSERT_EQ(::WaitForSingleObject(process.get(), static_cast<DWORD>(kServiceStateComesWithin.count())), WAIT_OBJECT_0);

    StartServiceDirectly(kTakesStopBack.name);
    EXPECT_EQ(SendStop(kTakesStopBack.name), 0u);
    ASSERT_TRUE(WaitForServiceState(kTakesStopBack.name, SERVICE_RUNNING, kPendingPhase + 10s));
    SendStop(kTakesStopBack.name); // accepted again on Windows; Wine ends the process instead

    StopAllTestServices();
    EXPECT_TRUE(TestServicesNotStopped().empty()) << TestServicesNotStoppedLines();
    EXPECT_TRUE(WaitForTestServiceProcessesToEnd(kServiceStateComesWithin));
}

} // namespace
} // namespace quenlow
