#include "start/Composition_win.h"

#include "common/ExitStatus.h"
#include "ui/Desktop_win.h"
#include "ui/MessageBox_win.h"
#include "ui/QuestionBox_win.h"

namespace quenlow {

Composition::Composition(HINSTANCE instance, const AppInfo& app) : Composition(instance, app, Parts{}) {}

Composition::Composition(HINSTANCE instance, const AppInfo& app, Parts parts)
    : m_parts(std::move(parts)), m_worker(m_parts.services), m_windows(instance, m_safety),
      m_wait(instance, m_worker, *this, m_safety),
      m_program(Work(), m_parts.wrapWindows ? m_parts.wrapWindows(m_windows) : m_windows, app, m_safety)
{
    m_windows.Attach(m_program);
}

void Composition::ShowMessage(std::wstring_view text)
{
    // No window is open on the command line, nor when the command is not understood.
    ShowMessageBox(nullptr, text);
}

bool Composition::AskYesNo(std::wstring_view question)
{
    return AskYesNoBox(nullptr, question);
}

bool Composition::ShowWindowedPath()
{
    if (!WindowsCanBeSeen()) {
        // Windows nobody can see would keep the program running for ever.
        WriteToStandardError(L"Quenlow's windows are not opened where no one can see them; use /start NAME or "
                             L"/stop NAME here.");
        return false;
    }
    m_windowed = true;
    m_program.ShowWindowedPath();
    if (!m_parts.work) {
        m_worker.Warm();
    }
    return true;
}

void Composition::RunUntilTheEnd()
{
    // As after every event: with no window on screen the program ends.
    m_program.EndIfNothingVisible();
    m_windows.RunMessageLoop();
}

int Composition::ExitStatusAtSessionEnd() const
{
    // On the command line the wait is for the service, which has not got there.
    return m_windowed ? kExitSucceeded : kExitStillPending;
}

} // namespace quenlow
