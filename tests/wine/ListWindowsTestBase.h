#pragma once

#include "ServicesTestBase.h"
#include "common/Text.h"
#include "support/ListWindowDriver.h"
#include "support/MessageBoxes.h"
#include "support/Polling.h"
#include "support/ServiceManager.h"
#include "support/TestOptions.h"
#include "support/TestServices.h"
#include "support/UserInput.h"
#include "support/WindowedRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quenlow::testing {

// The text of the service's entry in the lists: its display name, or its short name when it has none.
inline std::wstring DisplayNameOf(const TestService& service)
{
    return std::wstring(service.displayName.value_or(service.name));
}

// The test services that are running now, by short name.
inline std::vector<std::wstring> RunningTestServices()
{
    std::vector<std::wstring> running;
    for (const auto& service : kTestServices) {
        if (QueryServiceState(service.name) == SERVICE_RUNNING) {
            running.emplace_back(service.name);
        }
    }
    return running;
}

// Waits until exactly these test services run and all others are stopped (a start or a stop
// that the program asked for may still be on its way).
inline ::testing::AssertionResult OnlyTheseTestServicesRun(const std::vector<TestService>& expected)
{
    std::vector<std::wstring> names;
    for (const auto& service : expected) {
        names.emplace_back(service.name);
    }
    for (const auto& service : kTestServices) {
        bool wanted = false;
        for (const auto& name : names) {
            wanted = wanted || name == service.name;
        }
        WaitForServiceState(service.name, wanted ? SERVICE_RUNNING : SERVICE_STOPPED);
    }
    auto running = RunningTestServices();
    std::sort(running.begin(), running.end());
    std::sort(names.begin(), names.end());
    if (running == names) {
        return ::testing::AssertionSuccess();
    }
    std::string text = "running:";
    for (const auto& name : running) {
        text += " " + Utf8(name);
    }
    text += "; expected:";
    for (const auto& name : names) {
        text += " " + Utf8(name);
    }
    return ::testing::AssertionFailure() << text;
}

// Waits until the named control of the window has the keyboard focus ("list" or a button's
// caption): a window that has just appeared may still be placing it.
inline ::testing::AssertionResult FocusComesTo(const ListWindowDriver& window, std::wstring_view name)
{
    if (PollUntil([&] { return window.FocusName() == name; }, std::chrono::seconds(3))) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "the focus is on " << Utf8(window.FocusName()) << ", not on " << Utf8(name);
}

// Tests of the real program's windows: each starts with the test services stopped, starts the
// program at its splash window, and leaves the services stopped and the program ended.
class ListWindowsTest : public ServicesTestBase {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(QuenlowProgramPath().empty()) << "pass --quenlow=PATH to quenlow.exe";
        ServicesTestBase::SetUp();
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
