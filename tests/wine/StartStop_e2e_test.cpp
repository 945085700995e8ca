// Starting and stopping services from the list windows of the real quenlow.exe: entries ticked
// with real clicks and Space, "Start" and "Stop" pressed with the mouse or Enter, the message box
// read as a user reads it, and the services' states read from the service manager.
#include "ListWindowsTestBase.h"
#include "support/ListWindowDriver.h"
#include "support/MessageBoxes.h"
#include "support/ServiceManager.h"
#include "support/TestServices.h"
#include "support/WindowedRun.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace quenlow {
namespace {

using namespace quenlow::testing;
using namespace std::chrono_literals;
using namespace std::string_literals;
using Names = std::vector<std::wstring>;

constexpr wchar_t kStarted[] = L"Selected Services are Started.";
constexpr wchar_t kStopped[] = L"Selected Services are Stopped.";

using StartStopTest = ListWindowsTest;

TEST_F(StartStopTest, StartStartsTheTickedServicesAndTheyLeaveTheList)
{
    auto stopped = OpenStoppedServices();
    const auto ordinary = DisplayNameOf(kOrdinary);
    const auto second = DisplayNameOf(kSecond);
    stopped.ClickCheckBox(ordinary);
    stopped.ClickCheckBox(second);
    EXPECT_EQ(stopped.TickedEntries(), (Names{ordinary, second}));

    stopped.ClickButton(L"Start");
    const auto box = Run().WaitForMessage();
    EXPECT_EQ(box.caption, L"Quenlow"s);
    EXPECT_EQ(box.text, kStarted);
    // The list was read again before the confirmation: both have gone, nothing is ticked.
    EXPECT_FALSE(stopped.Contains(ordinary));
    EXPECT_FALSE(stopped.Contains(second));
    EXPECT_TRUE(stopped.Contains(DisplayNameOf(kApostrophe)));
    EXPECT_TRUE(stopped.TickedEntries().empty());
    EXPECT_TRUE(OnlyTheseTestServicesRun({kOrdinary, kSecond}));
    ASSERT_TRUE(AnswerOk(box.window));
    EXPECT_TRUE(stopped.Visible());
}

TEST_F(StartStopTest, EnterWithTheFocusOnTheListStartsLikeTheStartButton)
{
    auto stopped = OpenStoppedServices();
    EXPECT_TRUE(FocusComesTo(stopped, L"list"));
    stopped.ToggleWithSpace(DisplayNameOf(kOrdinary));
    stopped.ToggleWithSpace(DisplayNameOf(kSecond));
    // Space twice clears again: only what is ticked at the press counts.
    stopped.ToggleWithSpace(DisplayNameOf(kApostrophe));
    stopped.ToggleWithSpace(DisplayNameOf(kApostrophe));
    EXPECT_EQ(stopped.TickedEntries(), (Names{DisplayNameOf(kOrdinary), DisplayNameOf(kSecond)}));
    ASSERT_TRUE(FocusComesTo(stopped, L"list"));

    stopped.PressKeys({VK_RETURN});
    EXPECT_EQ(AnswerMessage(), kStarted);
    EXPECT_TRUE(OnlyTheseTestServicesRun({kOrdinary, kSecond}));
    EXPECT_FALSE(stopped.Contains(DisplayNameOf(kOrdinary)));
    EXPECT_FALSE(stopped.Contains(DisplayNameOf(kSecond)));
}

TEST_F(StartStopTest, StopStopsTheTickedServicesAndTheyLeaveTheList)
{
    StartServiceDirectly(kOrdinary.name);
    StartServiceDirectly(kSecond.name);
    StartServiceDirectly(kApostrophe.name);
    auto active = OpenActiveServices();
    active.ClickCheckBox(DisplayNameOf(kOrdinary));
    active.ClickCheckBox(DisplayNameOf(kSecond));

    active.ClickButton(L"Stop");
    EXPECT_EQ(AnswerMessage(), kStopped);
    EXPECT_TRUE(OnlyTheseTestServicesRun({kApostrophe}));
    EXPECT_FALSE(active.Contains(DisplayNameOf(kOrdinary)));
    EXPECT_FALSE(active.Contains(DisplayNameOf(kSecond)));
    EXPECT_TRUE(active.Contains(DisplayNameOf(kApostrophe)));
    EXPECT_TRUE(active.TickedEntries().empty());

    // Enter with the focus on the list does what "Stop" does.
    active.ToggleWithSpace(DisplayNameOf(kApostrophe));
    ASSERT_TRUE(FocusComesTo(active, L"list"));
    active.PressKeys({VK_RETURN});
    EXPECT_EQ(AnswerMessage(), kStopped);
    EXPECT_TRUE(OnlyTheseTestServicesRun({}));
    EXPECT_FALSE(active.Contains(DisplayNameOf(kApostrophe)));
}

TEST_F(StartStopTest, NothingTickedStillReloadsAndConfirms)
{
    auto stopped = OpenStoppedServices();
    // Started behind the window's back: still listed until the reload that Start makes.
    StartServiceDirectly(kOrdinary.name);
    EXPECT_TRUE(stopped.Contains(DisplayNameOf(kOrdinary)));
    stopped.ClickButton(L"Start");
    EXPECT_EQ(AnswerMessage(), kStarted);
    EXPECT_FALSE(stopped.Contains(DisplayNameOf(kOrdinary)));
    EXPECT_TRUE(OnlyTheseTestServicesRun({kOrdinary}));
}

// Each entry is found again by its exact text, whatever characters it holds: a start or stop
// reaches its own service and no other.
TEST_F(StartStopTest, NamesWithQuotesBackslashesAndAccentsReachTheirOwnService)
{
    const std::vector<TestService> hostile{kApostrophe, kDoubleQuote, kBackslash, kBothQuotes, kNonAscii};
    auto stopped = OpenStoppedServices();
    std::vector<TestService> running;
    for (const auto& service : hostile) {
        SCOPED_TRACE(Utf8(DisplayNameOf(service)));
        stopped.ClickCheckBox(DisplayNameOf(service));
        stopped.ClickButton(L"Start");
        EXPECT_EQ(AnswerMessage(), kStarted);
        running.push_back(service);
        EXPECT_TRUE(OnlyTheseTestServicesRun(running));
        EXPECT_FALSE(stopped.Contains(DisplayNameOf(service)));
    }

    stopped.ClickButton(L"Active Services");
    auto active = WaitForListWindow(Run().Process(), ListWindowKind::ActiveServices);
    for (const auto& service : hostile) {
        SCOPED_TRACE(Utf8(DisplayNameOf(service)));
        ASSERT_TRUE(active.Contains(DisplayNameOf(service)));
        active.ClickCheckBox(DisplayNameOf(service));
        active.ClickButton(L"Stop");
        EXPECT_EQ(AnswerMessage(), kStopped);
        running.erase(running.begin());
        EXPECT_TRUE(OnlyTheseTestServicesRun(running));
        EXPECT_FALSE(active.Contains(DisplayNameOf(service)));
    }
}

// A service that will not start is named with the reason, the other ticked ones are started all
// the same, and the list is read again once.
TEST_F(StartStopTest, AFailedStartIsReportedByNameAndReasonAndTheRestStart)
{
    auto stopped = OpenStoppedServices();
    stopped.ClickCheckBox(DisplayNameOf(kDisabled));
    stopped.ClickCheckBox(DisplayNameOf(kOrdinary));
    stopped.ClickCheckBox(DisplayNameOf(kBothQuotesName));
    stopped.ClickButton(L"Start");

    const auto text = AnswerMessage();
    EXPECT_TRUE(text.starts_with(L"1 of 3 selected services were started. These were not:\n")) << Utf8(text);
    // In the order of the list, each on its own line with the reason. Windows answers 14 for a
    // disabled service; Wine's WMI gives 8 ("unknown failure") for every refusal it has no number for.
    const std::wregex disabledLine(L"\nQuenlow Test Disabled: (the service is disabled \\(return value 14\\)|"
                                   L"an unknown failure occurred \\(return value 8\\))\\.(\n|$)");
    // Wine refuses the object path it made itself for this name: WMI's own error, by number.
    const std::wregex bothQuotesLine(L"\nQuenlow Test Both Quotes In Name: error 0x[0-9A-F]{8}: [^\n]+\\.(\n|$)");
    std::wsmatch disabled;
    std::wsmatch bothQuotes;
    EXPECT_TRUE(std::regex_search(text, disabled, disabledLine)) << Utf8(text);
    EXPECT_TRUE(std::regex_search(text, bothQuotes, bothQuotesLine)) << Utf8(text);
    if (!disabled.empty() && !bothQuotes.empty()) {
        EXPECT_LT(bothQuotes.position(), disabled.position()) << Utf8(text);
    }
    EXPECT_EQ(text.find(L"Quenlow Test Ordinary"), std::wstring::npos) << Utf8(text);

    EXPECT_TRUE(OnlyTheseTestServicesRun({kOrdinary}));
    EXPECT_FALSE(stopped.Contains(DisplayNameOf(kOrdinary)));
    EXPECT_TRUE(stopped.Contains(DisplayNameOf(kDisabled)));
    EXPECT_TRUE(stopped.Contains(DisplayNameOf(kBothQuotesName)));
    EXPECT_TRUE(stopped.TickedEntries().empty());
    EXPECT_TRUE(Run().Running());
}

TEST_F(StartStopTest, AFailedStopIsReportedByNameAndReasonAndTheRestStop)
{
    StartServiceDirectly(kRefusesStop.name);
    StartServiceDirectly(kSecond.name);
    auto active = OpenActiveServices();
    active.ClickCheckBox(DisplayNameOf(kRefusesStop));
    active.ClickCheckBox(DisplayNameOf(kSecond));
    active.ClickButton(L"Stop");

    const auto text = AnswerMessage();
    EXPECT_TRUE(text.starts_with(L"1 of 2 selected services were stopped. This one was not:\n")) << Utf8(text);
    EXPECT_NE(text.find(L"\nQuenlow Test Refuses Stop: "), std::wstring::npos) << Utf8(text);
    EXPECT_TRUE(text.ends_with(L").")) << Utf8(text);
    EXPECT_TRUE(OnlyTheseTestServicesRun({kRefusesStop}));
    EXPECT_FALSE(active.Contains(DisplayNameOf(kSecond)));
    EXPECT_TRUE(active.Contains(DisplayNameOf(kRefusesStop)));
    EXPECT_TRUE(active.TickedEntries().empty());
}

} // namespace
} // namespace quenlow
