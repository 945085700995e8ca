#pragma once

#include "ServicesTestBase.h"
#include "common/Text.h"
#include "support/ListWindowDriver.h"
#include "support/MessageBoxes.h"
#include "support/MessagePump.h"
#include "support/ServiceManager.h"
#include "support/TestOptions.h"
#include "support/TestServices.h"
#include "support/TimeLimits.h"
#include "support/UserInput.h"
#include "support/WindowedRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quenlow::testing {

// The whole text matches the regular expression.
inline bool Matches(const std::wstring& text, const std::wstring& pattern)
{
    return std::regex_match(text, std::wregex(pattern));
}

// The text of the service's entry in the lists: its display name, or its short name when it has none.
inline std::wstring DisplayNameOf(const TestService& service)
{
    return std::wstring(service.displayName.value_or(service.name));
}

// Waits until exactly the expected ones of the services (by short name) run and the others are
// stopped: a start or a stop that the program asked for may still be on its way.
inline ::testing::AssertionResult OnlyTheseRun(const std::vector<std::wstring>& services,
                                               const std::set<std::wstring>& expected)
{
    std::string wrong;
    const auto asExpected = [&] {
        wrong.clear();
        for (const auto& name : services) {
            const bool wanted = expected.contains(name);
            const auto state = QueryServiceState(name);
            if (state != (wanted ? SERVICE_RUNNING : SERVICE_STOPPED)) {
                wrong += "\n  \"" + Utf8(name) + "\" is " + Utf8(ServiceStateName(state)) + ", expected " +
                         (wanted ? "Running" : "Stopped");
            }
        }
        return wrong.empty();
    };
    if (PumpUntil(asExpected, kServiceStateComesWithin, std::chrono::milliseconds(50))) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "services not as expected:" << wrong;
}

// The same for the test services: exactly these run.
inline ::testing::AssertionResult OnlyTheseTestServicesRun(const std::vector<TestService>& expected)
{
    std::set<std::wstring> names;
    for (const auto& service : expected) {
        names.emplace(service.name);
    }
    std::vector<std::wstring> all;
    for (const auto& service : kTestServices) {
        all.emplace_back(service.name);
    }
    return OnlyTheseRun(all, names);
}

// Waits until the named control of the window has the keyboard focus ("list" or a button's
// caption): a window that has just appeared may still be placing it.
inline ::testing::AssertionResult FocusComesTo(const ListWindowDriver& window, std::wstring_view name)
{
    if (PumpUntil([&] { return window.FocusName() == name; }, kReactionComesWithin)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "the focus is on " << Utf8(window.FocusName()) << ", not on " << Utf8(name);
}

// Tests of the real program's windows: each starts with the test services stopped, starts the
// program at its splash window, and leaves the services stopped and the program ended.
class ListWindowsTest : public QuenlowServicesTest {
protected:
    void SetUp() override
    {
        QuenlowServicesTest::SetUp();
        if (!HasFatalFailure()) {
            m_run.emplace();
        }
    }

    void TearDown() override
    {
        // A program still running after a failure is ended before its services are put right.
        m_run.reset();
        ServicesTestBase::TearDown();
    }

    WindowedRun& Run() { return *m_run; }

    // The program at its stopped services window, reached from the splash window's margin.
    ListWindowDriver OpenStoppedServices()
    {
        Run().MovePointerOntoSplashMargin();
        return Run().ContinueToStoppedServices();
    }

    // The program at its active services window, through the stopped services window.
    ListWindowDriver OpenActiveServices()
    {
        auto stopped = OpenStoppedServices();
        stopped.ClickButton(L"Active Services");
        return WaitForListWindow(Run().Process(), ListWindowKind::ActiveServices);
    }

    // The text of the message box that the last action brought, answered with OK.
    std::wstring AnswerMessage()
    {
        const auto box = Run().WaitForMessage();
        EXPECT_EQ(box.caption, std::wstring(kApplicationTitle));
        EXPECT_TRUE(AnswerOk(box.window)) << "the message box did not close";
        return box.text;
    }

private:
    std::optional<WindowedRun> m_run;
};

} // namespace quenlow::testing
