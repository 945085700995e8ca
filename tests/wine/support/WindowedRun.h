#pragma once

#include "support/ChildProcess.h"
#include "support/ListWindowDriver.h"
#include "support/MessageBoxes.h"
#include "support/TimeLimits.h"

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// Programs of the tests' own started and met at their first window, and one run of the real
// quenlow.exe on its windowed path (no arguments), from the splash window on. The processes are
// ended through their handles if they outlive the test.
namespace quenlow::testing {

// A program that was started and has shown its window.
struct StartedProgram {
    ChildProcess process;
    HWND window = nullptr;
};

// Starts the command line and waits until the process shows a visible top-level window of the
// class, looking at its windows at the interval. Throws DriverError when none comes within
// kWindowComesWithin or the process ends first.
StartedProgram StartAndWaitForWindow(const std::wstring& commandLine, const std::wstring& className,
                                     std::chrono::milliseconds interval = std::chrono::milliseconds(20));

class WindowedRun {
public:
    // Parks the pointer away from where the windows open, starts the program (--quenlow=PATH)
    // and waits for its splash window. Throws DriverError when none appears.
    WindowedRun();

    const ChildProcess& Process() const noexcept { return m_process; }
    DWORD ProcessId() const noexcept { return m_process.Id(); }
    HWND Splash() const noexcept { return m_splash; }

    // Leaves the splash window as a user does: the pointer comes in from outside onto the margin
    // around the frame; or a click on the frame's own surface, beside the texts and the logo.
    void MovePointerOntoSplashMargin();
    void ClickSplashFrame();
    // Only moves the pointer to where ClickSplashFrame clicks.
    void MovePointerOntoSplashFrame();
    // The stopped services window that the splash window leads to; throws when it does not come.
    ListWindowDriver ContinueToStoppedServices();

    // The process's visible top-level windows (list windows, message boxes, the splash window).
    std::vector<HWND> VisibleWindows() const;
    // The captions of those windows, sorted: what a user sees on screen.
    std::vector<std::wstring> VisibleCaptions() const;
    bool Running() const { return !m_process.HasExited(); }

    // The program's message box, once it shows one; throws, saying what the program is doing,
    // when none comes.
    MessageBoxView WaitForMessage(std::chrono::milliseconds timeout = kBoxComesWithin) const;

    // True when the process is still running after kNothingHappensFor, with a window of its on
    // screen all along.
    bool KeepsRunningWithAWindowVisible() const;

private:
    explicit WindowedRun(StartedProgram started);

    ChildProcess m_process;
    HWND m_splash = nullptr;
};

} // namespace quenlow::testing
