// The moves between the windows of the real quenlow.exe: which window opens, stays, hides or is
// unloaded, what a hidden window keeps, when a list is read again, and where the keyboard focus
// goes. Services are changed behind the program's back to tell a kept list from a fresh one.
#include "ListWindowsTestBase.h"
#include "support/ListWindowDriver.h"
#include "support/MessagePump.h"
#include "support/ServiceDisplayNames.h"
#include "support/ServiceManager.h"
#include "support/TestServices.h"
#include "support/TimeLimits.h"
#include "support/TopLevelWindows.h"
#include "support/WindowedRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quenlow {
namespace {

using namespace quenlow::testing;
using namespace std::chrono_literals;
using Names = std::vector<std::wstring>;

const std::wstring kStoppedCaption(CaptionOf(ListWindowKind::StoppedServices));
const std::wstring kActiveCaption(CaptionOf(ListWindowKind::ActiveServices));
const std::wstring kAllCaption(CaptionOf(ListWindowKind::AllServices));

// Presses Tab the number of times and names what has the focus after each press.
Names TabWalk(ListWindowDriver& window, int presses)
{
    Names walk;
    for (int i = 0; i < presses; ++i) {
        const auto before = window.FocusName();
        window.PressKeys({VK_TAB});
        PumpUntil([&] { return window.FocusName() != before; }, kReactionComesWithin);
        walk.push_back(window.FocusName());
    }
    return walk;
}

Names Sorted(Names names)
{
    std::sort(names.begin(), names.end());
    return names;
}

using NavigationTest = ListWindowsTest;

TEST_F(NavigationTest, AMoveOntoTheSplashMarginOpensTheStoppedServicesWindow)
{
    const HWND splash = Run().Splash();
    Run().MovePointerOntoSplashMargin();
    auto stopped = Run().ContinueToStoppedServices();
    EXPECT_TRUE(WaitUntilClosed(splash, kReactionComesWithin)) << "the splash window was not unloaded";
    EXPECT_EQ(Run().VisibleCaptions(), Names{kStoppedCaption});

    // Every stopped service, in alphabetical order, nothing ticked.
    const auto entries = stopped.Entries();
    EXPECT_TRUE(InCaseInsensitiveOrder(entries));
    for (const auto& service : kTestServices) {
        EXPECT_TRUE(std::count(entries.begin(), entries.end(), DisplayNameOf(service)) == 1)
            << Utf8(DisplayNameOf(service));
    }
    EXPECT_TRUE(stopped.TickedEntries().empty());

    // The list has the focus and comes first in the tab order.
    EXPECT_TRUE(FocusComesTo(stopped, L"list"));
    EXPECT_EQ(TabWalk(stopped, 6),
              (Names{L"Start", L"Active Services", L"All Services", L"Close", L"Refresh", L"list"}));
    stopped.PressKeys({VK_SHIFT, VK_TAB});
    EXPECT_TRUE(FocusComesTo(stopped, L"Refresh"));

    // Enter presses the button that has the focus, not the default "Start": the list is read
    // again (a service started meanwhile leaves it) and no confirmation comes.
    StartServiceDirectly(kOrdinary.name);
    EXPECT_TRUE(stopped.Contains(DisplayNameOf(kOrdinary)));
    stopped.PressKeys({VK_RETURN});
    EXPECT_TRUE(PumpUntil([&] { return !stopped.Contains(DisplayNameOf(kOrdinary)); }, kReactionComesWithin));
    EXPECT_TRUE(stopped.Contains(DisplayNameOf(kSecond)));
    EXPECT_EQ(Run().VisibleCaptions(), Names{kStoppedCaption});
    EXPECT_TRUE(OnlyTheseTestServicesRun({kOrdinary}));
}

TEST_F(NavigationTest, AClickOnTheSplashFrameOpensTheStoppedServicesWindow)
{
    const HWND splash = Run().Splash();
    // The pointer on the frame, without crossing the margin: that alone does nothing.
    Run().MovePointerOntoSplashFrame();
    EXPECT_TRUE(Run().KeepsRunningWithAWindowVisible());
    EXPECT_EQ(Run().VisibleWindows(), std::vector<HWND>{splash});

    Run().ClickSplashFrame();
    auto stopped = Run().ContinueToStoppedServices();
    EXPECT_TRUE(WaitUntilClosed(splash, kReactionComesWithin)) << "the splash window was not unloaded";
    EXPECT_EQ(Run().VisibleCaptions(), Names{kStoppedCaption});
    EXPECT_TRUE(stopped.Contains(DisplayNameOf(kOrdinary)));
    EXPECT_TRUE(FocusComesTo(stopped, L"list"));
}

// Active Services replaces the stopped services window; All Services opens beside the active
// one; its Close brings the stopped services window back beside the still open active one.
TEST_F(NavigationTest, ActiveAndAllServicesWindowsOpenWithTheFocusOnTheirLists)
{
    StartServiceDirectly(kOrdinary.name);
    auto stopped = OpenStoppedServices();
    stopped.ClickButton(L"Active Services");
    auto active = WaitForListWindow(Run().Process(), ListWindowKind::ActiveServices);
    EXPECT_TRUE(WaitUntilClosed(stopped.Window(), kReactionComesWithin)) << "the stopped services window was not unloaded";
    EXPECT_EQ(Run().VisibleCaptions(), Names{kActiveCaption});

    const auto running = active.Entries();
    EXPECT_TRUE(InCaseInsensitiveOrder(running));
    EXPECT_TRUE(active.Contains(DisplayNameOf(kOrdinary)));
    EXPECT_FALSE(active.Contains(DisplayNameOf(kSecond)));
    EXPECT_TRUE(FocusComesTo(active, L"list"));
    EXPECT_EQ(TabWalk(active, 6),
              (Names{L"All Services", L"Stopped Services", L"Stop", L"Close", L"Refresh", L"list"}));

    active.ClickButton(L"All Services");
    auto all = WaitForListWindow(Run().Process(), ListWindowKind::AllServices);
    EXPECT_EQ(Run().VisibleCaptions(), (Names{kActiveCaption, kAllCaption}));
    EXPECT_TRUE(FocusComesTo(all, L"list"));
    EXPECT_EQ(TabWalk(all, 2), (Names{L"Close", L"list"}));
    // No close box, no system menu: it is left only through its own button.
    EXPECT_EQ(::GetWindowLongPtrW(all.Window(), GWL_STYLE) & WS_SYSMENU, 0);

    // Every service of the system once, whatever its state, in alphabetical order.
    const auto everything = all.Entries();
    EXPECT_TRUE(InCaseInsensitiveOrder(everything));
    EXPECT_EQ(Sorted(everything), Sorted(DisplayNamesOfAllServices()));

    all.ClickButton(L"Close");
    auto stoppedAgain = WaitForListWindow(Run().Process(), ListWindowKind::StoppedServices);
    EXPECT_TRUE(PumpUntil([&] { return !all.Visible(); }, kReactionComesWithin));
    EXPECT_TRUE(all.Exists()) << "the all services window was unloaded instead of hidden";
    EXPECT_EQ(Run().VisibleCaptions(), (Names{kActiveCaption, kStoppedCaption}));
    EXPECT_EQ(active.Entries(), running);
    EXPECT_TRUE(stoppedAgain.Contains(DisplayNameOf(kSecond)));
    EXPECT_FALSE(stoppedAgain.Contains(DisplayNameOf(kOrdinary)));
}

// The active services window's Close only hides it: shown again, it has its old list and ticks,
// however the services changed meanwhile, until Refresh.
TEST_F(NavigationTest, TheHiddenActiveWindowComesBackWithItsListAndTicks)
{
    StartServiceDirectly(kOrdinary.name);
    StartServiceDirectly(kSecond.name);
    auto active = OpenActiveServices();
    active.ClickCheckBox(DisplayNameOf(kOrdinary));
    const auto entries = active.Entries();

    // All Services, then its Close: the stopped services window opens beside the active one,
    // so closing the active window leaves a window on screen.
    active.ClickButton(L"All Services");
    auto all = WaitForListWindow(Run().Process(), ListWindowKind::AllServices);
    all.ClickButton(L"Close");
    auto stopped = WaitForListWindow(Run().Process(), ListWindowKind::StoppedServices);
    active.ClickButton(L"Close");
    ASSERT_TRUE(PumpUntil([&] { return !active.Visible(); }, kReactionComesWithin))
        << "Close did not hide the active services window";
    EXPECT_TRUE(active.Exists()) << "Close unloaded the active services window instead of hiding it";
    EXPECT_EQ(Run().VisibleCaptions(), Names{kStoppedCaption});
    EXPECT_TRUE(Run().KeepsRunningWithAWindowVisible());

    StopServiceDirectly(kSecond.name);
    StartServiceDirectly(kApostrophe.name);
    stopped.ClickButton(L"Active Services");
    ASSERT_TRUE(PumpUntil([&] { return active.Visible(); }, kReactionComesWithin))
        << "the hidden active services window was not shown";
    EXPECT_TRUE(WaitUntilClosed(stopped.Window(), kReactionComesWithin)) << "the stopped services window was not unloaded";
    EXPECT_EQ(Run().VisibleCaptions(), Names{kActiveCaption});
    EXPECT_EQ(active.Entries(), entries) << "the list was read again";
    EXPECT_EQ(active.TickedEntries(), Names{DisplayNameOf(kOrdinary)});
    EXPECT_TRUE(FocusComesTo(active, L"list"));

    active.ClickButton(L"Refresh");
    EXPECT_TRUE(PumpUntil([&] { return !active.Contains(DisplayNameOf(kSecond)); }, kReactionComesWithin));
    EXPECT_TRUE(active.Contains(DisplayNameOf(kApostrophe)));
    EXPECT_TRUE(active.TickedEntries().empty());
}

// Closed from its title bar the active services window is unloaded, not hidden: the next
// opening reads the list afresh, with nothing ticked. "Stopped Services" unloads it too.
TEST_F(NavigationTest, TheActiveWindowClosedFromItsTitleBarIsReadAfresh)
{
    StartServiceDirectly(kOrdinary.name);
    auto active = OpenActiveServices();
    active.ClickCheckBox(DisplayNameOf(kOrdinary));
    active.ClickButton(L"All Services");
    auto all = WaitForListWindow(Run().Process(), ListWindowKind::AllServices);
    all.ClickButton(L"Close");
    auto stopped = WaitForListWindow(Run().Process(), ListWindowKind::StoppedServices);

    StartServiceDirectly(kSecond.name);
    active.ClickTitleBarCloseBox();
    EXPECT_TRUE(WaitUntilClosed(active.Window(), kReactionComesWithin)) << "the active services window was not unloaded";
    EXPECT_EQ(Run().VisibleCaptions(), Names{kStoppedCaption});
    EXPECT_TRUE(Run().KeepsRunningWithAWindowVisible());

    stopped.ClickButton(L"Active Services");
    auto fresh = WaitForListWindow(Run().Process(), ListWindowKind::ActiveServices);
    EXPECT_TRUE(fresh.Contains(DisplayNameOf(kOrdinary)));
    EXPECT_TRUE(fresh.Contains(DisplayNameOf(kSecond)));
    EXPECT_TRUE(fresh.TickedEntries().empty());
    EXPECT_TRUE(FocusComesTo(fresh, L"list"));

    fresh.ClickCheckBox(DisplayNameOf(kSecond));
    fresh.ClickButton(L"Stopped Services");
    auto stoppedAgain = WaitForListWindow(Run().Process(), ListWindowKind::StoppedServices);
    EXPECT_TRUE(WaitUntilClosed(fresh.Window(), kReactionComesWithin)) << "Stopped Services did not unload the active services window";
    EXPECT_EQ(Run().VisibleCaptions(), Names{kStoppedCaption});
    stoppedAgain.ClickButton(L"Active Services");
    auto third = WaitForListWindow(Run().Process(), ListWindowKind::ActiveServices);
    EXPECT_TRUE(third.TickedEntries().empty());
}

// The all services window reads its list once per run: hidden by Close and shown again it has
// the same entries and selection, even after a service was added. The stopped services window
// that opened it stays as it was, not read again.
TEST_F(NavigationTest, TheAllServicesWindowReadsItsListOnce)
{
    auto stopped = OpenStoppedServices();
    stopped.ClickCheckBox(DisplayNameOf(kOrdinary));
    stopped.ClickButton(L"All Services");
    auto all = WaitForListWindow(Run().Process(), ListWindowKind::AllServices);
    EXPECT_EQ(Run().VisibleCaptions(), (Names{kAllCaption, kStoppedCaption}));
    EXPECT_EQ(stopped.TickedEntries(), Names{DisplayNameOf(kOrdinary)});

    const auto entries = all.Entries();
    all.ClickEntry(DisplayNameOf(kBackslash));
    const auto selected = all.SelectedPosition();
    ASSERT_TRUE(selected.has_value());
    EXPECT_EQ(entries.at(*selected), DisplayNameOf(kBackslash));

    const ScopedTestService added(kAddedLater);
    StartServiceDirectly(kSecond.name);
    all.ClickButton(L"Close");
    ASSERT_TRUE(PumpUntil([&] { return !all.Visible(); }, kReactionComesWithin)) << "Close did not hide the all services window";
    EXPECT_TRUE(all.Exists());
    // The stopped services window was open already: the same window, not read again.
    EXPECT_EQ(Run().VisibleCaptions(), Names{kStoppedCaption});
    ASSERT_TRUE(stopped.Exists());
    EXPECT_TRUE(stopped.Visible());
    EXPECT_EQ(stopped.TickedEntries(), Names{DisplayNameOf(kOrdinary)});
    EXPECT_TRUE(stopped.Contains(DisplayNameOf(kSecond)));
    EXPECT_FALSE(stopped.Contains(DisplayNameOf(kAddedLater)));

    stopped.ClickButton(L"All Services");
    ASSERT_TRUE(PumpUntil([&] { return all.Visible(); }, kReactionComesWithin)) << "the hidden all services window was not shown";
    EXPECT_EQ(all.Entries(), entries) << "the all services list was read again";
    EXPECT_EQ(all.SelectedPosition(), selected);
    // Pressed again while the window is open, "All Services" changes nothing in it.
    stopped.ClickButton(L"All Services");
    EXPECT_EQ(Run().VisibleCaptions(), (Names{kAllCaption, kStoppedCaption}));
    EXPECT_EQ(all.Entries(), entries);
    EXPECT_EQ(all.SelectedPosition(), selected);

    // The service is there to be read: the stopped services window's Refresh finds it.
    stopped.ClickButton(L"Refresh");
    EXPECT_TRUE(PumpUntil([&] { return stopped.Contains(DisplayNameOf(kAddedLater)); }, kReactionComesWithin));
    EXPECT_FALSE(stopped.Contains(DisplayNameOf(kSecond)));
    EXPECT_EQ(all.Entries(), entries);
}

// The all services window has no close box, but the system's close command closes it like any
// window: then it is unloaded, and the next "All Services" reads the list afresh.
TEST_F(NavigationTest, TheAllServicesWindowClosedByTheSystemIsReadAfresh)
{
    auto stopped = OpenStoppedServices();
    stopped.ClickButton(L"All Services");
    auto all = WaitForListWindow(Run().Process(), ListWindowKind::AllServices);
    const ScopedTestService added(kAddedLater);
    EXPECT_FALSE(all.Contains(DisplayNameOf(kAddedLater)));

    all.PressAltF4();
    EXPECT_TRUE(WaitUntilClosed(all.Window(), kReactionComesWithin)) << "the all services window was not unloaded";
    EXPECT_EQ(Run().VisibleCaptions(), Names{kStoppedCaption});
    EXPECT_TRUE(Run().KeepsRunningWithAWindowVisible());

    stopped.ClickButton(L"All Services");
    auto fresh = WaitForListWindow(Run().Process(), ListWindowKind::AllServices);
    EXPECT_TRUE(fresh.Contains(DisplayNameOf(kAddedLater)));
}

} // namespace
} // namespace quenlow
