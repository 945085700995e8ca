#pragma once

#include <windows.h>

#include "start/modStart.h"

#include <functional>
#include <utility>

namespace quenlow {

// Start-up's user interface on Win32: message boxes, and the way into the windowed path.
class Win32StartupUi final : public IStartupUi {
public:
    explicit Win32StartupUi(std::function<void()> showWindowedPath) : m_showWindowedPath(std::move(showWindowedPath)) {}

    // A modal box with the text, an OK button, no icon and the application title.
    void ShowMessage(std::wstring_view text) override;
    // Opens the first window of the windowed path.
    void ShowWindowedPath() override;

private:
    std::function<void()> m_showWindowedPath;
};

} // namespace quenlow
