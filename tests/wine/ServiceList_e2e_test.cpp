// The check-box lists of the real quenlow.exe as other programs meet them: ticks set and cleared
// from another process, as screen readers and automation tools set them, count exactly like a
// user's.
#include "ListWindowsTestBase.h"
#include "support/ListWindowDriver.h"
#include "support/ServiceManager.h"
#include "support/TestServices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quenlow {
namespace {

using namespace quenlow::testing;
using Names = std::vector<std::wstring>;

using ServiceListTest = ListWindowsTest;

TEST_F(ServiceListTest, TicksSetAndClearedFromOutsideAreWhatStartActsOn)
{
    auto stopped = OpenStoppedServices();
    // A user's tick cleared from outside, two ticks from outside, and one of them cleared again.
    stopped.ClickCheckBox(DisplayNameOf(kApostrophe));
    stopped.SetTickFromOutside(DisplayNameOf(kApostrophe), false);
    stopped.SetTickFromOutside(DisplayNameOf(kOrdinary), true);
    stopped.SetTickFromOutside(DisplayNameOf(kBackslash), true);
    stopped.SetTickFromOutside(DisplayNameOf(kSecond), true);
    stopped.SetTickFromOutside(DisplayNameOf(kBackslash), false);
    EXPECT_EQ(stopped.TickedEntries(), (Names{DisplayNameOf(kOrdinary), DisplayNameOf(kSecond)}));

    stopped.ClickButton(L"Start");
    EXPECT_EQ(AnswerMessage(), L"Selected Services are Started.");
    EXPECT_TRUE(OnlyTheseTestServicesRun({kOrdinary, kSecond}));
    EXPECT_FALSE(stopped.Contains(DisplayNameOf(kOrdinary)));
    EXPECT_TRUE(stopped.Contains(DisplayNameOf(kApostrophe)));
    EXPECT_TRUE(stopped.TickedEntries().empty());
}

TEST_F(ServiceListTest, StopActsOnTicksFromOutsideAlongsideAClick)
{
    StartServiceDirectly(kOrdinary.name);
    StartServiceDirectly(kSecond.name);
    StartServiceDirectly(kApostrophe.name);
    auto active = OpenActiveServices();
    active.ClickCheckBox(DisplayNameOf(kOrdinary));
    active.SetTickFromOutside(DisplayNameOf(kSecond), true);

    active.ClickButton(L"Stop");
    EXPECT_EQ(AnswerMessage(), L"Selected Services are Stopped.");
    EXPECT_TRUE(OnlyTheseTestServicesRun({kApostrophe}));
    EXPECT_TRUE(active.Contains(DisplayNameOf(kApostrophe)));
    EXPECT_TRUE(active.TickedEntries().empty());
}

} // namespace
} // namespace quenlow
