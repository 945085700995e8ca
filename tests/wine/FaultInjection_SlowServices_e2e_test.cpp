// Services that take their time or change their minds, met through the real quenlow.exe: one
// that starts slowly, one that stops again with an error while starting, one that takes a stop
// back, one that stays starting for ever and one that is removed while starting. A start or stop
// counts only when the service got there; the others are reported as failures in plain words,
// while the services ticked beside them still succeed. While the program waits, a progress window
// says so and lets the user stop waiting. Wine's WMI has no ExitCode, so the exit codes that
// Windows adds to "it stopped again while starting" are optional here.
#include "ListWindowsTestBase.h"
#include "ServicesTestBase.h"
#include "support/ChildProcess.h"
#include "support/CommandLineRun.h"
#include "support/ListWindowDriver.h"
#include "support/MessageBoxes.h"
#include "support/ServiceManager.h"
#include "support/TestOptions.h"
#include "support/TestServices.h"
#include "support/TimeLimits.h"
#include "support/TopLevelWindows.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <iostream>
#include <optional>
#include <utility>
#include <string>

namespace quenlow {
namespace {

using namespace quenlow::testing;
using namespace std::chrono_literals;
using namespace std::string_literals;

// How soon the report follows Stop Waiting.
constexpr auto kAtOnce = 3s;

const std::wstring kStoppedAgain =
    L"it stopped again while starting( \\(exit code 1066[^)]*; service-specific code 42\\))?";

// ---- On the command line ----------------------------------------------------------------------

using SlowServiceCommandLineTest = QuenlowServicesTest;

TEST_F(SlowServiceCommandLineTest, AStartIsReportedOnceTheServiceRunsWithProgressMeanwhile)
{
    const auto started = std::chrono::steady_clock::now();
    const ChildProcess process = ChildProcess::Start(QuenlowCommandLine(L"/start quenlowtestslowstart"));
    // A window of its own, in the task bar, that names the service by the name given.
    const auto progress = WaitForProgressWindow(process, kReactionComesWithin);
    ASSERT_TRUE(progress.has_value()) << "no progress window";
    EXPECT_GE(std::chrono::steady_clock::now() - started, 1s);
    EXPECT_EQ(::GetWindow(progress->window, GW_OWNER), nullptr);
    EXPECT_TRUE(Matches(progress->text, L"Starting quenlowtestslowstart\\nquenlowtestslowstart: starting, \\d s"))
        << Utf8(progress->text);
    const auto box = WaitForMessageBox(process, kBoxComesWithin);
    EXPECT_FALSE(::IsWindow(progress->window)) << "the progress window outlived the wait";
    ASSERT_TRUE(box.has_value()) << "no message box";
    // While the box is up the service runs: it was not reported while still starting.
    EXPECT_EQ(QueryServiceState(kSlowStart.name), SERVICE_RUNNING);
    EXPECT_GE(std::chrono::steady_clock::now() - started, kSlowStartTime);
    EXPECT_EQ(box->text, L"quenlowtestslowstart has started."s);
    ASSERT_TRUE(AnswerOk(box->window));
    EXPECT_EQ(process.WaitForExit(kProcessEndsWithin), kExitSucceeded);
}

TEST_F(SlowServiceCommandLineTest, ServicesThatDoNotGetThereAreFailuresInPlainWords)
{
    StartServiceDirectly(kTakesStopBack.name);
    ScopedTestService removed(kRemovedWhileStarting);
    struct Case {
        const wchar_t* arguments;
        std::wstring message;
        DWORD exitStatus = kExitFailed;
    };
    const Case cases[] = {
        {L"/start quenlowtestfailsstarting", L"quenlowtestfailsstarting could not be started: " + kStoppedAgain + L"\\."},
        {L"/stop quenlowtesttakesstopback",
         L"quenlowtesttakesstopback could not be stopped: it did not stop; it is running again\\."},
        {L"/start quenlowtestremovedstarting",
         L"quenlowtestremovedstarting could not be started: it was removed while starting\\."},
        {L"/start quenlowtestpendsforever",
         L"quenlowtestpendsforever could not be started: it was still starting after 30 s\\.", kExitStillPending},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.arguments));
        const auto run = RunQuenlowCommand(c.arguments, kBoxComesWithin);
        ASSERT_TRUE(run.message.has_value()) << "no message box";
        EXPECT_TRUE(Matches(*run.message, c.message)) << Utf8(*run.message);
        EXPECT_FALSE(run.secondMessage);
        EXPECT_EQ(run.exitCode, c.exitStatus);
    }
    EXPECT_EQ(QueryServiceState(kFailsWhileStarting.name), SERVICE_STOPPED);
    EXPECT_EQ(QueryServiceState(kTakesStopBack.name), SERVICE_RUNNING);
    EXPECT_EQ(QueryServiceState(kPendsForEver.name), SERVICE_START_PENDING);
}

// A request that is answered at once looks as it always did: the box, and no progress window.
TEST_F(SlowServiceCommandLineTest, AnAnswerWithinASecondShowsNoProgressWindow)
{
    const auto started = std::chrono::steady_clock::now();
    const ChildProcess process = ChildProcess::Start(QuenlowCommandLine(L"/stop quenlowtesta"));
    bool progressSeen = false;
    std::optional<MessageBoxView> box;
    PumpUntil(
        [&] {
            progressSeen = progressSeen || WaitForProgressWindow(process, 0ms).has_value();
            box = WaitForMessageBox(process, 0ms);
            return box.has_value() || process.HasExited();
        },
        kBoxComesWithin);
    ASSERT_TRUE(box.has_value()) << "no message box";
    const auto took = std::chrono::steady_clock::now() - started;
    if (took < 1s) {
        EXPECT_FALSE(progressSeen) << "a progress window came for a request answered within a second";
    } else {
        std::cout << "note: the run took " << std::chrono::duration_cast<std::chrono::milliseconds>(took).count()
                  << " ms, so a progress window was allowed\n";
    }
    ASSERT_TRUE(AnswerOk(box->window));
    EXPECT_EQ(process.WaitForExit(kProcessEndsWithin), kExitSucceeded);
}

// Stop Waiting, or the program told to close from outside while it waits: the report comes at once
// and says the service was still starting; exit status 5.
TEST_F(SlowServiceCommandLineTest, StoppingTheWaitReportsTheServiceStillStarting)
{
    const auto pressStopWaiting = [](const ChildProcess&, HWND progress) { PressStopWaiting(progress); };
    const auto runTaskkill = [](const ChildProcess& program, HWND) {
        const ChildProcess taskkill = ChildProcess::Start(L"taskkill.exe /pid " + std::to_wstring(program.Id()));
        EXPECT_EQ(taskkill.WaitForExit(kProcessEndsWithin), 0u);
    };
    const std::pair<const char*, std::function<void(const ChildProcess&, HWND)>> ways[] = {
        {"Stop Waiting", pressStopWaiting}, {"taskkill without /F", runTaskkill}};
    for (const auto& [way, stop] : ways) {
        SCOPED_TRACE(way);
        const ChildProcess process = ChildProcess::Start(QuenlowCommandLine(L"/start quenlowtestpendsforever"));
        const auto progress = WaitForProgressWindow(process, kReactionComesWithin);
        ASSERT_TRUE(progress.has_value()) << "no progress window";
        // Once the start has gone out: before that, the service would not be asked at all.
        ASSERT_TRUE(WaitForServiceState(kPendsForEver.name, SERVICE_START_PENDING));
        stop(process, progress->window);
        const auto stopped = std::chrono::steady_clock::now();
        const auto box = WaitForMessageBox(process, kBoxComesWithin);
        ASSERT_TRUE(box.has_value()) << "no message box";
        EXPECT_LT(std::chrono::steady_clock::now() - stopped, kAtOnce);
        EXPECT_EQ(box->text,
                  L"quenlowtestpendsforever could not be started: it was still starting when the wait was stopped."s);
        ASSERT_TRUE(AnswerOk(box->window));
        EXPECT_EQ(process.WaitForExit(kProcessEndsWithin), kExitStillPending);
        StopTestService(kPendsForEver);
    }
}

// A stop that the service reports late is a success, and so is a start that meets the service still
// stopping: it waits for the stop, starts the service once more and reports that start.
TEST_F(SlowServiceCommandLineTest, ALateStopAndAStartThatMeetsAStopSucceed)
{
    StartServiceDirectly(kStopsLate.name);
    auto run = RunQuenlowCommand(L"/stop quenlowteststopslate", kBoxComesWithin);
    EXPECT_EQ(run.message, L"quenlowteststopslate has stopped."s);
    EXPECT_EQ(run.exitCode, kExitSucceeded);
    EXPECT_EQ(QueryServiceState(kStopsLate.name), SERVICE_STOPPED);

    ASSERT_TRUE(WaitForTestServiceProcessesToEnd(kServiceStateComesWithin));
    StartServiceDirectly(kStopsLate.name);
    SendStopDirectly(kStopsLate.name);
    ASSERT_TRUE(WaitForServiceState(kStopsLate.name, SERVICE_STOP_PENDING));
    run = RunQuenlowCommand(L"/start quenlowteststopslate", kBoxComesWithin);
    EXPECT_EQ(run.message, L"quenlowteststopslate has started."s);
    EXPECT_EQ(run.exitCode, kExitSucceeded);
    EXPECT_EQ(QueryServiceState(kStopsLate.name), SERVICE_RUNNING);
}

// ---- Through the list windows ---------------------------------------------------------------

using SlowServiceWindowsTest = ListWindowsTest;

// The failures are named, the others started; while the program waits, a progress window owned
// by the list window says what each service is doing, the list window answers (no "not
// responding") but takes no input, and a click on it is ignored.
TEST_F(SlowServiceWindowsTest, TickedServicesThatDoNotStartAreNamedAndTheOthersStart)
{
    ScopedTestService removed(kRemovedWhileStarting);
    auto stopped = OpenStoppedServices();
    for (const auto& service : {kSlowStart, kFailsWhileStarting, kOrdinary, kRemovedWhileStarting, kPendsForEver}) {
        stopped.ClickCheckBox(DisplayNameOf(service));
    }
    stopped.ClickButton(L"Start");

    const auto progress = WaitForProgressWindow(Run().Process(), kReactionComesWithin);
    ASSERT_TRUE(progress.has_value()) << "no progress window";
    EXPECT_EQ(::GetWindow(progress->window, GW_OWNER), stopped.Window());
    EXPECT_FALSE(::IsWindowEnabled(stopped.Window()));
    // Well into the wait for the service that stays starting.
    ASSERT_TRUE(WaitForServiceState(kSlowStart.name, SERVICE_RUNNING));
    ASSERT_TRUE(PumpUntil([&] { return ReadProgressText(progress->window).find(L"Slow Start: running") != std::wstring::npos; },
                          kReactionComesWithin))
        << Utf8(ReadProgressText(progress->window));
    // The one still on its way first, then the settled ones in list order.
    EXPECT_TRUE(Matches(ReadProgressText(progress->window),
                        L"Starting 5 services\\nQuenlow Test Pends For Ever: starting, \\d+ s"
                        L"\\nQuenlow Test Fails While Starting: could not be started: " + kStoppedAgain +
                            L"\\nQuenlow Test Ordinary: running"
                            L"\\nQuenlow Test Removed While Starting: could not be started: it was removed while starting"
                            L"\\nQuenlow Test Slow Start: running"))
        << Utf8(ReadProgressText(progress->window));
    // The window answers all along: asked each time the progress window counts on.
    for (int tick = 0; tick < 3; ++tick) {
        const std::wstring before = ReadProgressText(progress->window);
        ASSERT_TRUE(PumpUntil([&] { return ReadProgressText(progress->window) != before; }, kReactionComesWithin))
            << "the progress window stopped counting";
        DWORD_PTR answer = 0;
        EXPECT_NE(::SendMessageTimeoutW(stopped.Window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer), 0)
            << "the window did not answer while the program waited";
    }
    stopped.PostButtonClick(L"Active Services");

    const auto box = Run().WaitForMessage(kBoxComesWithin);
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

// Stop Waiting ends the wait at once with the report of what got where; so does the task bar's
// Close on the window, whose close is carried out once that report has been answered.
TEST_F(SlowServiceWindowsTest, StopWaitingReportsAtOnceAndACloseAskedMeanwhileFollowsTheBox)
{
    auto stopped = OpenStoppedServices();
    stopped.ClickCheckBox(DisplayNameOf(kOrdinary));
    stopped.ClickCheckBox(DisplayNameOf(kPendsForEver));
    stopped.ClickButton(L"Start");
    const auto progress = WaitForProgressWindow(Run().Process(), kReactionComesWithin);
    ASSERT_TRUE(progress.has_value()) << "no progress window";
    // Both calls go out before the first look, which can come after the progress window on a busy
    // machine: close once the ordinary service is seen running.
    ASSERT_TRUE(PumpUntil([&] { return ReadProgressText(progress->window).find(L"Ordinary: running") != std::wstring::npos; },
                          kReactionComesWithin))
        << Utf8(ReadProgressText(progress->window));

    stopped.PostSystemClose();
    const auto pressed = std::chrono::steady_clock::now();
    const auto box = Run().WaitForMessage(kBoxComesWithin);
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, kAtOnce);
    EXPECT_EQ(box.text, L"1 of 2 selected services were started. This one was not:\n"
                        L"\nQuenlow Test Pends For Ever: it was still starting when the wait was stopped.");
    EXPECT_TRUE(stopped.Visible()) << "the window closed before the box was answered";
    ASSERT_TRUE(AnswerOk(box.window));
    EXPECT_TRUE(WaitUntilClosed(stopped.Window(), kReactionComesWithin)) << "the close asked for during the wait was lost";
    EXPECT_EQ(Run().Process().WaitForExit(kProcessEndsWithin), kExitSucceeded);
    EXPECT_EQ(QueryServiceState(kOrdinary.name), SERVICE_RUNNING);
}

// The same in the windows: the start meets the service stopping, the stop is reported late.
TEST_F(SlowServiceWindowsTest, AStartThatMeetsAStopAndALateStopSucceed)
{
    auto stopped = OpenStoppedServices();
    stopped.ClickCheckBox(DisplayNameOf(kStopsLate));
    StartServiceDirectly(kStopsLate.name);
    SendStopDirectly(kStopsLate.name);
    ASSERT_TRUE(WaitForServiceState(kStopsLate.name, SERVICE_STOP_PENDING));
    stopped.ClickButton(L"Start");
    EXPECT_EQ(AnswerMessage(), L"Selected Services are Started.");
    EXPECT_EQ(QueryServiceState(kStopsLate.name), SERVICE_RUNNING);

    stopped.ClickButton(L"Active Services");
    auto active = WaitForListWindow(Run().Process(), ListWindowKind::ActiveServices);
    active.ClickCheckBox(DisplayNameOf(kStopsLate));
    active.ClickButton(L"Stop");
    EXPECT_EQ(AnswerMessage(), L"Selected Services are Stopped.");
    EXPECT_EQ(QueryServiceState(kStopsLate.name), SERVICE_STOPPED);
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
