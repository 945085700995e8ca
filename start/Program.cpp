#include "start/Program.h"

#include "windows/frmActiveServicesList.h"
#include "windows/frmStoppedServicesList.h"
#include "windows/frmTotalServicesList.h"

#include <optional>
#include <utility>

namespace quenlow {

Program::Program(IServiceWork& work, IUserInterface& ui, AppInfo app, WaitSafety& safety)
    : m_safety(safety), m_context{work, ui, safety}, m_app(std::move(app)),
      m_windows(ui, [this](WindowId window) { BeforeCreate(window); }, [this](WindowId window) { Load(window); })
{
}

namespace {

// A list window's list: where it comes from, and the window's load procedure that fills it.
struct ListProcedures {
    const ListSource& source;
    void (*load)(WindowContext& context);
};

std::optional<ListProcedures> ListProceduresOf(WindowId window)
{
    switch (window) {
    case WindowId::frmSplash: break;
    case WindowId::frmStoppedServicesList:
        return ListProcedures{frmStoppedServicesList::kListSource, &frmStoppedServicesList::sLoadStoppedServices};
    case WindowId::frmActiveServicesList:
        return ListProcedures{frmActiveServicesList::kListSource, &frmActiveServicesList::sLoadStartedServices};
    case WindowId::frmTotalServicesList:
        return ListProcedures{frmTotalServicesList::kListSource, &frmTotalServicesList::loadservices};
    }
    return std::nullopt;
}

} // namespace

// A list window is made once its list has been read. Made while the worker reads, it slowed the
// read (under Wine, by more than the making took: both lean on the one wineserver); a read that
// fails or is given up now leaves no window to take down.
void Program::BeforeCreate(WindowId window)
{
    if (const auto procedures = ListProceduresOf(window)) {
        m_context.listRead = ReadList(m_context, procedures->source);
    }
}

// The windows' load procedures: the splash window's Form_Load, and the list windows' own, which
// fill in the list read before the window was created.
void Program::Load(WindowId window)
{
    if (const auto procedures = ListProceduresOf(window)) {
        procedures->load(m_context);
    } else {
        frmSplash::Form_Load(m_context.ui, m_app);
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
            ShowOrPutBack(frmStoppedServicesList, frmTotalServicesList);
        }
        break;
    }
}

void Program::ShowOrPutBack(WindowId window, WindowId hidden)
{
    try {
        m_windows.Show(window);
    } catch (const ListGivenUp&) {
        m_windows.Show(hidden);
        throw;
    }
}

template <typename Handler>
void Program::Handle(WindowId window, Handler&& handler)
{
    if (m_windows.State(window) != WindowState::Visible) {
        return; // a late event for a window that is gone
    }
    const bool ran = m_safety.RunHandler(window, [&] {
        try {
            handler();
        } catch (const WaitStopped&) {
            // The user gave up the move: the program stays where it was.
        } catch (const ListNotRead& failure) {
            m_context.ui.ShowMessage(L"The list could not be read: " + failure.Reason() + L".");
        }
    });
    if (!ran) {
        return; // one that arrived mid-handler, or after the end
    }
    for (const WindowId closed : m_safety.TakeClosesKept()) {
        if (m_windows.State(closed) == WindowState::Visible) {
            m_windows.Unload(closed);
        }
    }
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
    if (m_safety.KeepClose(window)) {
        // Closed from outside while a handler waits (End task, the task bar's Close): the wait
        // ends as with Stop Waiting, and the close follows the report.
        m_context.work.StopWaiting();
        return;
    }
    // No handler of the program runs: closing unloads the window, whatever its buttons do.
    Handle(window, [&] { m_windows.Unload(window); });
}

void Program::EndIfNothingVisible()
{
    if (!m_safety.ProgramEnded() && !m_windows.AnyVisible()) {
        m_safety.EndProgram();
        m_context.ui.EndProgram();
    }
}

} // namespace quenlow
