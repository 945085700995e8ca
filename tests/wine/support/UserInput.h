#pragma once

#include "support/TimeLimits.h"

#include <windows.h>

#include <chrono>
#include <initializer_list>

// Real mouse and keyboard input, as a user makes it: SendInput hands it to the system, which
// delivers it to the window under the pointer or to the one with the keyboard focus, in
// whichever process that is.
namespace quenlow::testing {

// Moves the pointer straight to the point (screen coordinates), without crossing what lies between.
void MovePointer(POINT screen);

// Moves the pointer to the point and presses and releases the left button there.
void ClickAt(POINT screen);

// Presses the keys in the order given and releases them in the reverse order: {VK_MENU, VK_F4}.
void PressKeys(std::initializer_list<WORD> keys);
inline void PressKey(WORD key)
{
    PressKeys({key});
}

// Makes the window the foreground window, so that key presses go to it; false when it is not
// after the timeout.
bool BringToForeground(HWND window, std::chrono::milliseconds timeout = kReactionComesWithin);

// Polls until the top-level window under the point is the one given (nothing covers it);
// false after the timeout.
bool WaitUntilUncovered(HWND window, POINT screen, std::chrono::milliseconds timeout = kReactionComesWithin);

// The centre of the window on the screen.
POINT CentreOf(HWND window);

// A place on the screen where none of the program's windows opens: the bottom-right corner.
POINT OutOfTheWay();

// Handles this thread's messages until the system has the pointer at the point; false when it
// has not after kReactionComesWithin.
bool PumpUntilPointerAt(POINT screen);

// The mouse messages that this thread's own windows take from their queue, seen through a hook
// on this thread while the object lives: how a test of a window in its own process knows that
// its pointer movements and clicks have arrived. One at a time.
class OwnMouseInput {
public:
    OwnMouseInput();
    ~OwnMouseInput();
    OwnMouseInput(const OwnMouseInput&) = delete;
    OwnMouseInput& operator=(const OwnMouseInput&) = delete;

    bool Hooked() const noexcept { return m_hook != nullptr; }
    // Handles this thread's messages until one of its windows has taken a message of the kind
    // (WM_MOUSEMOVE, WM_LBUTTONUP, ...) at the point, and forgets it and all taken before it;
    // false when none has come there after kReactionComesWithin.
    bool PumpUntilArrived(UINT message, POINT screen);

private:
    HHOOK m_hook = nullptr;
};

} // namespace quenlow::testing
