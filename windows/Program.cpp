#include "windows/Program.h"

#include "windows/frmActiveServicesList.h"
#include "windows/frmStoppedServicesList.h"
#include "windows/frmTotalServicesList.h"

namespace quenlow {

Program::Program(IServiceAccess& services, IUserInterface& ui, IClock& clock, AppInfo app)
    : m_context{services, ui, clock}, m_app(std::move(app)), m_windows(ui, [this](WindowId window) { Load(window); })
{
}

void Program::Load(WindowId window)
{
    switch (window) {
    case WindowId::frmSplash:
        frmSplash::Form_Load(m_context.ui, m_app);
        break;
    case WindowId::frmStoppedServicesList:
        frmStoppedServicesList::sLoadStoppedServices(m_context);
        break;
    case WindowId::frmActiveServicesList:
        frmActiveServicesList::sLoadStartedServices(m_context);
        break;
    case WindowId::frmTotalServicesList:
        frmTotalServicesList::loadservices(m_context);
        break;
    }
}

void Program::ShowWindowedPath()
{
    m_windows.Show(WindowId::frmSplash);
}

void Program::Continue()
{
    m_windows.Show(WindowId::frmStoppedServicesList);
    m_windows.Unload(WindowId::frmSplash);
}

void Program::OnClick(WindowId window, ControlId control)
{
    using enum WindowId;
    using enum ControlId;
    switch (window) {
    case frmSplash:
        if (control == Frame1) Continue();
        break;
    case frmStoppedServicesList:
        switch (control) {
        case btnStart: frmStoppedServicesList::sNamesToBeStarted(m_context); break;
        case btnRefresh: frmStoppedServicesList::sLoadStoppedServices(m_context); break;
        case btnActiveServices:
            m_windows.Show(frmActiveServicesList);
            m_windows.Unload(frmStoppedServicesList);
            break;
        case BtnAllServices: m_windows.Show(frmTotalServicesList); break;
        case btnClose: m_windows.Unload(frmStoppedServicesList); break;
        default: break;
        }
        break;
    case frmActiveServicesList:
        switch (control) {
        case btnStop: frmActiveServicesList::sNamesToBeStarted(m_context); break;
        case btnRefresh: frmActiveServicesList::sLoadStartedServices(m_context); break;
        case btnStoppedServices:
            m_windows.Show(frmStoppedServicesList);
            m_windows.Unload(frmActiveServicesList);
            break;
        case BtnAllServices: m_windows.Show(frmTotalServicesList); break;
        case btnClose: m_windows.Hide(frmActiveServicesList); break;
        default: break;
        }
        break;
    case frmTotalServicesList:
        if (control == btnClose) {
            m_windows.Hide(frmTotalServicesList);
            m_windows.Show(frmStoppedServicesList);
        }
        break;
    }
}

template <typename Handler>
void Program::Handle(WindowId window, Handler&& handler)
{
    if (m_ended || m_handling || m_windows.State(window) != WindowState::Visible) {
        return; // a late event for a window that is gone, or one that arrived mid-handler
    }
    m_handling = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_handling};
    handler();
    EndIfNothingVisible();
}

void Program::Click(WindowId window, ControlId control)
{
    Handle(window, [&] { OnClick(window, control); });
}

void Program::SplashCharacterKey()
{
    Handle(WindowId::frmSplash, [&] { m_windows.Unload(WindowId::frmSplash); });
}

void Program::SplashMarginMouseMove()
{
    Handle(WindowId::frmSplash, [&] { Continue(); });
}

void Program::ClosedByUser(WindowId window)
{
    // No handler of the program runs: closing unloads the window, whatever its buttons do.
    Handle(window, [&] { m_windows.Unload(window); });
}

void Program::EndIfNothingVisible()
{
    if (!m_ended && !m_windows.AnyVisible()) {
        m_ended = true;
        m_context.ui.EndProgram();
    }
}

} // namespace quenlow
