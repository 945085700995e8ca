#include "bench/ListWindowUnderTest_win.h"

#include "common/ExitStatus.h"
#include "support/MessagePump.h"
#include "ui/ServiceWorkWait_win.h"

#include <stdexcept>

namespace quenlow::bench {

namespace {

std::unique_ptr<IServiceWork> MakeWork(HINSTANCE instance, const AppInfo& app, WmiWorker& worker,
                                       Win32UserInterface& ui, IServiceAccess* services, IClock& clock,
                                       WorkThread where)
{
    if (where == WorkThread::WindowThread) {
        if (!services) {
            throw std::invalid_argument("work on the window thread needs a service source");
        }
        return std::make_unique<testing::InlineServiceWork>(*services, clock);
    }
    // As start/WinMain_win.cpp sets it once the windows are open.
    return std::make_unique<Win32ServiceWork>(
        instance, app.title, worker,
        Win32ServiceWork::Host{[&ui] { return ui.DialogOwner(); }, [&ui] { return ui.VisibleWindows(); },
                               kExitSucceeded});
}

} // namespace

ListWindowUnderTest::ListWindowUnderTest(HINSTANCE instance, std::shared_ptr<IServiceAccess> services,
                                         const AppInfo& app, WorkThread where)
    : m_services(services), m_worker(where == WorkThread::Worker ? services : nullptr), m_ui(instance, app.title),
      m_work(MakeWork(instance, app, m_worker, m_ui, m_services.get(), m_clock, where)),
      m_program(*m_work, m_timed, app)
{
    m_ui.Attach(m_program);
    m_program.ShowWindowedPath();
    PaintNow(WindowId::frmSplash);
    if (where == WorkThread::Worker) {
        m_worker.Warm();
    }
    testing::PumpPending();
}

ListWindowUnderTest::~ListWindowUnderTest() = default;

void ListWindowUnderTest::PaintNow(WindowId window) const
{
    const HWND handle = m_ui.Handle(window);
    if (!handle || !::IsWindowVisible(handle)) {
        throw std::runtime_error("the window under test is not visible");
    }
    ::RedrawWindow(handle, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

} // namespace quenlow::bench
