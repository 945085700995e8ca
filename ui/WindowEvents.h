#pragma once

#include "ui/UserInterface.h"

// What the windows report to the program, in portable types. A window only forwards its user's
// actions; the program decides what each one does.
namespace quenlow {

class IWindowEvents {
public:
    virtual ~IWindowEvents() = default;

    // A click on a control (or Enter on the window's default button).
    virtual void Click(WindowId window, ControlId control) = 0;
    // A key that produces a character, pressed on the splash window.
    virtual void SplashCharacterKey() = 0;
    // The pointer moved over the splash window's own surface around its frame.
    virtual void SplashMarginMouseMove() = 0;
    // The user closed the window from its title bar or with the system's close command.
    virtual void ClosedByUser(WindowId window) = 0;
};

} // namespace quenlow
