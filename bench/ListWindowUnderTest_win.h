#pragma once

#include "FakeServiceAccess.h"
#include "bench/TimedUserInterface_win.h"
#include "splash/frmSplash.h"
#include "start/Composition_win.h"

#include <windows.h>

#include <memory>
#include <optional>

// The windowed path as the program builds it (its own composition of the worker, the wait for
// it, the Win32 windows and the program's rules), driven by calls rather than clicks: the splash
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
    void Click(WindowId window, ControlId control) { m_program.Rules().Click(window, control); }

    // Paints whatever the window still has to paint, children included; throws when the window
    // is not visible.
    void PaintNow(WindowId window);

    // Where the time of the calls since the last Take went.
    WindowSteps TakeSteps() noexcept { return m_timed->Take(); }

    std::size_t ListCount(WindowId window) { return m_program.Windows().ListCount(window); }
    std::wstring ListText(WindowId window, std::size_t position)
    {
        return m_program.Windows().ListText(window, position);
    }

private:
    // The inline worker and its clock: the work only reads lists, which never wait.
    testing::FakeClock m_clock;
    std::unique_ptr<IServiceWork> m_inline;
    std::optional<TimedUserInterface> m_timed;
    Composition m_program;
};

} // namespace quenlow::bench
