// quenlow.exe where WMI cannot be reached. The fixture prefix-without-wmi.sh gives these tests
// a prefix of their own in which the WMI locator class is not registered, so the program's very
// first WMI call fails with "class not registered", as on a system whose WMI is broken. On the
// command line and when the first list window loads, the program must show its common error
// report (a box titled "Quenlow" with the error's number and a description a user can read) and
// end with status 3, and no crash dialog or debugger may appear.
#include "common/Text.h"
#include "support/ChildProcess.h"
#include "support/CommandLineRun.h"
#include "support/CrashWatch.h"
#include "support/ListWindowDriver.h"
#include "support/MessageBoxes.h"
#include "support/TestOptions.h"
#include "support/TimeLimits.h"
#include "support/WindowedRun.h"

#include <gtest/gtest.h>

#include <wbemcli.h>
#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>

namespace quenlow {
namespace {

using namespace quenlow::testing;
using namespace std::chrono_literals;

constexpr wchar_t kClassNotRegistered[] = L"0x80040154";

// The line of the report that begins with the label, without the label; empty when none does.
std::wstring ReportLine(const std::wstring& text, std::wstring_view label)
{
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(L'\n', start), text.size());
        const std::wstring_view line(text.data() + start, end - start);
        if (line.starts_with(label)) {
            return std::wstring(line.substr(label.size()));
        }
        start = end + 1;
    }
    return {};
}

// The report as a user reads it: the number of "class not registered" and words that say so.
void ExpectClassNotRegisteredReport(const MessageBoxView& box)
{
    SCOPED_TRACE("report: " + Utf8(box.text));
    EXPECT_EQ(box.caption, kApplicationTitle);
    EXPECT_EQ(ReportLine(box.text, L"Error number: "), kClassNotRegistered);
    const std::wstring description = ReportLine(box.text, L"Description: ");
    EXPECT_FALSE(description.empty());
    EXPECT_FALSE(description.starts_with(L"Unknown error")) << "the description says nothing a user can act on";
    EXPECT_NE(LowerCase(description).find(L"not registered"), std::wstring::npos)
        << "the description does not say what is wrong";
    EXPECT_EQ(box.text.find(L"has started."), std::wstring::npos);
    EXPECT_EQ(box.text.find(L"has stopped."), std::wstring::npos);
}

std::string Lines(const std::vector<std::wstring>& lines)
{
    std::string text;
    for (const auto& line : lines) {
        text += "\n  " + Utf8(line);
    }
    return text;
}

// While it lives, programs that this test starts get the system's default error mode, as a
// program that a user starts does, rather than this test program's own, which would hide
// the crash dialog from them.
class DefaultErrorModeForChildren {
public:
    DefaultErrorModeForChildren() : m_saved(::SetErrorMode(0)) {}
    ~DefaultErrorModeForChildren() { ::SetErrorMode(m_saved); }
    DefaultErrorModeForChildren(const DefaultErrorModeForChildren&) = delete;
    DefaultErrorModeForChildren& operator=(const DefaultErrorModeForChildren&) = delete;

private:
    UINT m_saved;
};

class WmiUnavailableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(QuenlowProgramPath().empty()) << "pass --quenlow=PATH to quenlow.exe";
        // Without this the tests would prove nothing: the prefix must really lack the class.
        IWbemLocator* locator = nullptr;
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        const HRESULT created = ::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                                                   IID_IWbemLocator, reinterpret_cast<void**>(&locator));
        if (locator) {
            locator->Release();
        }
        ::CoUninitialize();
        ASSERT_EQ(created, REGDB_E_CLASSNOTREG)
            << "WMI is reachable here: run these tests through ctest, in the prefix without WMI";
    }
};

TEST_F(WmiUnavailableTest, TheCommandLineShowsTheErrorReportAndEndsWithStatusThree)
{
    for (const std::wstring_view arguments : {L"/start quenlowtesta", L"/stop quenlowtesta"}) {
        SCOPED_TRACE(Utf8(arguments));
        CrashWatch watch;
        ChildProcess process = [&] {
            const DefaultErrorModeForChildren defaultErrorMode;
            return ChildProcess::Start(QuenlowCommandLine(arguments));
        }();
        watch.SetProgram(process.Id());

        const auto box = watch.WaitForMessageBox(process, kBoxComesWithin);
        ASSERT_TRUE(box.has_value()) << (process.HasExited() ? "the program ended without a report"
                                                             : "no report came");
        ExpectClassNotRegisteredReport(*box);
        ASSERT_TRUE(AnswerOk(box->window)) << "the report did not close";

        EXPECT_EQ(watch.WaitForExit(process, kProcessEndsWithin), kExitUntrappedError);
        EXPECT_TRUE(watch.Findings().empty()) << Lines(watch.Findings());
    }
}

// The splash window needs no WMI; the stopped services window that it leads to reads its list
// when it loads, and that is where the error comes: a box says so, and the program stays where
// it was, on the splash window.
TEST_F(WmiUnavailableTest, TheFirstListWindowSaysItsListCouldNotBeReadAndTheProgramStays)
{
    CrashWatch watch;
    std::optional<WindowedRun> started;
    {
        const DefaultErrorModeForChildren defaultErrorMode;
        started.emplace();
    }
    WindowedRun& run = *started;
    watch.SetProgram(run.ProcessId());
    watch.Look();
    run.MovePointerOntoSplashMargin();

    const auto box = watch.WaitForMessageBox(run.Process(), kBoxComesWithin);
    ASSERT_TRUE(box.has_value()) << (run.Running() ? "no report came" : "the program ended without a report");
    SCOPED_TRACE("report: " + Utf8(box->text));
    EXPECT_TRUE(box->text.starts_with(L"The list could not be read: error " + std::wstring(kClassNotRegistered)));
    EXPECT_NE(LowerCase(box->text).find(L"not registered"), std::wstring::npos);
    // A window whose list could not be read is never shown half-filled.
    const auto stopped = FindListWindow(run.ProcessId(), ListWindowKind::StoppedServices);
    EXPECT_FALSE(stopped && stopped->Visible())
        << "the stopped services window is on screen although its list could not be read";
    ASSERT_TRUE(AnswerOk(box->window)) << "the box did not close";

    EXPECT_TRUE(run.KeepsRunningWithAWindowVisible());
    EXPECT_TRUE(::IsWindowVisible(run.Splash()));
    EXPECT_TRUE(watch.Findings().empty()) << Lines(watch.Findings());
}

} // namespace
} // namespace quenlow
