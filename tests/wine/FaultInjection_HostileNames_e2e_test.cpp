// Names that break careless service queries, met through the real quenlow.exe: display names
// and short names of 256 characters, both quote kinds, backslashes, the LIKE wildcards % _ [ ]
// ^, letters beyond ASCII, leading and trailing blanks (see HostileServices()). Each is started
// and stopped on its own, in the windows by its display name and on the command line by its
// short name, while every other of these services - near misses of its name among them - stays
// exactly as it was.
//
// What the service manager refuses, so no test can use it: a short name longer than 256
// characters (Wine: 31, "a device attached to the system is not functioning") and a short name
// with a backslash or a slash (123, "the name is not valid"), as on Windows. Wine's WMI cannot
// call a method on a service whose short name holds a double quote (it writes the object path
// unescaped and then refuses it), so such short names are left out here.
#include "ListWindowsTestBase.h"
#include "ServicesTestBase.h"
#include "support/CommandLineRun.h"
#include "support/ListWindowDriver.h"
#include "support/ServiceManager.h"
#include "support/TestOptions.h"
#include "support/TestServices.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace quenlow {
namespace {

using namespace quenlow::testing;
// Waits until exactly these hostile services (by short name) run and all other hostile and
// test services are stopped.
::testing::AssertionResult OnlyTheseHostileServicesRun(const std::set<std::wstring>& expected)
{
    std::vector<std::wstring> all;
    for (const auto& service : HostileServices()) {
        all.push_back(service.name);
    }
    for (const auto& service : kTestServices) {
        all.emplace_back(service.name);
    }
    return OnlyTheseRun(all, expected);
}

std::vector<HostileService> Targets(bool HostileService::*channel)
{
    std::vector<HostileService> targets;
    for (const auto& service : HostileServices()) {
        if (service.*channel) {
            targets.push_back(service);
        }
    }
    return targets;
}

// The services that are no target of the channel: started directly before the stops, so that a
// stop that reached one of them shows.
void StartTheBystanders(bool HostileService::*channel, std::set<std::wstring>& running)
{
    for (const auto& service : HostileServices()) {
        if (!(service.*channel)) {
            StartServiceDirectly(service.name);
            running.insert(service.name);
        }
    }
}

void StopEveryHostileService()
{
    for (const auto& service : HostileServices()) {
        if (QueryServiceState(service.name).value_or(SERVICE_STOPPED) != SERVICE_STOPPED) {
            StopServiceDirectly(service.name);
        }
    }
}

// A suite with the hostile services: registered for it and removed after it; each test starts
// with them stopped and leaves them so.
template <typename Suite>
class WithHostileServices : public Suite {
protected:
    static void SetUpTestSuite() { RegisterHostileServices(TestServiceProgramPath()); }
    static void TearDownTestSuite() { RemoveHostileServices(); }

    void SetUp() override
    {
        StopEveryHostileService();
        Suite::SetUp();
    }

    void TearDown() override
    {
        Suite::TearDown();
        StopEveryHostileService();
    }
};

// ---- Through the list windows, by display name ---------------------------------------------------

using HostileNamesWindowsTest = WithHostileServices<ListWindowsTest>;

TEST_F(HostileNamesWindowsTest, EachEntryStartsAndStopsExactlyItsOwnService)
{
    auto stopped = OpenStoppedServices();
    for (const auto& service : HostileServices()) {
        ASSERT_TRUE(stopped.Contains(service.displayName)) << "not listed: \"" << Utf8(service.displayName) << "\"";
    }

    std::set<std::wstring> running;
    for (const auto& target : Targets(&HostileService::byDisplayName)) {
        SCOPED_TRACE("start \"" + Utf8(target.displayName) + "\"");
        stopped.ClickCheckBox(target.displayName);
        stopped.ClickButton(L"Start");
        EXPECT_EQ(AnswerMessage(), L"Selected Services are Started.");
        running.insert(target.name);
        ASSERT_TRUE(OnlyTheseHostileServicesRun(running));
        EXPECT_FALSE(stopped.Contains(target.displayName));
    }

    StartTheBystanders(&HostileService::byDisplayName, running);
    stopped.ClickButton(L"Active Services");
    auto active = WaitForListWindow(Run().Process(), ListWindowKind::ActiveServices);
    for (const auto& target : Targets(&HostileService::byDisplayName)) {
        SCOPED_TRACE("stop \"" + Utf8(target.displayName) + "\"");
        active.ClickCheckBox(target.displayName);
        active.ClickButton(L"Stop");
        EXPECT_EQ(AnswerMessage(), L"Selected Services are Stopped.");
        running.erase(target.name);
        ASSERT_TRUE(OnlyTheseHostileServicesRun(running));
        EXPECT_FALSE(active.Contains(target.displayName));
    }
}

// ---- On the command line, by short name ----------------------------------------------------------

using HostileNamesCommandLineTest = WithHostileServices<QuenlowServicesTest>;

// The command line lowers its text and the short names here are in small letters already, so
// the message repeats the name exactly. A name with a leading blank is reached with two blanks
// after the command word, as the name is everything after the first blank.
TEST_F(HostileNamesCommandLineTest, EachShortNameStartsAndStopsExactlyItsOwnService)
{
    std::set<std::wstring> running;
    for (const auto& target : Targets(&HostileService::byName)) {
        SCOPED_TRACE("/start \"" + Utf8(target.name) + "\"");
        const auto run = RunQuenlowCommand(L"/start " + target.name);
        EXPECT_EQ(run.message, target.name + L" has started.");
        EXPECT_EQ(run.exitCode, kExitSucceeded);
        running.insert(target.name);
        ASSERT_TRUE(OnlyTheseHostileServicesRun(running));
    }

    StartTheBystanders(&HostileService::byName, running);
    for (const auto& target : Targets(&HostileService::byName)) {
        SCOPED_TRACE("/stop \"" + Utf8(target.name) + "\"");
        const auto run = RunQuenlowCommand(L"/stop " + target.name);
        EXPECT_EQ(run.message, target.name + L" has stopped.");
        EXPECT_EQ(run.exitCode, kExitSucceeded);
        running.erase(target.name);
        ASSERT_TRUE(OnlyTheseHostileServicesRun(running));
    }
}

} // namespace
} // namespace quenlow
