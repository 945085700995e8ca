#pragma once

// IStartupUi has a member named MessageBox, which <windows.h> would rename to MessageBoxW
// in one translation unit and not in another.
#include <windows.h>
#undef MessageBox

#include "start/MessageLoop_win.h"
#include "start/modStart.h"

#include <utility>

namespace quenlow {

// Start-up's user interface on Win32: message boxes, and the windowed path through the hooks.
class Win32StartupUi final : public IStartupUi {
public:
    explicit Win32StartupUi(WindowedPathHooks hooks) : m_hooks(std::move(hooks)) {}

    // A modal box with the text, an OK button, no icon and the application title.
    void MessageBox(std::wstring_view text) override;
    // Opens the first window, when the window layer has said how.
    void ShowWindowedPath() override;

private:
    WindowedPathHooks m_hooks;
};

} // namespace quenlow
