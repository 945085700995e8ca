// quenlow.exe on the command line, as a user or a script meets it: the real program under Wine,
// its message box read and answered like a person would, its exit status, and the service's
// real state read from the service manager afterwards.
#include "ServicesTestBase.h"
#include "common/Text.h"
#include "support/ChildProcess.h"
#include "support/CommandLineRun.h"
#include "support/MessageBoxes.h"
#include "support/ServiceManager.h"
#include "support/TestOptions.h"
#include "support/TestServices.h"
#include "support/TimeLimits.h"
#include "support/TopLevelWindows.h"
#include "support/UserInput.h"
#include "ui/WindowClassNames.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

namespace quenlow {
namespace {

using namespace quenlow::testing;
using namespace std::chrono_literals;
using namespace std::string_literals;

// The windowed path, reached from the command line: the splash window is the program's one
// window on screen (no message box beside it), and a key press on it ends the program with the
// status given.
void ExpectTheSplashWindowAloneThenAKeyEndsWith(const ChildProcess& process, DWORD status)
{
    const HWND splash = WaitForTopLevelWindow(process, {0, kSplashClassName, std::nullopt, true}, kWindowComesWithin);
    ASSERT_NE(splash, nullptr) << (process.HasExited() ? "the program ended without its splash window"
                                                       : "no splash window");
    for (const HWND window : FindTopLevelWindows({process.Id(), std::nullopt, std::nullopt, true})) {
        EXPECT_EQ(window, splash) << "another window: class " << Utf8(WindowClassName(window)) << ", text \""
                                  << Utf8(WindowText(window)) << "\" " << Utf8(ReadMessageBoxText(window));
    }
    ASSERT_TRUE(BringToForeground(splash));
    PressKey('Q');
    EXPECT_EQ(process.WaitForExit(kProcessEndsWithin), status);
}

using CommandLineTest = QuenlowServicesTest;

TEST_F(CommandLineTest, StartReportsStartedAndTheServiceRuns)
{
    const auto run = RunQuenlowCommand(L"/start quenlowtesta");
    EXPECT_EQ(run.message, L"quenlowtesta has started."s);
    EXPECT_EQ(run.exitCode, kExitSucceeded);
    EXPECT_TRUE(WaitForServiceState(kOrdinary.name, SERVICE_RUNNING));
    EXPECT_EQ(QueryServiceState(kSecond.name), SERVICE_STOPPED);
}

TEST_F(CommandLineTest, StopReportsStoppedAndTheServiceStops)
{
    StartServiceDirectly(kOrdinary.name);
    StartServiceDirectly(kSecond.name);
    const auto run = RunQuenlowCommand(L"/stop quenlowtesta");
    EXPECT_EQ(run.message, L"quenlowtesta has stopped."s);
    EXPECT_EQ(run.exitCode, kExitSucceeded);
    EXPECT_TRUE(WaitForServiceState(kOrdinary.name, SERVICE_STOPPED));
    EXPECT_EQ(QueryServiceState(kSecond.name), SERVICE_RUNNING);
}

TEST_F(CommandLineTest, AlreadyInTheWantedStateIsSuccess)
{
    StartServiceDirectly(kOrdinary.name);
    const auto start = RunQuenlowCommand(L"/start quenlowtesta");
    EXPECT_EQ(start.message, L"quenlowtesta has started."s);
    EXPECT_EQ(start.exitCode, kExitSucceeded);
    EXPECT_EQ(QueryServiceState(kOrdinary.name), SERVICE_RUNNING);

    const auto stop = RunQuenlowCommand(L"/stop quenlowtestb");
    EXPECT_EQ(stop.message, L"quenlowtestb has stopped."s);
    EXPECT_EQ(stop.exitCode, kExitSucceeded);
    EXPECT_EQ(QueryServiceState(kSecond.name), SERVICE_STOPPED);
}

TEST_F(CommandLineTest, CapitalsAreRecognisedAndReportedInLowerCase)
{
    const auto run = RunQuenlowCommand(L"/START QUENLOWTESTA");
    EXPECT_EQ(run.message, L"quenlowtesta has started."s);
    EXPECT_EQ(run.exitCode, kExitSucceeded);
    EXPECT_TRUE(WaitForServiceState(kOrdinary.name, SERVICE_RUNNING));
}

TEST_F(CommandLineTest, ShortNamesWithQuotesWork)
{
    const auto start = RunQuenlowCommand(L"/start quenlowtest'name");
    EXPECT_EQ(start.message, L"quenlowtest'name has started."s);
    EXPECT_EQ(start.exitCode, kExitSucceeded);
    EXPECT_TRUE(WaitForServiceState(kApostropheName.name, SERVICE_RUNNING));

    const auto stop = RunQuenlowCommand(L"/stop quenlowtest'name");
    EXPECT_EQ(stop.message, L"quenlowtest'name has stopped."s);
    EXPECT_EQ(stop.exitCode, kExitSucceeded);
    EXPECT_TRUE(WaitForServiceState(kApostropheName.name, SERVICE_STOPPED));
}

// No WQL literal can hold both quote kinds, so this service is found by comparing every name;
// but Wine writes its object path unescaped and then refuses that path when the method is
// called on it (Windows escapes it). That is how an error from WMI reaches the user: the
// report gives WMI's number and words, nothing claims success, and the exit status is 3.
TEST_F(CommandLineTest, AnErrorFromWmiIsReportedWithItsNumberAndExitsThree)
{
    const auto run = RunQuenlowCommand(L"/start quenlowtest'both\"name");
    ASSERT_TRUE(run.message.has_value());
    EXPECT_NE(run.message->find(L"0x80041017"), std::wstring::npos) << *run.message;
    EXPECT_NE(run.message->find(L"Invalid query"), std::wstring::npos) << *run.message;
    EXPECT_EQ(run.message->find(L"has started."), std::wstring::npos) << *run.message;
    EXPECT_EQ(run.exitCode, kExitUntrappedError);
    EXPECT_EQ(QueryServiceState(kBothQuotesName.name), SERVICE_STOPPED);
}

TEST_F(CommandLineTest, UnknownNameIsReportedAsSuchAndExitsTwo)
{
    const auto start = RunQuenlowCommand(L"/start quenlowtestnosuch");
    EXPECT_EQ(start.message, L"No service is named \"quenlowtestnosuch\", so nothing was started."s);
    EXPECT_EQ(start.exitCode, kExitNotFound);

    // "/stop" alone has no blank: the whole text is the name.
    const auto stop = RunQuenlowCommand(L"/stop");
    EXPECT_EQ(stop.message, L"No service is named \"/stop\", so nothing was stopped."s);
    EXPECT_EQ(stop.exitCode, kExitNotFound);
}

TEST_F(CommandLineTest, ASecondBlankBecomesPartOfTheName)
{
    const auto run = RunQuenlowCommand(L"/start  quenlowtesta");
    EXPECT_EQ(run.message, L"No service is named \" quenlowtesta\", so nothing was started."s);
    EXPECT_EQ(run.exitCode, kExitNotFound);
    EXPECT_EQ(QueryServiceState(kOrdinary.name), SERVICE_STOPPED);
}

TEST_F(CommandLineTest, InjectedConditionsStopNothing)
{
    StartServiceDirectly(kOrdinary.name);
    StartServiceDirectly(kSecond.name);
    StartServiceDirectly(kApostrophe.name);

    const auto apostrophes = RunQuenlowCommand(L"/stop x' or Name<>'");
    EXPECT_EQ(apostrophes.message, L"No service is named \"x' or name<>'\", so nothing was stopped."s);
    EXPECT_EQ(apostrophes.exitCode, kExitNotFound);

    const auto quotes = RunQuenlowCommand(L"/stop x\" or Name<>\"");
    EXPECT_EQ(quotes.exitCode, kExitNotFound);

    for (const auto& service : {kOrdinary, kSecond, kApostrophe}) {
        EXPECT_EQ(QueryServiceState(service.name), SERVICE_RUNNING) << std::wstring(service.name);
    }
}

TEST_F(CommandLineTest, RefusalsAreReportedWithTheirReasonAndExitOne)
{
    const auto start = RunQuenlowCommand(L"/start quenlowtestdisabled");
    ASSERT_TRUE(start.message.has_value());
    EXPECT_TRUE(start.message->starts_with(L"quenlowtestdisabled could not be started: ")) << *start.message;
    EXPECT_TRUE(start.message->ends_with(L").")) << *start.message;
    EXPECT_EQ(start.exitCode, kExitFailed);
    EXPECT_EQ(QueryServiceState(kDisabled.name), SERVICE_STOPPED);

    StartServiceDirectly(kRefusesStop.name);
    const auto stop = RunQuenlowCommand(L"/stop quenlowtestnostop");
    ASSERT_TRUE(stop.message.has_value());
    EXPECT_TRUE(stop.message->starts_with(L"quenlowtestnostop could not be stopped: ")) << *stop.message;
    EXPECT_EQ(stop.exitCode, kExitFailed);
    EXPECT_EQ(QueryServiceState(kRefusesStop.name), SERVICE_RUNNING);
}

// Without a command word the program answers "Error initializing Command", then opens its
// windows, and says so in its status once they are closed.
TEST_F(CommandLineTest, AnUnrecognisedCommandIsAnsweredAndThenTheWindowsOpen)
{
    for (const std::wstring_view arguments : {L"/start", L"/START   ", L"hello"}) {
        SCOPED_TRACE(Utf8(arguments));
        // A pointer resting where the splash window opens would count as a move onto it.
        MovePointer(OutOfTheWay());
        const ChildProcess process = ChildProcess::Start(QuenlowCommandLine(arguments));
        const auto box = WaitForMessageBox(process, kWindowComesWithin);
        ASSERT_TRUE(box.has_value()) << "no message box";
        EXPECT_EQ(box->text, L"Error initializing Command"s);
        ASSERT_TRUE(AnswerOk(box->window)) << "the message box did not close";
        ASSERT_NO_FATAL_FAILURE(ExpectTheSplashWindowAloneThenAKeyEndsWith(process, kExitUnrecognisedCommand));
    }
}

TEST_F(CommandLineTest, AnEmptyCommandLineShowsNoMessage)
{
    for (const std::wstring_view arguments : {L"", L"   "}) {
        SCOPED_TRACE("arguments: \"" + Utf8(arguments) + "\"");
        MovePointer(OutOfTheWay());
        const ChildProcess process = ChildProcess::Start(QuenlowCommandLine(arguments));
        ASSERT_NO_FATAL_FAILURE(ExpectTheSplashWindowAloneThenAKeyEndsWith(process, kExitSucceeded));
    }
}

} // namespace
} // namespace quenlow
