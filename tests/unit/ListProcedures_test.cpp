#include "windows/frmActiveServicesList.h"
#include "windows/frmStoppedServicesList.h"
#include "windows/frmTotalServicesList.h"

#include "FakeServiceAccess.h"
#include "FakeUserInterface.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

using namespace std::chrono_literals;
using testing::FakeService;
using testing::FakeServiceAccess;
using testing::FakeUserInterface;
using testing::InlineServiceWork;
using testing::Phase;
using Log = std::vector<std::wstring>;
constexpr auto kStopped = WindowId::frmStoppedServicesList;
constexpr auto kActive = WindowId::frmActiveServicesList;

class ListProceduresTest : public ::testing::Test {
protected:
    FakeServiceAccess wmi;
    FakeUserInterface ui;
    InlineServiceWork work{wmi};
    WaitSafety safety;
    WindowContext context{work, ui, safety};

    void SetUp() override
    {
        ui.CreateFromDesign(kStopped);
        ui.CreateFromDesign(kActive);
        ui.TakeLog();
    }
};

TEST_F(ListProceduresTest, LoadSortsWithoutRegardToCaseKeepingEqualTexts)
{
    wmi.services = {{L"a", L"beta", L"Stopped"},  {L"b", L"Alpha", L"Stopped"}, {L"c", L"alpha", L"Stopped"},
                    {L"d", L"Gamma", L"Running"}, {L"e", L"Beta", L"Stopped"},  {L"f", L"Alpha", L"Stopped"}};
    frmStoppedServicesList::sLoadStoppedServices(context);
    EXPECT_EQ(ui.Texts(kStopped), (Log{L"Alpha", L"alpha", L"Alpha", L"beta", L"Beta"}));
    EXPECT_EQ(wmi.queries, Log{L"SELECT * FROM Win32_Service where State='Stopped'"});
    EXPECT_EQ(ui.TakeLog(), (Log{L"clear frmStoppedServicesList", L"fill frmStoppedServicesList 5"}));
}

TEST_F(ListProceduresTest, NullDisplayNameIsListedByShortNameAndCanBeStarted)
{
    wmi.services = {{L"NoDisplay", std::nullopt, L"Stopped"}, {L"x", L"Empty Is Kept", L"Stopped"}};
    wmi.services.push_back({L"y", L"", L"Stopped"});
    frmStoppedServicesList::sLoadStoppedServices(context);
    EXPECT_EQ(ui.Texts(kStopped), (Log{L"", L"Empty Is Kept", L"NoDisplay"}));
    ui.Tick(kStopped, L"NoDisplay");
    frmStoppedServicesList::sNamesToBeStarted(context);
    EXPECT_EQ(wmi.services[0].state, L"Running");
    EXPECT_EQ(ui.log.back(), L"box: Selected Services are Started.");
}

TEST_F(ListProceduresTest, LoadFailureBeforeTheWalkKeepsTheOldEntries)
{
    wmi.services = {{L"a", L"A", L"Stopped"}};
    frmStoppedServicesList::sLoadStoppedServices(context);
    ui.Tick(kStopped, L"A");
    wmi.failQuery = Error(static_cast<std::int32_t>(0x80041001u), L"Generic failure");
    EXPECT_THROW(frmStoppedServicesList::sLoadStoppedServices(context), ListNotRead);
    EXPECT_TRUE(ui.ListChecked(kStopped, 0));
}

// The wait times a connection from the board, as no call can cut one short: the board says
// since when while it is being made, and no longer once it is made or has failed.
TEST_F(ListProceduresTest, TheBoardSaysWhileAConnectionIsBeingMade)
{
    wmi.clock.now = 5s;
    frmStoppedServicesList::sLoadStoppedServices(context);
    wmi.failConnect = Error(static_cast<std::int32_t>(0x80041003u), L"Access denied");
    EXPECT_THROW(frmStoppedServicesList::sLoadStoppedServices(context), ListNotRead);
    std::vector<std::optional<std::chrono::milliseconds>> since;
    for (const auto& board : work.reports) since.push_back(board.connectingSince);
    EXPECT_EQ(since, (decltype(since){5s, std::nullopt, 5s, std::nullopt}));
}

TEST_F(ListProceduresTest, StartsTickedEntriesInListOrderThenReloadsOnceAndConfirms)
{
    wmi.services = {{L"c", L"Charlie", L"Stopped"}, {L"a", L"alpha", L"Stopped"}, {L"b", L"Bravo", L"Stopped"}};
    frmStoppedServicesList::sLoadStoppedServices(context);
    ui.Tick(kStopped, L"Charlie");
    ui.Tick(kStopped, L"alpha");
    wmi.queries.clear();
    wmi.connections = 0;
    ui.TakeLog();

    frmStoppedServicesList::sNamesToBeStarted(context);
    ASSERT_EQ(wmi.calls.size(), 2u);
    EXPECT_EQ(wmi.calls[0].name, L"a");
    EXPECT_EQ(wmi.calls[1].name, L"c");
    // One connection and one query for the whole press (each text as a display name, or a short
    // name for a service without one), then one look for the two alone, then one connection and
    // query for the reload.
    EXPECT_EQ(wmi.connections, 2);
    EXPECT_EQ(wmi.queries,
              (Log{L"SELECT * FROM Win32_Service where DisplayName='alpha' or Name='alpha' or DisplayName='Charlie' "
                   L"or Name='Charlie'",
                   L"SELECT Name, State, CheckPoint, WaitHint, ExitCode, ServiceSpecificExitCode FROM Win32_Service "
                   L"where Name='a' or Name='c'",
                   L"SELECT * FROM Win32_Service where State='Stopped'"}));
    EXPECT_EQ(ui.TakeLog(), (Log{L"clear frmStoppedServicesList", L"fill frmStoppedServicesList 1",
                                 L"box: Selected Services are Started."}));
    EXPECT_EQ(ui.Texts(kStopped), Log{L"Bravo"});
}

// A press of more entries than one query may compare (Windows' limit, which the fake keeps), yet
// fewer than make it read every service: its queries on the one connection find every entry before
// the first call, the calls go in list order, and a look asks as many queries as it needs. Where
// WMI refuses a query as beyond its quota all the same, every service is read instead.
TEST_F(ListProceduresTest, APressBeyondOneQuerysLimitReachesEveryEntry)
{
    Log names;
    for (int i = 10; i < 30; ++i) names.push_back(L"s" + std::to_wstring(i));
    for (const std::size_t mostOrKeywords : {15u, 3u}) {
        wmi.services.clear();
        for (const auto& name : names) wmi.services.push_back({name, L"S" + name.substr(1)});
        wmi.mostOrKeywords = mostOrKeywords;
        frmStoppedServicesList::sLoadStoppedServices(context);
        for (const auto& name : names) ui.Tick(kStopped, L"S" + name.substr(1));
        wmi.queries.clear();
        wmi.calls.clear();
        wmi.connections = 0;
        frmStoppedServicesList::sNamesToBeStarted(context);
        Log called;
        for (const auto& call : wmi.calls) called.push_back(call.name);
        EXPECT_EQ(called, names);
        EXPECT_EQ(ui.log.back(), L"box: Selected Services are Started.");
        EXPECT_EQ(wmi.connections, 2); // the press, and the list read again
        // Three queries and a look of two, or each read of every service, then the list read again.
        EXPECT_EQ(wmi.queries.size(), mostOrKeywords == 15u ? 6u : 5u);
        EXPECT_EQ(wmi.queries[1] == kAllServicesQuery, mostOrKeywords == 3u);
    }
}

// Slow services are waited for together, not one after another; the list is read again once
// they have settled, and the box names the one that did not get there.
TEST_F(ListProceduresTest, TickedServicesAreWaitedForSideBySide)
{
    const std::vector<Phase> slow = {{0ms, L"Start Pending"}, {3s, L"Running"}};
    wmi.services = {{L"a", L"A Slow"}, {L"b", L"B Slow"}, {L"c", L"C Slow"}, {L"d", L"D Fails"}};
    for (int i = 0; i < 3; ++i) wmi.services[static_cast<std::size_t>(i)].afterStart = slow;
    wmi.services[3].afterStart = {{0ms, L"Start Pending"}, {1s, L"Stopped"}};
    frmStoppedServicesList::sLoadStoppedServices(context);
    for (const auto* text : {L"A Slow", L"B Slow", L"C Slow", L"D Fails"}) ui.Tick(kStopped, text);
    ui.TakeLog();

    frmStoppedServicesList::sNamesToBeStarted(context);
    EXPECT_LT(wmi.clock.now, 4s);
    EXPECT_EQ(ui.TakeLog(), (Log{L"clear frmStoppedServicesList", L"fill frmStoppedServicesList 1",
                                 L"box: 3 of 4 selected services were started. This one was not:\n"
                                 L"\nD Fails: it stopped again while starting."}));
    EXPECT_EQ(ui.Texts(kStopped), Log{L"D Fails"});
}

// The services' outcomes are told even when the list cannot be read again; the old entries stay.
TEST_F(ListProceduresTest, AReloadThatFailsIsToldBesideTheOutcomes)
{
    wmi.services = {{L"a", L"A", L"Stopped"}};
    frmStoppedServicesList::sLoadStoppedServices(context);
    ui.Tick(kStopped, L"A");
    ui.TakeLog();
    wmi.hangFromQuery = wmi.queries.size() + 2; // after the call and its look
    frmStoppedServicesList::sNamesToBeStarted(context);
    EXPECT_EQ(ui.TakeLog(), (Log{L"box: Selected Services are Started.\n\nThe list could not be reloaded: "
                                 L"WMI did not answer within 1 min."}));
    EXPECT_EQ(ui.Texts(kStopped), Log{L"A"});
}

TEST_F(ListProceduresTest, EmptySelectionStillReloadsAndConfirms)
{
    frmActiveServicesList::sNamesToBeStarted(context);
    EXPECT_TRUE(wmi.calls.empty());
    EXPECT_EQ(ui.TakeLog(), (Log{L"clear frmActiveServicesList", L"fill frmActiveServicesList 0",
                                 L"box: Selected Services are Stopped."}));
}

TEST_F(ListProceduresTest, FailuresAreReportedByNameAndTheLoopGoesOn)
{
    wmi.services = {{L"a", L"A Disabled", L"Stopped", 14},
                    {L"b", L"B Broken WMI", L"Stopped"},
                    {L"c", L"C Fine", L"Stopped"},
                    {L"d", L"D Gone", L"Stopped"}};
    wmi.services[1].methodThrows = true;
    frmStoppedServicesList::sLoadStoppedServices(context);
    for (const auto* text : {L"A Disabled", L"B Broken WMI", L"C Fine", L"D Gone"}) ui.Tick(kStopped, text);
    wmi.services.pop_back(); // removed after the list was read
    ui.TakeLog();

    frmStoppedServicesList::sNamesToBeStarted(context);
    EXPECT_EQ(wmi.services[2].state, L"Running");
    const Log log = ui.TakeLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[2], L"box: 1 of 4 selected services were started. These were not:\n"
                      L"\nA Disabled: the service is disabled (return value 14)."
                      L"\nB Broken WMI: error 0x80041001: Generic failure."
                      L"\nD Gone: not found; no service has this name any more.");
    EXPECT_EQ(ui.Texts(kStopped), (Log{L"A Disabled", L"B Broken WMI"}));
}

// Every call refused for want of rights, without them: the box says what to do before the lines,
// whether WMI refused with return value 2 or with an error of its own.
TEST_F(ListProceduresTest, AccessDeniedForEveryCallWithoutRightsIsSaidFirst)
{
    wmi.services = {{L"a", L"A", L"Stopped", 2}, {L"b", L"B", L"Stopped"}};
    wmi.services[1].methodThrows = true;
    wmi.services[1].methodError = kWmiAccessDenied;
    wmi.elevated = false;
    frmStoppedServicesList::sLoadStoppedServices(context);
    ui.Tick(kStopped, L"A");
    ui.Tick(kStopped, L"B");
    frmStoppedServicesList::sNamesToBeStarted(context);
    EXPECT_EQ(ui.log.back(), L"box: Starting or stopping services needs administrator rights: start Quenlow as "
                             L"administrator.\n\n0 of 2 selected services were started. These were not:\n"
                             L"\nA: access is denied (return value 2).\nB: access is denied (error 0x80041003).");
}

// A service that goes away between the press's one query and its own call is not found; the
// entries around it keep their own outcomes.
TEST_F(ListProceduresTest, AServiceRemovedAfterThePressFoundItIsNotFound)
{
    wmi.services = {{L"a", L"A", L"Stopped"}, {L"b", L"B", L"Stopped"}, {L"c", L"C", L"Stopped"}};
    frmStoppedServicesList::sLoadStoppedServices(context);
    for (const auto* text : {L"A", L"B", L"C"}) ui.Tick(kStopped, text);
    wmi.beforeCall = [&](const std::wstring& name) {
        if (name == L"a") wmi.services[1].removed = true;
    };
    frmStoppedServicesList::sNamesToBeStarted(context);
    EXPECT_EQ(ui.log.back(), L"box: 2 of 3 selected services were started. This one was not:\n"
                             L"\nB: not found; no service has this name any more.");
    EXPECT_EQ(wmi.queries.size(), 4u) << "the read, the press, one look, the reload";
}

TEST_F(ListProceduresTest, StopTreatsNotActiveAsDoneAndOtherCodesAsFailures)
{
    wmi.services = {{L"a", L"Already Stopped", L"Running", 0, 6}, {L"b", L"Has Dependents", L"Running", 0, 3}};
    frmActiveServicesList::sLoadStartedServices(context);
    wmi.services[0].state = L"Stopped"; // by other means, after the list was read
    ui.Tick(kActive, L"Already Stopped");
    ui.Tick(kActive, L"Has Dependents");
    frmActiveServicesList::sNamesToBeStarted(context);
    // Refused for dependents that WMI does not list (Wine lists none): nothing to ask about.
    EXPECT_EQ(ui.log.back(), L"box: 1 of 2 selected services were stopped. This one was not:\n"
                             L"\nHas Dependents: other running services depend on it; they could not be listed "
                             L"(return value 3).");
}

// A stopped by a press, held by B and C, which D depends on; S depends on A too but is stopped. Each
// stop is pending for a second, so a stop before its dependents have stopped is refused with 3.
class DependentsTest : public ListProceduresTest {
protected:
    void Press(bool answerYes, const std::function<void()>& arrange = {})
    {
        wmi.services = {{L"a", L"A"}, {L"b", L"B"}, {L"c", L"C"}, {L"d", L"D"}, {L"s", L"S"}};
        const std::vector<Log> dependsOn = {{}, {L"a"}, {L"A"}, {L"b", L"c"}, {L"a"}};
        for (std::size_t i = 0; i < dependsOn.size(); ++i) wmi.services[i].dependsOn = dependsOn[i];
        if (arrange) arrange();
        for (auto& service : wmi.services) {
            service.state = service.name == L"s" ? L"Stopped" : L"Running";
            service.afterStop = {{0ms, L"Stop Pending"}, {1s, L"Stopped"}};
        }
        frmActiveServicesList::sLoadStartedServices(context);
        ui.Tick(kActive, L"A");
        ui.answerYes = answerYes;
        ui.TakeLog();
        frmActiveServicesList::sNamesToBeStarted(context);
        for (const auto& call : wmi.calls) calls += call.name;
    }
    std::wstring calls;
};

TEST_F(DependentsTest, YesStopsTheDependentsDeepestFirstEachOnceThenTheServiceAgain)
{
    Press(true);
    EXPECT_EQ(calls, L"adbca");
    EXPECT_EQ(wmi.queries[2], L"ASSOCIATORS OF {Win32_Service.Name='a'} WHERE AssocClass=Win32_DependentService "
                              L"Role=Antecedent");
    EXPECT_EQ(ui.TakeLog(), (Log{L"question: Other running services depend on A:\n\nD\nB\nC\n\nStop these first, "
                                 L"then A?",
                                 L"clear frmActiveServicesList", L"fill frmActiveServicesList 0",
                                 L"box: Selected Services are Stopped.\n\nThe services that depend on them:\n"
                                 L"D: stopped\nB: stopped\nC: stopped"}));
}

TEST_F(DependentsTest, NoLeavesEverythingAndNamesWhatHoldsIt)
{
    Press(false);
    EXPECT_EQ(calls, L"a");
    EXPECT_EQ(ui.log.back(), L"box: 0 of 1 selected services were stopped. This one was not:\n"
                             L"\nA: other running services depend on it: B, C and D (return value 3).");
}

// E refuses to stop: C, which it depends on, is not asked, nor is A; B and D stop.
TEST_F(DependentsTest, ADependentThatWillNotStopKeepsWhatItHoldsRefused)
{
    Press(true, [&] {
        wmi.services.push_back({L"e", L"E", L"Running", 0, 5});
        wmi.services.back().dependsOn = {L"c"};
    });
    EXPECT_EQ(calls, L"adeb");
    EXPECT_EQ(ui.log.back(), L"box: 0 of 1 selected services were stopped. This one was not:\n"
                             L"\nA: other running services depend on it: C and E (return value 3).\n\n"
                             L"The services that depend on them:\nD: stopped\nE: could not be stopped: the service "
                             L"cannot accept the control now (return value 5)\nB: stopped\nC: could not be stopped: it "
                             L"was not asked to stop, as E did not stop");
}

// Stop Waiting while the dependents stop: nothing more goes out, and the press still reports.
TEST_F(DependentsTest, StopWaitingDuringTheDependentsStopSendsNothingMore)
{
    Press(true, [&] { wmi.clock.stopAt = 1500ms; });
    EXPECT_EQ(calls, L"adb");
    EXPECT_NE(ui.log.back().find(L"C: could not be stopped: it was not asked to stop"), std::wstring::npos)
        << ::testing::PrintToString(ui.log.back());
}

TEST_F(DependentsTest, ALookUpThatFailsAsksNothingAndSaysSo)
{
    Press(true, [&] { wmi.failingQueries = {2}; }); // the list, the press, the look-up
    EXPECT_EQ(calls, L"a");
    EXPECT_EQ(ui.log.size(), 3u) << "a reload and its box, and no question";
    EXPECT_EQ(ui.log.back(), L"box: 0 of 1 selected services were stopped. This one was not:\n\nA: other running "
                             L"services depend on it; they could not be listed (return value 3).");
}

TEST_F(ListProceduresTest, HostileDisplayNamesFindExactlyTheirOwnService)
{
    const Log names = {L"Bob's", L"Say \"Hi\"", L"Both ' \"", L"Back\\slash", L"Ünïcødé Ω", L"x' or Name<>'"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        wmi.services.push_back({L"svc" + std::to_wstring(i), names[i], L"Stopped"});
    }
    wmi.services.push_back({L"bystander", L"Bystander", L"Stopped"});
    frmStoppedServicesList::sLoadStoppedServices(context);
    for (const auto& name : names) ui.Tick(kStopped, name);
    frmStoppedServicesList::sNamesToBeStarted(context);
    EXPECT_EQ(ui.log.back(), L"box: Selected Services are Started.");
    EXPECT_EQ(wmi.calls.size(), names.size());
    EXPECT_EQ(wmi.services.back().state, L"Stopped");
    EXPECT_EQ(ui.Texts(kStopped), Log{L"Bystander"});
}

TEST_F(ListProceduresTest, EveryServiceSharingADisplayNameIsActedOn)
{
    wmi.services = {{L"a", L"Twin", L"Running"}, {L"b", L"Twin", L"Running"}};
    frmActiveServicesList::sLoadStartedServices(context);
    ui.Tick(kActive, L"Twin");
    frmActiveServicesList::sNamesToBeStarted(context);
    EXPECT_EQ(wmi.calls.size(), 2u);
    EXPECT_TRUE(ui.Texts(kActive).empty());
}

TEST_F(ListProceduresTest, ListsLongerThanSixteenBitsWork)
{
    constexpr int kCount = 40000;
    for (int i = 0; i < kCount; ++i) wmi.services.push_back({L"s" + std::to_wstring(i), L"S" + std::to_wstring(i)});
    frmStoppedServicesList::sLoadStoppedServices(context);
    ASSERT_EQ(ui.ListCount(kStopped), static_cast<std::size_t>(kCount));
    ui.lists[kStopped].back().checked = true;
    const std::wstring last = ui.lists[kStopped].back().text;
    frmStoppedServicesList::sNamesToBeStarted(context);
    ASSERT_EQ(wmi.calls.size(), 1u);
    EXPECT_EQ(L"S" + wmi.calls[0].name.substr(1), last);
}

TEST_F(ListProceduresTest, AllServicesListsEveryState)
{
    ui.CreateFromDesign(WindowId::frmTotalServicesList);
    // Every state Win32_Service reports; each service's display name is its state.
    const Log states{L"Continue Pending", L"Pause Pending", L"Paused", L"Running", L"Start Pending",
                     L"Stop Pending", L"Stopped", L"Unknown"};
    for (const auto& state : states) wmi.services.push_back({L"s" + state, state, state});
    frmTotalServicesList::loadservices(context);
    EXPECT_EQ(ui.Texts(WindowId::frmTotalServicesList), states);
    EXPECT_EQ(wmi.queries, Log{L"SELECT * FROM Win32_Service"});
}

} // namespace
} // namespace quenlow
