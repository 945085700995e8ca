// Services that take their time or change their minds, met through the real quenlow.exe: one
// that starts slowly, one that stops again with an error while starting, one that takes a stop
// back, one that stays starting for ever and one that is removed while starting. A start or stop
// counts only when the service got there; the others are reported as failures in plain words,
// while the services ticked beside them still succeed. Wine's WMI has no ExitCode, so the exit
// codes that Windows adds to "it stopped again while starting" are optional here.
#include "ListWindowsTestBase.h"
#include "ServicesTestBase.h"
#include "support/ChildProcess.h"
#include "support/CommandLineRun.h"
#include "support/ListWindowDriver.h"
#include "support/MessageBoxes.h"
#include "support/ServiceManager.h"
#include "support/TestOptions.h"
#include "support/TestServices.h"

#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>

namespace quenlow {
namespace {

using namespace quenlow::testing;
using namespace std::chrono_literals;
using namespace std::string_literals;

// Past the 30 s that a service without progress is given.
constexpr auto kGivenUpTimeout = 90s;

const std::wstring kStoppedAgain =
    L"it stopped again while starting( \\(exit code 1066[^)]*; service-specific code 42\\))?";

bool Matches(const std::wstring& text, const std::wstring& pattern)
{
    return std::regex_match(text, std::wregex(pattern));
}

// ---- On the command line ----------------------------------------------------------------------

class SlowServiceCommandLineTest : public ServicesTestBase {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(QuenlowProgramPath().empty()) << "pass --quenlow=PATH to quenlow.exe";
        ServicesTestBase::SetUp();
    }
};

TEST_F(SlowServiceCommandLineTest, AStartIsReportedOnceTheServiceRuns)
{
    const auto started = std::chrono::steady_clock::now();
    const ChildProcess process = ChildProcess::Start(QuenlowCommandLine(L"/start quenlowtestslowstart"));
    const auto box = WaitForMessageBox(process, kGivenUpTimeout);
    ASSERT_TRUE(box.has_value()) << "no message box";
    // While the box is up the service runs: it was not reported while still starting.
    EXPECT_EQ(QueryServiceState(kSlowStart.name), SERVICE_RUNNING);
    EXPECT_GE(std::chrono::steady_clock::now() - started, kSlowStartTime);
    EXPECT_EQ(box->text, L"quenlowtestslowstart has started."s);
    ASSERT_TRUE(AnswerOk(box->window));
    EXPECT_EQ(process.WaitForExit(30s), kExitSucceeded);
}

TEST_F(SlowServiceCommandLineTest, ServicesThatDoNotGetThereAreFailuresInPlainWords)
{
    StartServiceDirectly(kTakesStopBack.name);
    ScopedTestService removed(kRemovedWhileStarting);
    struct Case {
        const wchar_t* arguments;
        std::wstring message;
    };
    const Case cases[] = {
        {L"/start quenlowtestfailsstarting", L"quenlowtestfailsstarting could not be started: " + kStoppedAgain + L"\\."},
        {L"/stop quenlowtesttakesstopback",
         L"quenlowtesttakesstopback could not be stopped: it did not stop; it is running again\\."},
        {L"/start quenlowtestremovedstarting",
         L"quenlowtestremovedstarting could not be started: it was removed while starting\\."},
        {L"/start quenlowtestpendsforever",
         L"quenlowtestpendsforever could not be started: it was still starting after 30 s\\."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.arguments));
        const auto run = RunQuenlowCommand(c.arguments, kGivenUpTimeout);
        ASSERT_TRUE(run.message.has_value()) << "no message box";
        EXPECT_TRUE(Matches(*run.message, c.message)) << Utf8(*run.message);
        EXPECT_FALSE(run.secondMessage);
        EXPECT_EQ(run.exitCode, kExitFailed);
    }
    EXPECT_EQ(QueryServiceState(kFailsWhileStarting.name), SERVICE_STOPPED);
    EXPECT_EQ(QueryServiceState(kTakesStopBack.name), SERVICE_RUNNING);
    EXPECT_EQ(QueryServiceState(kPendsForEver.name), SERVICE_START_PENDING);
}

// ---- Through the list windows ---------------------------------------------------------------

using SlowServiceWindowsTest = ListWindowsTest;

// The failures are named, the others started; while the program waits its window answers
// (no "not responding"), and a click on it is ignored.
TEST_F(SlowServiceWindowsTest, TickedServicesThatDoNotStartAreNamedAndTheOthersStart)
{
    ScopedTestService removed(kRemovedWhileStarting);
    auto stopped = OpenStoppedServices();
    for (const auto& service : {kSlowStart, kFailsWhileStarting, kOrdinary, kRemovedWhileStarting, kPendsForEver}) {
        stopped.ClickCheckBox(DisplayNameOf(service));
    }
    stopped.ClickButton(L"Start");

    // Well into the wait for the service that stays starting.
    ASSERT_TRUE(WaitForServiceState(kSlowStart.name, SERVICE_RUNNING));
    for (int i = 0; i < 5; ++i) {
        DWORD_PTR answer = 0;
        EXPECT_NE(::SendMessageTimeoutW(stopped.Window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000, &answer), 0)
            << "the window did not answer while the program waited";
        ::Sleep(500);
    }
    stopped.ClickButtonOnce(L"Active Services");

    const auto box = Run().WaitForMessage(kGivenUpTimeout);
    const std::wstring expected = L"2 of 5 selected services were started\\. These were not:\n"
                                  L"\nQuenlow Test Fails While Starting: " + kStoppedAgain + L"\\."
                                  L"\nQuenlow Test Pends For Ever: it was still starting after 30 s\\."
                                  L"\nQuenlow Test Removed While Starting: it was removed while starting\\.";
    EXPECT_TRUE(Matches(box.text, expected)) << Utf8(box.text);
    // The list was read once all had settled: the one that stopped again is back.
    EXPECT_TRUE(stopped.Contains(DisplayNameOf(kFailsWhileStarting)));
    EXPECT_FALSE(stopped.Contains(DisplayNameOf(kSlowStart)));
    EXPECT_FALSE(stopped.Contains(DisplayNameOf(kOrdinary)));
    EXPECT_EQ(QueryServiceState(kSlowStart.name), SERVICE_RUNNING);
    EXPECT_EQ(QueryServiceState(kOrdinary.name), SERVICE_RUNNING);
    ASSERT_TRUE(AnswerOk(box.window));
    EXPECT_FALSE(FindListWindow(Run().ProcessId(), ListWindowKind::ActiveServices).has_value())
        << "a click made while the program waited was acted on";
    EXPECT_TRUE(stopped.Visible());
}

TEST_F(SlowServiceWindowsTest, AStopTakenBackIsNamedAndTheOthersStop)
{
    StartServiceDirectly(kTakesStopBack.name);
    StartServiceDirectly(kSlowStart.name);
    StartServiceDirectly(kOrdinary.name);
    auto active = OpenActiveServices();
    for (const auto& service : {kTakesStopBack, kSlowStart, kOrdinary}) {
        active.ClickCheckBox(DisplayNameOf(service));
    }
    active.ClickButton(L"Stop");

    EXPECT_EQ(AnswerMessage(), L"2 of 3 selected services were stopped. This one was not:\n"
                               L"\nQuenlow Test Takes Stop Back: it did not stop; it is running again.");
    EXPECT_TRUE(active.Contains(DisplayNameOf(kTakesStopBack)));
    EXPECT_FALSE(active.Contains(DisplayNameOf(kSlowStart)));
    EXPECT_FALSE(active.Contains(DisplayNameOf(kOrdinary)));
    EXPECT_TRUE(OnlyTheseTestServicesRun({kTakesStopBack}));
}

} // namespace
} // namespace quenlow
