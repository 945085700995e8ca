// The real quenlow.exe ends when, and only when, none of its windows is left on screen: for
// every way of closing the last visible window, the process ends, with status 0; while a window
// is still visible, it runs on, whatever is hidden. How soon it ends is a figure of
// bench/process_bench_win.cpp (program-end).
#include "ListWindowsTestBase.h"
#include "support/ListWindowDriver.h"
#include "support/MessagePump.h"
#include "support/TimeLimits.h"
#include "support/TopLevelWindows.h"
#include "support/UserInput.h"
#include "support/WindowedRun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>

namespace quenlow {
namespace {

using namespace quenlow::testing;
using namespace std::chrono_literals;

ListWindowDriver Wait(WindowedRun& run, ListWindowKind kind)
{
    return WaitForListWindow(run.Process(), kind);
}

ListWindowDriver StoppedFromMargin(WindowedRun& run)
{
    run.MovePointerOntoSplashMargin();
    return run.ContinueToStoppedServices();
}

ListWindowDriver StoppedFromFrame(WindowedRun& run)
{
    run.ClickSplashFrame();
    return run.ContinueToStoppedServices();
}

ListWindowDriver ActiveAlone(WindowedRun& run)
{
    auto stopped = StoppedFromMargin(run);
    stopped.ClickButton(L"Active Services");
    auto active = Wait(run, ListWindowKind::ActiveServices);
    EXPECT_TRUE(WaitUntilClosed(stopped.Window(), kReactionComesWithin));
    return active;
}

// The active services window with the stopped services window beside it and the all services
// window hidden: Active Services, All Services, then the all services window's Close.
struct ActiveBesideStopped {
    ListWindowDriver active;
    ListWindowDriver stopped;
};

ActiveBesideStopped ActiveBesideStoppedWithAllHidden(WindowedRun& run)
{
    auto active = ActiveAlone(run);
    active.ClickButton(L"All Services");
    Wait(run, ListWindowKind::AllServices).ClickButton(L"Close");
    auto stopped = Wait(run, ListWindowKind::StoppedServices);
    return {active, stopped};
}

// A step after which a window is still on screen: the program must go on.
void ExpectStillRunning(const WindowedRun& run, const char* after)
{
    EXPECT_TRUE(run.KeepsRunningWithAWindowVisible())
        << "the program ended after " << after << " although a window was still visible";
}

void WaitUntilHidden(const ListWindowDriver& window)
{
    EXPECT_TRUE(PumpUntil([&] { return !window.Visible(); }, kReactionComesWithin))
        << Utf8(CaptionOf(window.Kind())) << " is still visible";
}

struct LastWindowClose {
    const char* name;
    // Leads the program to the state and closes its last visible window.
    void (*closeLast)(WindowedRun& run);
};

void PrintTo(const LastWindowClose& way, std::ostream* out)
{
    *out << way.name;
}

const LastWindowClose kWays[] = {
    {"SplashKeyPress",
     [](WindowedRun& run) {
         ASSERT_TRUE(BringToForeground(run.Splash()));
         PressKey('Q');
     }},
    {"SplashAltF4",
     [](WindowedRun& run) {
         ASSERT_TRUE(BringToForeground(run.Splash()));
         PressKeys({VK_MENU, VK_F4});
     }},
    {"StoppedCloseButton", [](WindowedRun& run) { StoppedFromFrame(run).ClickButton(L"Close"); }},
    {"StoppedTitleBarCloseBox", [](WindowedRun& run) { StoppedFromFrame(run).ClickTitleBarCloseBox(); }},
    {"StoppedAltF4", [](WindowedRun& run) { StoppedFromMargin(run).PressAltF4(); }},
    {"StoppedSystemMenuClose", [](WindowedRun& run) { StoppedFromMargin(run).PostSystemClose(); }},
    // The Close button only hides the active services window, but nothing could show it again.
    {"ActiveCloseButtonAlone", [](WindowedRun& run) { ActiveAlone(run).ClickButton(L"Close"); }},
    {"ActiveTitleBarCloseBoxAlone", [](WindowedRun& run) { ActiveAlone(run).ClickTitleBarCloseBox(); }},
    {"StoppedCloseAfterStoppedServicesButton",
     [](WindowedRun& run) {
         auto active = ActiveAlone(run);
         active.ClickButton(L"Stopped Services");
         auto stopped = Wait(run, ListWindowKind::StoppedServices);
         EXPECT_TRUE(WaitUntilClosed(active.Window(), kReactionComesWithin));
         stopped.ClickButton(L"Close");
     }},
    // The all services window stays loaded, hidden, once shown.
    {"StoppedCloseWithAllServicesHidden",
     [](WindowedRun& run) {
         auto stopped = StoppedFromMargin(run);
         stopped.ClickButton(L"All Services");
         auto all = Wait(run, ListWindowKind::AllServices);
         all.ClickButton(L"Close");
         WaitUntilHidden(all);
         ExpectStillRunning(run, "the all services window's Close");
         stopped.ClickButton(L"Close");
     }},
    {"StoppedTitleBarCloseWithActiveHidden",
     [](WindowedRun& run) {
         auto [active, stopped] = ActiveBesideStoppedWithAllHidden(run);
         active.ClickButton(L"Close");
         WaitUntilHidden(active);
         ExpectStillRunning(run, "the active services window's Close");
         stopped.ClickTitleBarCloseBox();
     }},
    {"ActiveTitleBarCloseWithAllServicesHidden",
     [](WindowedRun& run) {
         auto [active, stopped] = ActiveBesideStoppedWithAllHidden(run);
         stopped.ClickButton(L"Close");
         EXPECT_TRUE(WaitUntilClosed(stopped.Window(), kReactionComesWithin));
         ExpectStillRunning(run, "the stopped services window's Close");
         active.ClickTitleBarCloseBox();
     }},
    // The all services window left alone on screen: it has no close box, but the system's close
    // command closes it like any window.
    {"AllServicesAltF4WhenAlone",
     [](WindowedRun& run) {
         auto stopped = StoppedFromMargin(run);
         stopped.ClickButton(L"All Services");
         auto all = Wait(run, ListWindowKind::AllServices);
         stopped.ClickButton(L"Close");
         EXPECT_TRUE(WaitUntilClosed(stopped.Window(), kReactionComesWithin));
         ExpectStillRunning(run, "the stopped services window's Close");
         all.PressAltF4();
     }},
    {"StoppedCloseAfterAllServicesLeftAlone",
     [](WindowedRun& run) {
         auto stopped = StoppedFromMargin(run);
         stopped.ClickButton(L"All Services");
         auto all = Wait(run, ListWindowKind::AllServices);
         stopped.ClickButton(L"Close");
         ExpectStillRunning(run, "the stopped services window's Close");
         all.ClickButton(L"Close");
         auto again = Wait(run, ListWindowKind::StoppedServices);
         again.ClickButton(L"Close");
     }},
};

class ProgramEndTest : public ListWindowsTest, public ::testing::WithParamInterface<LastWindowClose> {};

TEST_P(ProgramEndTest, TheProcessEndsWithSuccessOnceTheLastVisibleWindowHasGone)
{
    GetParam().closeLast(Run());
    ASSERT_FALSE(HasFailure()) << "the way to the last window went wrong";
    const auto exitCode = Run().Process().WaitForExit(kProcessEndsWithin);
    ASSERT_TRUE(exitCode.has_value()) << "the program still runs; on screen: " << ::testing::PrintToString(
                                             Run().VisibleCaptions());
    EXPECT_EQ(*exitCode, 0u);
}

INSTANTIATE_TEST_SUITE_P(EveryWay, ProgramEndTest, ::testing::ValuesIn(kWays),
                         [](const ::testing::TestParamInfo<LastWindowClose>& way) { return way.param.name; });

} // namespace
} // namespace quenlow
