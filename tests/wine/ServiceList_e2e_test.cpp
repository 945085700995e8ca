// The lists of the real quenlow.exe as other programs meet them: ticks set and cleared from
// another process, as screen readers and automation tools set them, count exactly like a user's;
// the lists' names for screen readers; and the horizontal scroll bar shows only when an entry is
// cut.
#include "ListWindowsTestBase.h"
#include "support/ListTextFit.h"
#include "support/ListWindowDriver.h"
#include "support/MessagePump.h"
#include "support/ServiceManager.h"
#include "support/TestServices.h"
#include "support/TimeLimits.h"
#include "support/TopLevelWindows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace quenlow {
namespace {

using namespace quenlow::testing;
using namespace std::chrono_literals;
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

// The width that the list's entries get, with whatever scroll bars it shows.
int EntryWidth(const ListWindowDriver& window)
{
    RECT client{};
    ::GetClientRect(window.List(), &client);
    return client.right - client.left;
}

// The column width the widest of the texts needs to show whole.
int WidestNeed(ListTextFit& fit, const Names& texts)
{
    int widest = 0;
    for (const auto& text : texts) {
        widest = std::max(widest, fit.ColumnWidthForWhole(text));
    }
    return widest;
}

// A test service that runs under a display name of our choosing for as long as the object lives.
class RunningService {
public:
    RunningService(const TestService& service, std::wstring displayName)
        : m_displayName(std::move(displayName)), m_service(Named(service, m_displayName))
    {
        StartServiceDirectly(service.name);
    }

private:
    static TestService Named(TestService service, const std::wstring& displayName)
    {
        service.displayName = displayName;
        return service;
    }

    std::wstring m_displayName;
    ScopedTestService m_service;
};

// The name each list carries for screen readers. Wine's accessibility interfaces give no object
// for another process's control, so the name is read where the program sets it: the list's text,
// which Wine's screen-reader support takes as its name, and which the program hands to the
// accessibility property service on Windows (where a list box's text alone is not its name).
TEST_F(ServiceListTest, EveryListCarriesTheNameOfWhatItLists)
{
    auto stopped = OpenStoppedServices();
    EXPECT_EQ(WindowText(stopped.List()), L"Stopped Services");
    stopped.ClickButton(L"All Services");
    const auto all = WaitForListWindow(Run().Process(), ListWindowKind::AllServices);
    EXPECT_EQ(WindowText(all.List()), L"All Services");
}

TEST_F(ServiceListTest, AHorizontalScrollBarShowsExactlyWhenAnEntryIsCut)
{
    ListTextFit fit;
    auto stopped = OpenStoppedServices();
    ASSERT_EQ(fit.StringWidth(L"Quenlow Test"), stopped.StringWidth(L"Quenlow Test"))
        << "the list that judges widths must draw in the program's font";
    // The stock and test services: a bar exactly when one of them does not show whole.
    const int stoppedNeed = WidestNeed(fit, stopped.Entries());
    EXPECT_EQ(stopped.HasHorizontalScrollBar(), stoppedNeed > EntryWidth(stopped))
        << "the widest stopped service needs " << stoppedNeed << " pixels of " << EntryWidth(stopped);

    stopped.ClickButton(L"Active Services");
    auto active = WaitForListWindow(Run().Process(), ListWindowKind::ActiveServices);
    const int width = EntryWidth(active);
    ASSERT_LE(WidestNeed(fit, active.Entries()), width) << "a running stock service is cut already";
    EXPECT_FALSE(active.HasHorizontalScrollBar());

    // The longest name that still shows whole, and one letter more.
    const std::wstring start = L"Quenlow Test Width ";
    std::wstring filler;
    while (fit.ColumnWidthForWhole(start + filler) <= width) {
        filler += L"abcdefghijklmnopqrstuvwxyz";
    }
    std::size_t fits = 0;
    std::size_t cut = filler.size();
    while (cut - fits > 1) {
        const std::size_t middle = (fits + cut) / 2;
        (fit.ColumnWidthForWhole(start + filler.substr(0, middle)) <= width ? fits : cut) = middle;
    }
    const std::wstring whole = start + filler.substr(0, fits);
    const std::wstring tooLong = start + filler.substr(0, cut);
    {
        const RunningService justFits(kWidthFits, whole);
        active.ClickButton(L"Refresh");
        ASSERT_TRUE(PumpUntil([&] { return active.Contains(whole); }, kReactionComesWithin));
        EXPECT_FALSE(active.HasHorizontalScrollBar()) << "a name that shows whole in " << width << " pixels";
    }
    {
        const RunningService justCut(kWidthCut, tooLong);
        active.ClickButton(L"Refresh");
        ASSERT_TRUE(PumpUntil([&] { return active.Contains(tooLong); }, kReactionComesWithin));
        EXPECT_TRUE(active.HasHorizontalScrollBar()) << "a name that is cut in " << width << " pixels";
    }
}

} // namespace
} // namespace quenlow
