#include "start/Program.h"

#include "FakeServiceAccess.h"
#include "FakeUserInterface.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

using testing::FakeServiceAccess;
using testing::FakeUserInterface;
using testing::InlineServiceWork;
using enum WindowId;
using enum ControlId;
using Log = std::vector<std::wstring>;

class NavigationTest : public ::testing::Test {
protected:
    FakeServiceAccess wmi;
    FakeUserInterface ui;
    InlineServiceWork work{wmi};
    WaitSafety safety;
    Program program{work, ui, AppInfo{L"Quenlow", 1, 0, 0}, safety};

    void SetUp() override
    {
        wmi.services = {{L"s1", L"Stopped One", L"Stopped"},
                        {L"r1", L"Running One", L"Running"},
                        {L"p1", L"Paused One", L"Paused"}};
    }

    WindowState State(WindowId window) const { return program.Windows().State(window); }

    // The splash window, then the stopped services window by its frame.
    void OpenStoppedWindow()
    {
        program.ShowWindowedPath();
        program.Click(frmSplash, Frame1);
        ui.TakeLog();
    }
};

TEST_F(NavigationTest, InstancesAreCreatedOnFirstUseOnly)
{
    EXPECT_FALSE(program.Windows().InstanceExists(frmSplash));
    program.ShowWindowedPath();
    EXPECT_TRUE(program.Windows().InstanceExists(frmSplash));
    EXPECT_FALSE(program.Windows().InstanceExists(frmStoppedServicesList));
    EXPECT_EQ(ui.TakeLog(), (Log{L"create frmSplash", L"show frmSplash"}));
    EXPECT_EQ(wmi.connections, 0);
}

TEST_F(NavigationTest, SplashKeyEndsTheProgramWithNoOtherWindow)
{
    program.ShowWindowedPath();
    ui.TakeLog();
    program.SplashCharacterKey();
    EXPECT_EQ(ui.TakeLog(), (Log{L"destroy frmSplash", L"end"}));
    EXPECT_EQ(State(frmSplash), WindowState::NotLoaded);
    EXPECT_EQ(wmi.connections, 0);
}

TEST_F(NavigationTest, SplashContinuesByMarginOrFrameShowingTheTargetFirst)
{
    for (const bool byMargin : {true, false}) {
        FakeUserInterface freshUi;
        WaitSafety freshSafety;
        Program fresh{work, freshUi, AppInfo{L"Quenlow", 1, 0, 0}, freshSafety};
        fresh.ShowWindowedPath();
        freshUi.TakeLog();
        if (byMargin) fresh.SplashMarginMouseMove();
        else fresh.Click(frmSplash, Frame1);
        EXPECT_EQ(freshUi.TakeLog(), (Log{L"create frmStoppedServicesList", L"clear frmStoppedServicesList",
                                          L"fill frmStoppedServicesList 1", L"show frmStoppedServicesList",
                                          L"destroy frmSplash"}));
        EXPECT_FALSE(freshUi.ended);
    }
}

TEST_F(NavigationTest, OnlyTheFrameOfTheSplashContinues)
{
    program.ShowWindowedPath();
    ui.TakeLog();
    program.Click(frmSplash, btnClose);
    EXPECT_TRUE(ui.TakeLog().empty());
}

TEST_F(NavigationTest, StoppedWindowSwitchesToActiveAndBack)
{
    OpenStoppedWindow();
    program.Click(frmStoppedServicesList, btnActiveServices);
    EXPECT_EQ(ui.TakeLog(), (Log{L"create frmActiveServicesList", L"clear frmActiveServicesList",
                                 L"fill frmActiveServicesList 1", L"show frmActiveServicesList",
                                 L"destroy frmStoppedServicesList"}));
    program.Click(frmActiveServicesList, btnStoppedServices);
    EXPECT_EQ(ui.TakeLog(), (Log{L"create frmStoppedServicesList", L"clear frmStoppedServicesList",
                                 L"fill frmStoppedServicesList 1", L"show frmStoppedServicesList",
                                 L"destroy frmActiveServicesList"}));
    EXPECT_EQ(State(frmActiveServicesList), WindowState::NotLoaded);
}

TEST_F(NavigationTest, StoppedWindowCloseAndTitleBarEndTheProgramWhenAlone)
{
    OpenStoppedWindow();
    program.Click(frmStoppedServicesList, btnClose);
    EXPECT_EQ(ui.TakeLog(), (Log{L"destroy frmStoppedServicesList", L"end"}));

    FakeUserInterface otherUi;
    WaitSafety otherSafety;
    Program other{work, otherUi, AppInfo{L"Quenlow", 1, 0, 0}, otherSafety};
    other.ShowWindowedPath();
    other.Click(frmSplash, Frame1);
    otherUi.TakeLog();
    other.ClosedByUser(frmStoppedServicesList);
    EXPECT_EQ(otherUi.TakeLog(), (Log{L"destroy frmStoppedServicesList", L"end"}));
}

// The active window's Close hides it; when nothing else is on screen the program ends
// rather than running on invisibly.
TEST_F(NavigationTest, ActiveWindowCloseAloneEndsTheProgram)
{
    OpenStoppedWindow();
    program.Click(frmStoppedServicesList, btnActiveServices);
    ui.TakeLog();
    program.Click(frmActiveServicesList, btnClose);
    EXPECT_EQ(ui.TakeLog(), (Log{L"hide frmActiveServicesList", L"end"}));
}

TEST_F(NavigationTest, HiddenActiveWindowKeepsItsListAndTicks)
{
    OpenStoppedWindow();
    program.Click(frmStoppedServicesList, BtnAllServices);
    program.Click(frmTotalServicesList, btnClose); // stopped window stays visible
    program.Click(frmStoppedServicesList, btnActiveServices);
    ui.Tick(frmActiveServicesList, L"Running One");
    wmi.services.push_back({L"r2", L"Running Two", L"Running"});
    program.Click(frmStoppedServicesList, btnActiveServices); // already unloaded: ignored
    // Back to the stopped window through "All Services" -> "Close", keeping the active window.
    program.Click(frmActiveServicesList, BtnAllServices);
    program.Click(frmTotalServicesList, btnClose);
    program.Click(frmActiveServicesList, btnClose);
    EXPECT_EQ(State(frmActiveServicesList), WindowState::Hidden);
    EXPECT_FALSE(ui.ended);
    const int queriesBefore = static_cast<int>(wmi.queries.size());
    ui.TakeLog();
    program.Click(frmStoppedServicesList, btnActiveServices);
    EXPECT_EQ(ui.TakeLog(), (Log{L"show frmActiveServicesList", L"destroy frmStoppedServicesList"}));
    EXPECT_EQ(static_cast<int>(wmi.queries.size()), queriesBefore);
    EXPECT_EQ(ui.Texts(frmActiveServicesList), Log{L"Running One"});
    EXPECT_TRUE(ui.ListChecked(frmActiveServicesList, 0));
}

TEST_F(NavigationTest, ActiveWindowClosedFromTitleBarIsLoadedAfresh)
{
    OpenStoppedWindow();
    program.Click(frmStoppedServicesList, BtnAllServices);
    program.Click(frmTotalServicesList, btnClose);
    program.Click(frmStoppedServicesList, btnActiveServices);
    program.Click(frmActiveServicesList, BtnAllServices);
    program.Click(frmTotalServicesList, btnClose); // stopped window loaded beside the active one
    ui.Tick(frmActiveServicesList, L"Running One");
    program.ClosedByUser(frmActiveServicesList);
    EXPECT_EQ(State(frmActiveServicesList), WindowState::NotLoaded);
    wmi.services.push_back({L"r2", L"Running Two", L"Running"});
    program.Click(frmStoppedServicesList, btnActiveServices);
    EXPECT_EQ(ui.Texts(frmActiveServicesList), (Log{L"Running One", L"Running Two"}));
    EXPECT_FALSE(ui.ListChecked(frmActiveServicesList, 0));
}

TEST_F(NavigationTest, AllServicesWindowIsReadOnceAndCloseShowsTheStoppedWindow)
{
    OpenStoppedWindow();
    ui.Tick(frmStoppedServicesList, L"Stopped One");
    program.Click(frmStoppedServicesList, BtnAllServices);
    EXPECT_EQ(ui.TakeLog(), (Log{L"create frmTotalServicesList", L"clear frmTotalServicesList",
                                 L"fill frmTotalServicesList 3", L"show frmTotalServicesList"}));
    EXPECT_EQ(State(frmStoppedServicesList), WindowState::Visible);
    program.Click(frmTotalServicesList, btnClose);
    // The stopped window was open already: not read again, its tick kept.
    EXPECT_EQ(ui.TakeLog(), (Log{L"hide frmTotalServicesList", L"show frmStoppedServicesList"}));
    EXPECT_TRUE(ui.ListChecked(frmStoppedServicesList, 0));
    wmi.services.push_back({L"n1", L"New One", L"Stopped"});
    program.Click(frmStoppedServicesList, BtnAllServices);
    EXPECT_EQ(ui.TakeLog(), Log{L"show frmTotalServicesList"});
    EXPECT_EQ(ui.Texts(frmTotalServicesList), (Log{L"Paused One", L"Running One", L"Stopped One"}));
}

TEST_F(NavigationTest, AllServicesCloseFromActiveWindowLoadsTheStoppedWindow)
{
    OpenStoppedWindow();
    program.Click(frmStoppedServicesList, btnActiveServices);
    program.Click(frmActiveServicesList, BtnAllServices);
    ui.TakeLog();
    program.Click(frmTotalServicesList, btnClose);
    EXPECT_EQ(ui.TakeLog(), (Log{L"hide frmTotalServicesList", L"create frmStoppedServicesList",
                                 L"clear frmStoppedServicesList", L"fill frmStoppedServicesList 1",
                                 L"show frmStoppedServicesList"}));
    EXPECT_EQ(State(frmActiveServicesList), WindowState::Visible);
}

// Once the all services window has been shown and hidden, closing the last visible window
// ends the program instead of leaving it running with nothing on screen.
TEST_F(NavigationTest, LastVisibleWindowEndsTheProgramDespiteHiddenOnes)
{
    OpenStoppedWindow();
    program.Click(frmStoppedServicesList, BtnAllServices);
    program.Click(frmTotalServicesList, btnClose);
    ui.TakeLog();
    program.Click(frmStoppedServicesList, btnClose);
    EXPECT_EQ(ui.TakeLog(), (Log{L"destroy frmStoppedServicesList", L"end"}));
    EXPECT_EQ(State(frmTotalServicesList), WindowState::Hidden);
}

TEST_F(NavigationTest, ClosingOneOfTwoVisibleWindowsKeepsTheProgram)
{
    OpenStoppedWindow();
    program.Click(frmStoppedServicesList, BtnAllServices);
    program.Click(frmStoppedServicesList, btnClose);
    EXPECT_FALSE(ui.ended);
    EXPECT_EQ(State(frmTotalServicesList), WindowState::Visible);
    program.ClosedByUser(frmTotalServicesList); // e.g. Alt+F4: unloaded, read afresh next time
    EXPECT_TRUE(ui.ended);
    EXPECT_EQ(State(frmTotalServicesList), WindowState::NotLoaded);
}

// A list that cannot be read is said in a box; the move ends there, before its window is made,
// and the program goes on.
TEST_F(NavigationTest, AListThatCannotBeReadIsReportedAndTheOldWindowStays)
{
    OpenStoppedWindow();
    wmi.failQuery = Error(static_cast<std::int32_t>(0x80041001u), L"Generic failure");
    program.Click(frmStoppedServicesList, btnActiveServices);
    EXPECT_EQ(ui.TakeLog(), (Log{L"box: The list could not be read: error 0x80041001: Generic failure."}));
    program.Click(frmStoppedServicesList, btnRefresh);
    EXPECT_EQ(ui.TakeLog(), (Log{L"box: The list could not be read: error 0x80041001: Generic failure."}));
    EXPECT_EQ(State(frmStoppedServicesList), WindowState::Visible);
    EXPECT_FALSE(ui.ended);
}

// The user may close a window from outside while its handler waits (End task, the task bar's
// Close): the wait ends as with Stop Waiting, the close is final, so the list is not read again,
// and it is carried out once the box has been answered; other events of that moment are dropped.
TEST_F(NavigationTest, ACloseAskedForDuringAWaitStopsItAndIsCarriedOutAfterTheBox)
{
    OpenStoppedWindow();
    ui.Tick(frmStoppedServicesList, L"Stopped One");
    work.meanwhile = [&, first = true]() mutable {
        if (std::exchange(first, false)) {
            program.ClosedByUser(frmStoppedServicesList);
            program.Click(frmStoppedServicesList, btnActiveServices);
        }
    };
    program.Click(frmStoppedServicesList, btnStart);
    EXPECT_EQ(work.started, 2) << "a read started for a window that was closed";
    EXPECT_EQ(ui.TakeLog(), (Log{L"box: 0 of 1 selected services were started. This one was not:\n"
                                 L"\nStopped One: it was not asked to start, as the wait was stopped before its turn.",
                                 L"destroy frmStoppedServicesList", L"end"}));
}

// Stopping the wait for a window's list gives up the move; the program stays where it was, with
// a window that was hidden to make room for the new one on the screen again.
TEST_F(NavigationTest, StopWaitingForAListLeavesTheWindowsAsTheyWere)
{
    OpenStoppedWindow();
    wmi.clock.stopAt = wmi.clock.now;
    program.Click(frmStoppedServicesList, btnActiveServices);
    EXPECT_EQ(ui.TakeLog(), Log{});
    EXPECT_EQ(State(frmActiveServicesList), WindowState::NotLoaded);
    EXPECT_EQ(State(frmStoppedServicesList), WindowState::Visible);

    // Active, All, then Close on both: the all services window is the last on the screen.
    wmi.clock.stopAt.reset();
    program.Click(frmStoppedServicesList, btnActiveServices);
    program.Click(frmActiveServicesList, BtnAllServices);
    program.Click(frmActiveServicesList, btnClose);
    ui.TakeLog();
    wmi.clock.stopAt = wmi.clock.now;
    program.Click(frmTotalServicesList, btnClose);
    EXPECT_EQ(ui.TakeLog(), (Log{L"hide frmTotalServicesList", L"show frmTotalServicesList"}));
    EXPECT_EQ(State(frmTotalServicesList), WindowState::Visible);
    EXPECT_FALSE(ui.ended);
}

TEST_F(NavigationTest, EventsForWindowsThatAreNotVisibleAreIgnored)
{
    OpenStoppedWindow();
    program.Click(frmActiveServicesList, btnStop);
    program.Click(frmTotalServicesList, btnClose);
    program.SplashCharacterKey();
    EXPECT_TRUE(ui.TakeLog().empty());
    EXPECT_EQ(wmi.calls.size(), 0u);
}

} // namespace
} // namespace quenlow
