#include "support/WindowedRun.h"

#include "common/Text.h"
#include "support/MessagePump.h"
#include "support/ProgramState.h"
#include "support/TestOptions.h"
#include "support/TimeLimits.h"
#include "support/TopLevelWindows.h"
#include "support/UserInput.h"
#include "ui/WindowClassNames.h"

#include <algorithm>
#include <string>

namespace quenlow::testing {

StartedProgram StartAndWaitForWindow(const std::wstring& commandLine, const std::wstring& className,
                                     std::chrono::milliseconds interval)
{
    StartedProgram started{ChildProcess::Start(commandLine), nullptr};
    started.window =
        WaitForTopLevelWindow(started.process, {0, className, std::nullopt, true}, kWindowComesWithin, interval);
    if (!started.window) {
        throw DriverError(Utf8(commandLine) + (started.process.HasExited()
                                                   ? ": the program ended before its window appeared"
                                                   : ": no window of the class " + Utf8(className) + " appeared"));
    }
    return started;
}

namespace {

StartedProgram StartWindowed()
{
    if (QuenlowProgramPath().empty()) {
        throw DriverError("pass --quenlow=PATH to quenlow.exe");
    }
    // A pointer resting where the splash window opens is no movement of the user's; keep it away.
    MovePointer(OutOfTheWay());
    return StartAndWaitForWindow(QuoteArgument(QuenlowProgramPath()), kSplashClassName);
}

} // namespace

WindowedRun::WindowedRun() : WindowedRun(StartWindowed()) {}

WindowedRun::WindowedRun(StartedProgram started) : m_process(std::move(started.process)), m_splash(started.window) {}

namespace {

// The point of the splash window's child (or of the window itself), given in its client area, on
// the screen: the window in front, nothing covering the point, and the point the child's own.
POINT SplashPoint(HWND splash, HWND child, POINT client, const char* where)
{
    if (!child) {
        throw DriverError("the splash window has no frame");
    }
    ::ClientToScreen(child, &client);
    if (!BringToForeground(splash) || !WaitUntilUncovered(splash, client)) {
        throw DriverError("the splash window is not in front");
    }
    if (::WindowFromPoint(client) != child) {
        throw DriverError(std::string("the point chosen is not on ") + where);
    }
    return client;
}

// Near the frame's top-left corner: above the logo and left of the texts, so the frame's own surface.
POINT SplashFramePoint(HWND splash)
{
    return SplashPoint(splash, ::FindWindowExW(splash, nullptr, kSplashFrameClassName, nullptr), POINT{12, 12},
                       "the frame's own surface");
}

} // namespace

void WindowedRun::MovePointerOntoSplashMargin()
{
    // The client area's top-left corner is the margin's: the frame begins a few pixels further in.
    const POINT point = SplashPoint(m_splash, m_splash, POINT{3, 3}, "the splash window's own surface");
    MovePointer(OutOfTheWay());
    MovePointer(point);
}

void WindowedRun::MovePointerOntoSplashFrame()
{
    MovePointer(SplashFramePoint(m_splash));
}

void WindowedRun::ClickSplashFrame()
{
    ClickAt(SplashFramePoint(m_splash));
}

ListWindowDriver WindowedRun::ContinueToStoppedServices()
{
    return WaitForListWindow(m_process, ListWindowKind::StoppedServices);
}

std::vector<HWND> WindowedRun::VisibleWindows() const
{
    return FindTopLevelWindows({m_process.Id(), std::nullopt, std::nullopt, true});
}

std::vector<std::wstring> WindowedRun::VisibleCaptions() const
{
    std::vector<std::wstring> captions;
    for (const HWND window : VisibleWindows()) {
        captions.push_back(WindowText(window));
    }
    std::sort(captions.begin(), captions.end());
    return captions;
}

MessageBoxView WindowedRun::WaitForMessage(std::chrono::milliseconds timeout) const
{
    auto box = WaitForMessageBox(m_process, timeout);
    if (!box) {
        if (m_process.HasExited()) {
            throw DriverError("the program ended without a message box");
        }
        throw DriverError("no message box came" + DescribeProgramState(ProcessId()));
    }
    return *box;
}

bool WindowedRun::KeepsRunningWithAWindowVisible() const
{
    const bool endedOrHidden =
        PumpUntil([&] { return m_process.HasExited() || VisibleWindows().empty(); }, kNothingHappensFor);
    return !endedOrHidden && !m_process.HasExited();
}

} // namespace quenlow::testing
