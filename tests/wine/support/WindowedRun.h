#pragma once

#include "support/ChildProcess.h"
#include "support/ListWindowDriver.h"
#include "support/MessageBoxes.h"

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// One run of the real quenlow.exe on its windowed path (no arguments), from the splash window
// on. The process is the test's own and is ended through its handle if it outlives the test.
namespace quenlow::testing {

class WindowedRun {
public:
    // Parks the pointer away from where the windows open, starts the program and waits for its
    // splash window. Throws DriverError when none appears.
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

    // The program's message box, once it shows one; throws when none comes. The default outlasts
    // the 30 s that the program gives a service to get where it was asked to go, so a start or
    // stop that a busy machine holds up ends in the program's own report, not in a timeout here.
    MessageBoxView WaitForMessage(std::chrono::milliseconds timeout = std::chrono::seconds(90)) const;

    // True when the process is still running after the time, with a window of its on screen all along.
    bool KeepsRunningWithAWindowVisible(std::chrono::milliseconds duration) const;

private:
    ChildProcess m_process;
    HWND m_splash = nullptr;
};

} // namespace quenlow::testing
