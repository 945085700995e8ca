#pragma once

#include "FakeServiceAccess.h"
#include "bench/TimedUserInterface_win.h"
#include "services/WmiWorker_win.h"
#include "splash/AppInfo_win.h"
#include "windows/Program.h"
#include "windows/Win32UserInterface_win.h"

#include <windows.h>

#include <memory>

// The windowed path as the program builds it (the worker, the wait for it, the Win32 user
// interface, the program and its window model), driven by calls rather than clicks: the splash
// window is open on construction, and everything is destroyed with the object.
namespace quenlow::bench {

// Where the work on the services runs.
enum class WorkThread {
    Worker,       // the program's worker thread, waited for with the program's wait (as quenlow.exe)
    WindowThread, // on the window thread when it is waited for (the tests' inline worker): no
                  // worker thread, COM or WMI client
};

class ListWindowUnderTest {
public:
    // The services come from `services`, or from WMI when it is null. As the program does, the
    // worker is warmed once the splash window is up.
    ListWindowUnderTest(HINSTANCE instance, std::shared_ptr<IServiceAccess> services, const AppInfo& app,
                        WorkThread where = WorkThread::Worker);
    ~ListWindowUnderTest();
    ListWindowUnderTest(const ListWindowUnderTest&) = delete;
    ListWindowUnderTest& operator=(const ListWindowUnderTest&) = delete;

    // A click on the control of a visible window, as the window would deliver it. Returns once
    // the program has handled it, the wait for the worker included.
    void Click(WindowId window, ControlId control) { m_program.Click(window, control); }

    // Paints whatever the window still has to paint, children included; throws when the window
    // is not visible.
    void PaintNow(WindowId window) const;

    // Where the time of the calls since the last Take went.
    WindowSteps TakeSteps() noexcept { return m_timed.Take(); }

    std::size_t ListCount(WindowId window) { return m_ui.ListCount(window); }
    std::wstring ListText(WindowId window, std::size_t position) { return m_ui.ListText(window, position); }

private:
    std::shared_ptr<IServiceAccess> m_services;
    WmiWorker m_worker;
    // The inline worker's clock: the work only reads lists, which never wait.
    testing::FakeClock m_clock;
    Win32UserInterface m_ui;
    TimedUserInterface m_timed{m_ui};
    std::unique_ptr<IServiceWork> m_work;
    Program m_program;
};

} // namespace quenlow::bench
