#include "start/modStart.h"

#include "common/Error.h"

#include "FakeServiceAccess.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

using testing::FakeServiceAccess;
using testing::InlineServiceWork;

class FakeStartupUi final : public IStartupUi {
public:
    std::vector<std::wstring> events;
    void ShowMessage(std::wstring_view text) override { events.push_back(L"box: " + std::wstring(text)); }
    bool answerYes = false;
    bool AskYesNo(std::wstring_view question) override
    {
        events.push_back(L"question: " + std::wstring(question));
        return answerYes;
    }
    bool ShowWindowedPath() override { events.emplace_back(L"windows"); return true; }
};

class MainTest : public ::testing::Test {
protected:
    FakeServiceAccess wmi;
    InlineServiceWork work{wmi};
    FakeStartupUi ui;
    void SetUp() override
    {
        wmi.services = {{L"Spooler", L"Print Spooler", L"Stopped"},
                        {L"PlugPlay", L"Plug and Play", L"Running", 10, 0},
                        {L"Broken", L"Broken Service", L"Stopped", 14, 0}};
    }
};

TEST_F(MainTest, EmptyCommandLineOpensTheWindowsSilently)
{
    EXPECT_EQ(Main(L"  ", work, ui), kExitSucceeded);
    EXPECT_EQ(ui.events, std::vector<std::wstring>{L"windows"});
    EXPECT_EQ(wmi.connections, 0);
}

TEST_F(MainTest, UnrecognisedCommandIsAnsweredThenTheWindowsOpen)
{
    EXPECT_EQ(Main(L"/start", work, ui), kExitUnrecognisedCommand);
    EXPECT_EQ(ui.events, (std::vector<std::wstring>{L"box: Error initializing Command", L"windows"}));
    EXPECT_EQ(wmi.connections, 0);
}

TEST_F(MainTest, StartByNameReportsInLowerCaseAndExitsZero)
{
    EXPECT_EQ(Main(L"/START SPOOLER", work, ui), kExitSucceeded);
    EXPECT_EQ(ui.events, std::vector<std::wstring>{L"box: spooler has started."});
    EXPECT_EQ(wmi.services[0].state, L"Running");
    // The call, then one look, by the name the call found, for only what is judged, that sees it
    // running.
    EXPECT_EQ(wmi.queries,
              (std::vector<std::wstring>{L"SELECT * FROM Win32_Service where Name='spooler'",
                                         L"SELECT Name, State, CheckPoint, WaitHint, ExitCode, ServiceSpecificExitCode "
                                         L"FROM Win32_Service where Name='Spooler'"}));
}

TEST_F(MainTest, AlreadyInTheWantedStateIsSuccess)
{
    EXPECT_EQ(Main(L"/start plugplay", work, ui), kExitSucceeded);
    EXPECT_EQ(ui.events, std::vector<std::wstring>{L"box: plugplay has started."});
}

TEST_F(MainTest, StopReportsStopped)
{
    EXPECT_EQ(Main(L"/stop plugplay", work, ui), kExitSucceeded);
    EXPECT_EQ(ui.events, std::vector<std::wstring>{L"box: plugplay has stopped."});
    EXPECT_EQ(wmi.services[1].state, L"Stopped");
}

TEST_F(MainTest, RefusalIsReportedWithItsMeaningAndFails)
{
    EXPECT_EQ(Main(L"/start broken", work, ui), kExitFailed);
    EXPECT_EQ(ui.events,
              std::vector<std::wstring>{L"box: broken could not be started: the service is disabled (return value 14)."});
}

// Refused for want of rights while the program runs without them: the report says what to do
// first; with the rights, or for another refusal, it says nothing of the kind.
TEST_F(MainTest, AccessDeniedWithoutRightsSaysOnceAndFirstThatAdministratorRightsAreNeeded)
{
    wmi.services[0].startReturns = 2;
    wmi.elevated = false;
    EXPECT_EQ(Main(L"/start spooler", work, ui), kExitFailed);
    EXPECT_EQ(Main(L"/start broken", work, ui), kExitFailed);
    wmi.elevated = true;
    EXPECT_EQ(Main(L"/start spooler", work, ui), kExitFailed);
    EXPECT_EQ(ui.events,
              (std::vector<std::wstring>{L"box: Starting or stopping services needs administrator rights: start "
                                         L"Quenlow as administrator.\n\nspooler could not be started: access is "
                                         L"denied (return value 2).",
                                         L"box: broken could not be started: the service is disabled (return value 14).",
                                         L"box: spooler could not be started: access is denied (return value 2)."}));

    // WMI may refuse the call itself for that reason, with an error: the same report.
    wmi.elevated = false;
    wmi.services[0].methodThrows = true;
    wmi.services[0].methodError = kComAccessDenied;
    EXPECT_EQ(Main(L"/start spooler", work, ui), kExitFailed);
    EXPECT_EQ(ui.events.back(), L"box: Starting or stopping services needs administrator rights: start Quenlow as "
                                L"administrator.\n\nspooler could not be started: access is denied (error "
                                L"0x80070005).");
}

// Refused for a running dependent: the same question as in the windows. No (and where nobody can
// answer, the box's answer is No) names it and fails; Yes stops it first, then the service.
TEST_F(MainTest, AStopHeldByADependentAsksWhetherToStopItFirst)
{
    wmi.services.push_back({L"Fax", L"Fax Service", L"Running"});
    wmi.services.back().dependsOn = {L"PlugPlay"};
    EXPECT_EQ(Main(L"/stop plugplay", work, ui), kExitFailed);
    ui.answerYes = true;
    EXPECT_EQ(Main(L"/stop plugplay", work, ui), kExitSucceeded);
    const std::wstring question =
        L"question: Other running services depend on plugplay:\n\nFax Service\n\nStop these first, then plugplay?";
    EXPECT_EQ(ui.events, (std::vector<std::wstring>{
                             question,
                             L"box: plugplay could not be stopped: other running services depend on it: Fax Service "
                             L"(return value 3).",
                             question,
                             L"box: plugplay has stopped.\n\nThe services that depend on it:\nFax Service: stopped"}));
    EXPECT_EQ(wmi.services[1].state, L"Stopped");
}

TEST_F(MainTest, AStartThatDoesNotLastIsReportedAndFails)
{
    using namespace std::chrono_literals;
    wmi.services[0].afterStart = {{0ms, L"Start Pending"}, {1s, L"Stopped"}};
    EXPECT_EQ(Main(L"/start spooler", work, ui), kExitFailed);
    EXPECT_EQ(ui.events, std::vector<std::wstring>{L"box: spooler could not be started: it stopped again while starting."});
}

// Still on its way when the wait ended, by its limits or by the user: a status of its own.
TEST_F(MainTest, AServiceStillStartingWhenTheWaitEndsExitsWithFive)
{
    using namespace std::chrono_literals;
    wmi.services[0].afterStart = {{0ms, L"Start Pending"}};
    EXPECT_EQ(Main(L"/start spooler", work, ui), kExitStillPending);
    wmi.services[0].state = L"Stopped";
    wmi.clock.stopAt = wmi.clock.now + 2s;
    EXPECT_EQ(Main(L"/start spooler", work, ui), kExitStillPending);
    EXPECT_EQ(ui.events, (std::vector<std::wstring>{
                             L"box: spooler could not be started: it was still starting after 30 s.",
                             L"box: spooler could not be started: it was still starting when the wait was stopped."}));
}

TEST_F(MainTest, UnknownNameIsReportedAsSuchNotAsSuccess)
{
    EXPECT_EQ(Main(L"/stop nosuch", work, ui), kExitNotFound);
    EXPECT_EQ(ui.events, std::vector<std::wstring>{L"box: No service is named \"nosuch\", so nothing was stopped."});
    // "/stop" alone is a name of its own.
    ui.events.clear();
    EXPECT_EQ(Main(L"/stop", work, ui), kExitNotFound);
    EXPECT_EQ(wmi.queries.back(), L"SELECT * FROM Win32_Service where Name='/stop'");
}

TEST_F(MainTest, ExtraBlanksStayInTheNameAndTheQuery)
{
    EXPECT_EQ(Main(L"/start  spooler", work, ui), kExitNotFound);
    EXPECT_EQ(wmi.queries.back(), L"SELECT * FROM Win32_Service where Name=' spooler'");
    EXPECT_EQ(ui.events.back(), L"box: No service is named \" spooler\", so nothing was started.");
}

TEST_F(MainTest, InjectionAttemptStopsNothing)
{
    EXPECT_EQ(Main(L"/stop x' or Name<>'", work, ui), kExitNotFound);
    EXPECT_TRUE(wmi.calls.empty());
    EXPECT_EQ(wmi.services[1].state, L"Running");
}

// The wait as it ends while the work is still connecting to WMI, which no call can cut short.
struct EndedWhileConnecting final : IServiceWork {
    EndedWhileConnecting(WaitEnd ended, std::chrono::milliseconds at) : why(ended), after(at) {}
    WaitEnd why;
    std::chrono::milliseconds after;
    WorkBoard board;
    void Start(WorkBoard started, Work) override { board = std::move(started); }
    void StopWaiting() override {}
    WorkResult Finish() override
    {
        board.connectingSince = board.began;
        board.entries[0].stage = WorkEntry::Stage::Asking;
        EndWait(board, why, board.began + after);
        return {board, {}, true};
    }
};

// A connection that never answers and one that is refused end alike: WMI could not be reached
// (status 3 once WinMain reports the error); one the user stopped waiting for asked nothing.
TEST_F(MainTest, AConnectionThatNeverAnswersEndsAsOneThatIsRefused)
{
    EndedWhileConnecting neverAnswered(WaitEnd::TimeUp, kWmiAnswerLimit);
    try {
        Main(L"/start spooler", neverAnswered, ui);
        ADD_FAILURE() << "ended as a failure of the service";
    } catch (const Error& error) {
        EXPECT_EQ(error.Number(), kNoAnswerFromWmi);
    }
    wmi.failConnect = Error(static_cast<std::int32_t>(0x80040154u), L"Class not registered");
    EXPECT_THROW(Main(L"/start spooler", work, ui), Error);
    EXPECT_TRUE(ui.events.empty());
    EndedWhileConnecting stopped(WaitEnd::Stopped, std::chrono::seconds(5));
    EXPECT_EQ(Main(L"/start spooler", stopped, ui), kExitFailed);
}

TEST_F(MainTest, WmiErrorsReachTheCallerWithNoMessage)
{
    wmi.failQuery = Error(static_cast<std::int32_t>(0x80041001u), L"Generic failure");
    EXPECT_THROW(Main(L"/start spooler", work, ui), Error);
    EXPECT_TRUE(ui.events.empty());
}

} // namespace
} // namespace quenlow
