#pragma once

#include <functional>

namespace quenlow {

// How the windowed path plugs into start-up: the window layer opens the first window and
// tells whether any window of the program is still loaded (a hidden one counts).
struct WindowedPathHooks {
    std::function<void()> showFirstWindow;
    std::function<bool()> anyWindowLoaded;
};

// Dispatches the thread's messages while a window is loaded, and returns when none is - at
// once when no window was ever opened. The window layer posts a message (WM_QUIT or any
// other) when it unloads the last window, so that the loop looks again. An exception from a
// window procedure never reaches here: window procedures trap their own (RunTrapped).
void RunMessageLoopWhileWindowsExist(const WindowedPathHooks& hooks);

} // namespace quenlow
