#include "bench/ListWindowUnderTest_win.h"

#include "support/MessagePump.h"

#include <stdexcept>

namespace quenlow::bench {

namespace {

std::unique_ptr<IServiceWork> InlineWork(IServiceAccess* services, IClock& clock, WorkThread where)
{
    if (where == WorkThread::Worker) {
        return nullptr;
    }
    if (!services) {
        throw std::invalid_argument("work on the window thread needs a service source");
    }
    return std::make_unique<testing::InlineServiceWork>(*services, clock);
}

} // namespace

ListWindowUnderTest::ListWindowUnderTest(HINSTANCE instance, std::shared_ptr<IServiceAccess> services,
                                         const AppInfo& app, WorkThread where)
    : m_inline(InlineWork(services.get(), m_clock, where)),
      m_program(instance, app,
                Composition::Parts{where == WorkThread::Worker ? services : nullptr, m_inline.get(),
                                   [this](IUserInterface& windows) -> IUserInterface& { return m_timed.emplace(windows); }})
{
    m_program.ShowWindowedPath();
    PaintNow(WindowId::frmSplash);
    testing::PumpPending();
}

ListWindowUnderTest::~ListWindowUnderTest() = default;

void ListWindowUnderTest::PaintNow(WindowId window)
{
    const HWND handle = m_program.Windows().Handle(window);
    if (!handle || !::IsWindowVisible(handle)) {
        throw std::runtime_error("the window under test is not visible");
    }
    ::RedrawWindow(handle, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

} // namespace quenlow::bench
