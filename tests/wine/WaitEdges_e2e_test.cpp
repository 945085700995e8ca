// Waits at their edges, met through the real quenlow.exe: Stop Waiting while WMI holds a call
// that does not come back, a list read that takes seconds on a system with many services, the
// focus after a wait, taskkill during a wait, and a command line run where no one can see a
// window.
#include "ListWindowsTestBase.h"
#include "common/ExitStatus.h"
#include "support/ChildProcess.h"
#include "support/HiddenStationRun.h"
#include "support/ManyServices.h"

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <optional>
#include <string>

namespace quenlow {
namespace {

using namespace quenlow::testing;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// How soon the report follows Stop Waiting, and a list read of the test system takes, with room
// for a busy machine.
constexpr auto kAtOnce = 1500ms;

long long MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

using WaitEdgeWindowsTest = ListWindowsTest;

// The start call of a service whose program never reaches the service manager stays with WMI for
// about 12 s, and under Wine WMI's service table is the call's all that time (DESIGN.md, Threads).
// Stop Waiting ends the press at once; the reload after it waits for that call and says so, and
// Stop Waiting ends that wait too, so the report comes at once. Once the call is back, the list is
// read again with the service stopped.
TEST_F(WaitEdgeWindowsTest, StopWaitingOnACallThatDoesNotComeBackEndsThePressAndTheWaitBehindIt)
{
    auto stopped = OpenStoppedServices();
    stopped.ClickCheckBox(DisplayNameOf(kNeverResponds));
    stopped.ClickButton(L"Start");
    const auto progress = WaitForProgressWindow(Run().Process(), kReactionComesWithin);
    ASSERT_TRUE(progress.has_value()) << "no progress window";
    PressStopWaiting(progress->window);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(progress->window); }, kReactionComesWithin));
    const auto reload = WaitForProgressWindow(Run().Process(), kReactionComesWithin);
    ASSERT_TRUE(reload.has_value()) << "the reload did not wait for the call left behind";
    EXPECT_TRUE(Matches(reload->text, L"Reading the list of stopped services\\n"
                                      L"Waiting for WMI to finish work that was given up, \\d+ s"))
        << Utf8(reload->text);
    PressStopWaiting(reload->window);
    const auto pressed = Clock::now();
    const auto box = Run().WaitForMessage(kBoxComesWithin);
    EXPECT_LT(MillisecondsSince(pressed), std::chrono::milliseconds(kAtOnce).count());
    EXPECT_EQ(box.text, L"0 of 1 selected services were started. This one was not:\n"
                        L"\nQuenlow Test Never Responds: it was still starting when the wait was stopped."
                        L"\n\nThe list could not be reloaded: the wait was stopped.");
    ASSERT_TRUE(AnswerOk(box.window));

    // A Refresh clears the ticks with the entries it reads afresh.
    stopped.ClickCheckBox(DisplayNameOf(kOrdinary));
    stopped.ClickButton(L"Refresh");
    ASSERT_TRUE(PumpUntil([&] { return stopped.TickedEntries().empty(); }, kBoxComesWithin))
        << "the list was not read again";
    EXPECT_TRUE(stopped.Contains(DisplayNameOf(kNeverResponds)));
}

// Work given up while many services make every query, and the refill of WMI's table that each
// start call begins with, take seconds under Wine: a group of its own, for its time.
using GivenUpWorkTest = ListWindowsTest;

// Stop Waiting at a different moment of a press each time (while it finds its service, while its
// call refills WMI's table), and the reload after it still reads the list: it waits, if it must,
// for the one call left behind, and never meets it in WMI's table.
TEST_F(GivenUpWorkTest, TheReloadAfterStopWaitingReadsTheListWhateverTheWorkLeftBehindIsDoing)
{
    const ScopedManyServices many(1000);
    auto stopped = OpenStoppedServices();
    const std::wstring entry = ManyServiceDisplayName(1); // its program does not exist: it never runs
    for (int run = 0; run < 4; ++run) {
        SCOPED_TRACE("Stop Waiting " + std::to_string(run * 700) + " ms after the progress window");
        stopped.ClickCheckBox(entry);
        stopped.ClickButton(L"Start");
        const auto progress = WaitForProgressWindow(Run().Process(), kReactionComesWithin);
        ASSERT_TRUE(progress.has_value()) << "no progress window";
        ::Sleep(static_cast<DWORD>(run * 700));
        if (::IsWindow(progress->window)) {
            PressStopWaiting(progress->window);
        }
        const auto box = Run().WaitForMessage(kBoxComesWithin);
        EXPECT_EQ(box.text.find(L"could not be reloaded"), std::wstring::npos) << Utf8(box.text);
        ASSERT_TRUE(AnswerOk(box.window));
        ASSERT_TRUE(PumpUntil([&] { return stopped.Contains(entry) && ::IsWindowEnabled(stopped.Window()); },
                              kBoxComesWithin))
            << "the list read after Stop Waiting is not the list of stopped services";
    }
}

// Stop Waiting while a press is still finding its service (many services make that slow): the
// service is reported as not asked, and 15 s later it has still not been asked.
TEST_F(GivenUpWorkTest, StopWaitingDuringASlowLookUpLeavesTheServiceAsTheBoxSays)
{
    const ScopedManyServices many(1500);
    auto stopped = OpenStoppedServices();
    stopped.ClickCheckBox(DisplayNameOf(kOrdinary));
    stopped.ClickButton(L"Start");
    const auto progress = WaitForProgressWindow(Run().Process(), kReactionComesWithin);
    ASSERT_TRUE(progress.has_value()) << "no progress window";
    PressStopWaiting(progress->window);
    const auto box = Run().WaitForMessage(kBoxComesWithin);
    EXPECT_EQ(box.text, L"0 of 1 selected services were started. This one was not:\n\n" + DisplayNameOf(kOrdinary) +
                            L": it was not asked to start, as the wait was stopped before its turn.");
    ASSERT_TRUE(AnswerOk(box.window));
    ::Sleep(15'000);
    EXPECT_EQ(QueryServiceState(kOrdinary.name), SERVICE_STOPPED);
}

// With about 1,500 more services a list read takes seconds: its progress window counts its own
// time, and giving up the read on the way from the all services window back to the stopped one
// leaves the all services window on the screen and the program running.
TEST_F(WaitEdgeWindowsTest, AGivenUpReadOnTheWayBackKeepsTheAllServicesWindowAndTheProgram)
{
    const ScopedManyServices many(1500);
    auto active = OpenActiveServices();
    active.ClickButton(L"All Services");
    auto all = WaitForListWindow(Run().Process(), ListWindowKind::AllServices, kBoxComesWithin);
    active.ClickButton(L"Close");
    ASSERT_TRUE(PumpUntil([&] { return !active.Visible(); }, kReactionComesWithin));

    all.PostButtonClick(L"Close");
    const auto progress = WaitForProgressWindow(Run().Process(), kReactionComesWithin);
    ASSERT_TRUE(progress.has_value()) << "the read took less than a second: too few services to tell";
    EXPECT_TRUE(Matches(progress->text, L"Reading the list of stopped services\\nWaiting for WMI, [1-9] s"))
        << Utf8(progress->text);
    PressStopWaiting(progress->window);
    EXPECT_TRUE(PumpUntil([&] { return all.Visible(); }, kReactionComesWithin))
        << "the all services window stayed hidden";
    EXPECT_TRUE(Run().KeepsRunningWithAWindowVisible());
    EXPECT_FALSE(FindListWindow(Run().ProcessId(), ListWindowKind::StoppedServices).has_value());
}

// A wait takes the keyboard focus from the window it disables; it gives it back: after a Refresh
// that took over a second, the button pressed has the focus again, and Space presses it at once.
TEST_F(WaitEdgeWindowsTest, TheFocusIsBackWhereItWasAfterAWait)
{
    const ScopedManyServices many(1500);
    auto stopped = OpenStoppedServices();
    for (int press = 0; press < 2; ++press) {
        if (press == 0) {
            stopped.ClickButton(L"Refresh");
        } else {
            stopped.PressKeys({VK_SPACE});
        }
        const auto progress = WaitForProgressWindow(Run().Process(), kReactionComesWithin);
        ASSERT_TRUE(progress.has_value()) << "no read that took over a second after press " << press;
        ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(progress->window) && ::IsWindowEnabled(stopped.Window()); },
                              kBoxComesWithin));
        EXPECT_EQ(stopped.FocusName(), L"Refresh");
    }
}

// taskkill without /F while the program waits asks every window of it to close: the wait ends at
// once, the report comes, and once it is answered the windows close and the program ends.
TEST_F(WaitEdgeWindowsTest, TaskkillDuringAWaitStopsItAndThenTheWindowsCloseCleanly)
{
    auto stopped = OpenStoppedServices();
    stopped.ClickButton(L"All Services");
    WaitForListWindow(Run().Process(), ListWindowKind::AllServices);
    stopped.ClickCheckBox(DisplayNameOf(kPendsForEver));
    stopped.ClickButton(L"Start");
    ASSERT_TRUE(WaitForProgressWindow(Run().Process(), kReactionComesWithin).has_value()) << "no progress window";
    const ChildProcess taskkill = ChildProcess::Start(L"taskkill.exe /pid " + std::to_wstring(Run().ProcessId()));
    EXPECT_EQ(taskkill.WaitForExit(kProcessEndsWithin), 0u);
    // The closes may reach the program while it reads the list again, which they end too.
    const auto box = Run().WaitForMessage(kBoxComesWithin);
    EXPECT_TRUE(box.text.starts_with(L"0 of 1 selected services were started. This one was not:\n"
                                     L"\nQuenlow Test Pends For Ever: it was still starting when the wait was stopped."))
        << Utf8(box.text);
    ASSERT_TRUE(AnswerOk(box.window));
    EXPECT_EQ(Run().Process().WaitForExit(kProcessEndsWithin), kExitSucceeded);
}

// A close from outside during a press is final: the wait ends as with Stop Waiting, the box says
// how the press went, and once it is answered the window closes without reading its list again,
// so no second progress window comes, however long a read would take.
TEST_F(WaitEdgeWindowsTest, ACloseDuringAPressEndsAfterTheBoxWithNoSecondProgressWindow)
{
    const ScopedManyServices many(1500);
    auto stopped = OpenStoppedServices();
    stopped.ClickCheckBox(DisplayNameOf(kPendsForEver));
    stopped.ClickButton(L"Start");
    const auto progress = WaitForProgressWindow(Run().Process(), kReactionComesWithin);
    ASSERT_TRUE(progress.has_value()) << "no progress window";
    ::PostMessageW(stopped.Window(), WM_CLOSE, 0, 0);
    std::optional<MessageBoxView> box;
    bool secondProgress = false;
    PumpUntil(
        [&] {
            const auto shown = WaitForProgressWindow(Run().Process(), 0ms);
            secondProgress = secondProgress || (shown && shown->window != progress->window);
            box = WaitForMessageBox(Run().Process(), 0ms);
            return box.has_value();
        },
        kBoxComesWithin);
    ASSERT_TRUE(box.has_value()) << "no message box";
    EXPECT_FALSE(secondProgress) << "the list of a window that was closed was read again";
    // Whether the start had gone out when the close came (the press may still have been finding
    // its service): either way, what the box says.
    EXPECT_TRUE(Matches(box->text, L"0 of 1 selected services were started\\. This one was not:\n"
                                   L"\nQuenlow Test Pends For Ever: it was (still starting when the wait was stopped|"
                                   L"not asked to start, as the wait was stopped before its turn)\\."))
        << Utf8(box->text);
    ASSERT_TRUE(AnswerOk(box->window));
    EXPECT_EQ(Run().Process().WaitForExit(kProcessEndsWithin), kExitSucceeded);
}

// Where no one can see a window the command line shows none: its text goes to standard error,
// and it ends by itself with its exit status.
using WaitEdgeCommandLineTest = QuenlowServicesTest;

TEST_F(WaitEdgeCommandLineTest, WhereNoOneCanSeeAWindowTheCommandLineEndsWithItsTextOnStandardError)
{
    struct Case {
        const wchar_t* arguments;
        std::wstring error;
        DWORD exitStatus;
    };
    const Case cases[] = {
        {L"/start quenlowtesta", L"quenlowtesta has started.\r\n", kExitSucceeded},
        {L"/stop quenlowtestnosuch", L"No service is named \"quenlowtestnosuch\", so nothing was stopped.\r\n",
         kExitNotFound},
        {L"", L"Quenlow's windows are not opened where no one can see them; use /start NAME or /stop NAME here.\r\n",
         kExitNobodySees},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.arguments));
        const auto run = RunOnHiddenWindowStation(QuenlowProgramPath(), c.arguments, kBoxComesWithin);
        EXPECT_TRUE(run.endedByItself) << "it waited for an answer nobody could give";
        EXPECT_EQ(run.exitCode, c.exitStatus);
        EXPECT_EQ(run.standardError, c.error);
    }
}

} // namespace
} // namespace quenlow
