#pragma once

#include "services/ServiceAccess.h"
#include "splash/frmSplash.h"
#include "ui/UserInterface.h"
#include "ui/WaitSafety.h"
#include "ui/WindowEvents.h"
#include "windows/ServiceListProcedures.h"
#include "windows/WindowModel.h"

namespace quenlow {

// The windowed path: the four windows, their load events, every move between them and the
// end of the program. The platform layer delivers events here; each runs to its end, and
// errors from it are not caught. When the user stops waiting for a window's list, or the list
// cannot be read (which a box then says), the move that needed it ends there and the program
// stays where it was. What may happen while a handler waits is the wait safety's to say.
class Program final : public IWindowEvents {
public:
    Program(IServiceWork& work, IUserInterface& ui, AppInfo app, WaitSafety& safety);

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
    void BeforeCreate(WindowId window);
    void Load(WindowId window);
    void Continue();
    // Shows the window; when its list is given up or cannot be read, shows again the one that
    // was hidden to make room for it.
    void ShowOrPutBack(WindowId window, WindowId hidden);
    // Runs one event handler of a visible window, then the closes kept meanwhile and the end
    // rule.
    template <typename Handler>
    void Handle(WindowId window, Handler&& handler);
    void OnClick(WindowId window, ControlId control);

    WaitSafety& m_safety;
    WindowContext m_context;
    AppInfo m_app;
    WindowModel m_windows;
};

} // namespace quenlow
