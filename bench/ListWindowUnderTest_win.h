#pragma once

#include "bench/TimedUserInterface_win.h"
#include "ui/UiThreadClock_win.h"
#include "splash/AppInfo_win.h"
#include "windows/Program.h"
#include "windows/Win32UserInterface_win.h"

#include <windows.h>

// The windowed path as the program builds it (the Win32 user interface, the program and its
// window model), driven by calls rather than clicks: the splash window is open on construction,
// and everything is destroyed with the object.
namespace quenlow::bench {

class ListWindowUnderTest {
public:
    ListWindowUnderTest(HINSTANCE instance, IServiceAccess& services, const AppInfo& app);
    ~ListWindowUnderTest();
    ListWindowUnderTest(const ListWindowUnderTest&) = delete;
    ListWindowUnderTest& operator=(const ListWindowUnderTest&) = delete;

    // A click on the control of a visible window, as the window would deliver it.
    void Click(WindowId window, ControlId control) { m_program.Click(window, control); }

    // Paints whatever the window still has to paint, children included; throws when the window
    // is not visible.
    void PaintNow(WindowId window) const;

    // Where the time of the calls since the last Take went.
    WindowSteps TakeSteps() noexcept { return m_timed.Take(); }

    std::size_t ListCount(WindowId window) { return m_ui.ListCount(window); }
    std::wstring ListText(WindowId window, std::size_t position) { return m_ui.ListText(window, position); }

private:
    UiThreadClock m_clock;
    Win32UserInterface m_ui;
    TimedUserInterface m_timed{m_ui};
    Program m_program;
};

} // namespace quenlow::bench
