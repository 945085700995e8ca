#include "support/WindowedRun.h"

#include "common/Text.h"
#include "support/Polling.h"
#include "support/TestOptions.h"
#include "support/TopLevelWindows.h"
#include "support/UserInput.h"
#include "ui/WindowClassNames.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace quenlow::testing {

namespace {

using namespace std::chrono_literals;

constexpr auto kWindowTimeout = 30s;

ChildProcess StartWindowed()
{
    if (QuenlowProgramPath().empty()) {
        throw DriverError("pass --quenlow=PATH to quenlow.exe");
    }
    // A pointer resting where the splash window opens is no movement of the user's; keep it away.
    MovePointer(OutOfTheWay());
    return ChildProcess::Start(QuoteArgument(QuenlowProgramPath()));
}

} // namespace

WindowedRun::WindowedRun() : m_process(StartWindowed())
{
    m_splash = WaitForTopLevelWindow(m_process, {0, kSplashClassName, std::nullopt, true}, kWindowTimeout);
    if (!m_splash) {
        throw DriverError("the splash window did not appear");
    }
}

void WindowedRun::MovePointerOntoSplashMargin()
{
    // The client area's top-left corner is the margin's: the frame begins a few pixels further in.
    POINT point{3, 3};
    ::ClientToScreen(m_splash, &point);
    if (!BringToForeground(m_splash) || !WaitUntilUncovered(m_splash, point)) {
        throw DriverError("the splash window is not in front");
    }
    if (::WindowFromPoint(point) != m_splash) {
        throw DriverError("the point chosen on the margin is not on the splash window's own surface");
    }
    MovePointer(OutOfTheWay());
    MovePointer(point);
}

namespace {

// Near the frame's top-left corner: above the logo and left of the texts, so the frame's own surface.
POINT SplashFramePoint(HWND splash)
{
    const HWND frame = ::FindWindowExW(splash, nullptr, kSplashFrameClassName, nullptr);
    if (!frame) {
        throw DriverError("the splash window has no frame");
    }
    POINT point{12, 12};
    ::ClientToScreen(frame, &point);
    if (!BringToForeground(splash) || !WaitUntilUncovered(splash, point)) {
        throw DriverError("the splash window is not in front");
    }
    if (::WindowFromPoint(point) != frame) {
        throw DriverError("the point chosen on the frame is not the frame's");
    }
    return point;
}

} // namespace

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
    return WaitForListWindow(m_process, ListWindowKind::StoppedServices, kWindowTimeout);
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

namespace {

std::string ClassOf(HWND window)
{
    wchar_t name[64]{};
    ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return Utf8(name);
}

// What the program is doing when it fails to answer: its windows, whether its thread still
// handles messages, and where its focus and mouse capture are, to tell a click that never
// arrived from a program that is stuck.
std::string DescribeProgramState(const std::vector<HWND>& windows)
{
    std::string text;
    for (const HWND window : windows) {
        text += "\n  window " + ClassOf(window) + " \"" + Utf8(WindowText(window)) + "\"" +
                (::IsWindowEnabled(window) ? "" : " (disabled)");
        DWORD_PTR ignored = 0;
        const bool answers =
            ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
        text += answers ? ", answers messages" : ", does not answer messages within 5 s";
        for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            if (ClassOf(child) == "Button" && (::SendMessageW(child, BM_GETSTATE, 0, 0) & BST_PUSHED)) {
                text += ", button \"" + Utf8(WindowText(child)) + "\" held down";
            }
        }
    }
    if (!windows.empty()) {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        if (::GetGUIThreadInfo(::GetWindowThreadProcessId(windows.front(), nullptr), &info)) {
            const auto describe = [](HWND window) {
                return window ? ClassOf(window) + " \"" + Utf8(WindowText(window)) + "\"" : std::string("none");
            };
            text += "\n  focus: " + describe(info.hwndFocus) + "; capture: " + describe(info.hwndCapture);
        }
    }
    return text;
}

} // namespace

MessageBoxView WindowedRun::WaitForMessage(std::chrono::milliseconds timeout) const
{
    auto box = WaitForMessageBox(m_process, timeout);
    if (!box) {
        if (m_process.HasExited()) {
            throw DriverError("the program ended without a message box");
        }
        throw DriverError("no message box came" + DescribeProgramState(VisibleWindows()));
    }
    return *box;
}

bool WindowedRun::KeepsRunningWithAWindowVisible(std::chrono::milliseconds duration) const
{
    const bool endedOrHidden =
        PollUntil([&] { return m_process.HasExited() || VisibleWindows().empty(); }, duration, 20ms);
    return !endedOrHidden && !m_process.HasExited();
}

} // namespace quenlow::testing
