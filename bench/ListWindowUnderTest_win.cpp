#include "bench/ListWindowUnderTest_win.h"

#include "bench/PumpMessages_win.h"

#include <stdexcept>

namespace quenlow::bench {

ListWindowUnderTest::ListWindowUnderTest(HINSTANCE instance, IServiceAccess& services, const AppInfo& app)
    : m_ui(instance, app.title), m_program(services, m_timed, m_clock, app)
{
    m_ui.Attach(m_program);
    m_program.ShowWindowedPath();
    PaintNow(WindowId::frmSplash);
    PumpMessagesFor(0);
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
