#pragma once

#include "services/ServiceAccess.h"
#include "splash/frmSplash.h"
#include "ui/UserInterface.h"
#include "ui/WindowEvents.h"
#include "windows/ServiceListProcedures.h"
#include "windows/WindowModel.h"

namespace quenlow {

// The windowed path: the four windows, their load events, every move between them and the
// end of the program. The platform layer delivers events here; each runs to its end, and
// errors from it are not caught.
class Program final : public IWindowEvents {
public:
    Program(IServiceAccess& services, IUserInterface& ui, IClock& clock, AppInfo app);

    // The first window of the windowed path.
    void ShowWindowedPath();

    void Click(WindowId window, ControlId control) override;
    void SplashCharacterKey() override;
    void SplashMarginMouseMove() override;
    void ClosedByUser(WindowId window) override;

    // Ends the program when no window is visible: a hidden window could never be shown
    // again then, since only a visible window's buttons show the others.
    void EndIfNothingVisible();

    const WindowModel& Windows() const { return m_windows; }

private:
    void Load(WindowId window);
    void Continue();
    // Runs one event handler of a visible window, then applies the end rule.
    template <typename Handler>
    void Handle(WindowId window, Handler&& handler);
    void OnClick(WindowId window, ControlId control);

    WindowContext m_context;
    AppInfo m_app;
    WindowModel m_windows;
    bool m_ended = false;
    // Events that arrive while a handler waits in a message box are dropped: one handler at a time.
    bool m_handling = false;
};

} // namespace quenlow
