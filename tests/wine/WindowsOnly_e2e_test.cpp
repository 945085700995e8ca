// What only Windows shows, met through the real quenlow.exe: the limit on the terms of one query,
// the refusal to stop a service that another running service depends on (and the question that
// offers to stop that one first), and session 0, where a program of the task scheduler runs and
// nobody sees a window. Wine has none of the three; every case here is skipped there.
#include "ListWindowsTestBase.h"
#include "common/ExitStatus.h"
#include "support/HiddenStationRun.h"
#include "support/ScheduledTaskRun.h"
#include "support/WindowsOnly.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quenlow {
namespace {

using namespace quenlow::testing;

using WindowsOnlyPressTest = WindowsOnly<ListWindowsTest>;

// Each ticked entry is compared by its display name and its name: ten of them need more terms
// than one query that Windows takes may hold (16), and fewer than make a press read every service.
TEST_F(WindowsOnlyPressTest, APressOfMoreServicesThanOneQueryMayNameStartsThemAll)
{
    const std::vector<TestService> ticked = {kOrdinary,   kSecond,   kApostrophe,     kDoubleQuote, kBackslash,
                                             kBothQuotes, kNonAscii, kApostropheName, kDependedOn,  kSlowStart};
    auto stopped = OpenStoppedServices();
    for (const auto& service : ticked) {
        stopped.ClickCheckBox(DisplayNameOf(service));
    }
    stopped.ClickButton(L"Start");
    EXPECT_EQ(AnswerMessage(), L"Selected Services are Started.");
    EXPECT_TRUE(OnlyTheseTestServicesRun(ticked));
}

// Windows refuses the stop with 3 while the dependent runs: the question names it, and Yes stops
// it first, then the service.
TEST_F(WindowsOnlyPressTest, AServiceWithARunningDependentStopsAfterItWhenTheQuestionIsAnsweredYes)
{
    StartServiceDirectly(kDependedOn.name);
    StartServiceDirectly(kDependent.name);
    auto active = OpenActiveServices();
    active.ClickCheckBox(DisplayNameOf(kDependedOn));
    active.ClickButton(L"Stop");
    const auto question = Run().WaitForMessage();
    EXPECT_EQ(question.text, L"Other running services depend on Quenlow Test Depended On:\n\nQuenlow Test Dependent"
                             L"\n\nStop these first, then Quenlow Test Depended On?");
    ASSERT_TRUE(AnswerQuestion(question.window, true));
    EXPECT_EQ(AnswerMessage(), L"Selected Services are Stopped.\n\nThe services that depend on them:\n"
                               L"Quenlow Test Dependent: stopped");
    EXPECT_TRUE(OnlyTheseTestServicesRun({}));
    EXPECT_FALSE(active.Contains(DisplayNameOf(kDependent)));
}

using WindowsOnlyCommandLineTest = WindowsOnly<QuenlowServicesTest>;

// On a desktop nobody sees nobody is asked: the report, a line on standard error, names the
// dependent that held the service, and the status says it was not stopped.
TEST_F(WindowsOnlyCommandLineTest, AServiceOthersDependOnIsNotStoppedAndTheRefusalIsNamed)
{
    StartServiceDirectly(kDependedOn.name);
    StartServiceDirectly(kDependent.name);
    const auto run = RunOnHiddenWindowStation(QuenlowProgramPath(), L"/stop quenlowtestbase", kBoxComesWithin);
    ASSERT_TRUE(run.endedByItself) << "it waited for an answer nobody could give";
    EXPECT_EQ(run.exitCode, kExitFailed);
    EXPECT_EQ(run.standardError, L"quenlowtestbase could not be stopped: other running services depend on it: "
                                 L"Quenlow Test Dependent (return value 3).\r\n");
    EXPECT_EQ(QueryServiceState(kDependedOn.name), SERVICE_RUNNING);
    EXPECT_EQ(QueryServiceState(kDependent.name), SERVICE_RUNNING);
}

// A task of the task scheduler run as the system: session 0. The command line shows no box; the
// windowed path opens nothing, says why and ends with a status that is not 0 (0 would pass for
// success in the task's history).
TEST_F(WindowsOnlyCommandLineTest, InSessionZeroNothingWaitsForAnAnswerAndEveryRunEndsWithItsStatus)
{
    StartServiceDirectly(kOrdinary.name);
    const auto stopped = RunAsSystemTask(QuenlowProgramPath(), L"/stop quenlowtesta", kBoxComesWithin);
    EXPECT_TRUE(stopped.endedByItself) << "it waited for an answer nobody could give";
    EXPECT_EQ(stopped.exitCode, kExitSucceeded);
    EXPECT_EQ(stopped.standardError, L"quenlowtesta has stopped.\r\n");
    EXPECT_EQ(QueryServiceState(kOrdinary.name), SERVICE_STOPPED);

    const auto unknown = RunAsSystemTask(QuenlowProgramPath(), L"/stop quenlowtestnosuch", kBoxComesWithin);
    EXPECT_EQ(unknown.exitCode, kExitNotFound);
    EXPECT_EQ(unknown.standardError, L"No service is named \"quenlowtestnosuch\", so nothing was stopped.\r\n");

    const auto windowed = RunAsSystemTask(QuenlowProgramPath(), L"", kBoxComesWithin);
    ASSERT_TRUE(windowed.endedByItself) << "its windows wait for someone who is not there";
    EXPECT_NE(windowed.exitCode, kExitSucceeded);
    EXPECT_EQ(windowed.standardError, L"Quenlow's windows are not opened where no one can see them; use /start NAME "
                                      L"or /stop NAME here.\r\n");
}

} // namespace
} // namespace quenlow
