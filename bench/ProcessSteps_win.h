#pragma once

#include "support/ChildProcess.h"
#include "support/TimeLimits.h"

#include <windows.h>

#include <chrono>
#include <string>

// What the whole-process benchmarks do with a running quenlow.exe or reference program besides
// starting it (testing::StartAndWaitForWindow, testing::WindowedRun): the steps they time, with
// windows looked for every millisecond and clicks posted as the system posts them, and the end.
namespace quenlow::bench {

inline constexpr std::chrono::milliseconds kWindowTimeout = testing::kWindowComesWithin;

// Wine's WMI goes on working for about 150 ms after a query, and quenlow.exe warms its worker
// (thread, COM, WMI's client) once the splash window is up: before a timed step that asks WMI,
// the programs are left alone this long.
inline constexpr DWORD kQuietBeforeStepMs = 500;

// The process's visible top-level window of the class (and caption, when given); nullptr when
// the process ends first or after the timeout.
HWND WaitForWindow(const testing::ChildProcess& process, const wchar_t* className, const wchar_t* caption = nullptr);
// The same for a message box with the caption: quenlow.exe's progress window is a dialog with
// the same class and caption, and is passed over. A box after a start or stop is waited for as
// long as the program gives the services (testing::kBoxComesWithin): a slow machine is no failure.
HWND WaitForMessageBox(const testing::ChildProcess& process, const wchar_t* caption,
                       std::chrono::milliseconds timeout = testing::kBoxComesWithin);
// The window, or an error that says what did not appear.
HWND RequireWindow(HWND window, const std::string& what);

// A click of the left button at the point of the window's client area, posted as the system
// posts it.
void PostClick(HWND window, POINT client);
// That click on the splash window's Frame1, on its own surface clear of its labels and the logo.
void PostSplashFrameClick(HWND splash);

// Returns once the window and its children have painted what they still had to paint: WM_PAINT
// is sent to those that need it, and the window's thread handles it when it next looks at its
// messages.
void WaitUntilPainted(HWND window);

// The number of entries in the list of a quenlow.exe list window or the bare list program's window.
std::size_t ListEntries(HWND window);

// Closes the window and waits for the process to end with status 0; throws otherwise (the
// process's owner ends it).
void CloseAndWait(const testing::ChildProcess& process, HWND window, const char* what);
// Closes every visible window of quenlow.exe's list windows and waits for it to end with status 0.
void CloseQuenlow(const testing::ChildProcess& quenlow);

} // namespace quenlow::bench
