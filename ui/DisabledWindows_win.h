#pragma once

#include <windows.h>

#include <vector>

namespace quenlow {

// The program's windows for as long as a modal wait or box lasts: they keep painting but take
// no input. Only those that were enabled are disabled, and each that still exists is enabled
// again when the object ends; the control that had the keyboard focus then has it again, since
// disabling its window took it away.
class DisabledWindows {
public:
    explicit DisabledWindows(const std::vector<HWND>& windows, HWND except = nullptr);
    ~DisabledWindows();
    DisabledWindows(const DisabledWindows&) = delete;
    DisabledWindows& operator=(const DisabledWindows&) = delete;

    // Enables the window now and leaves it alone from here on: for the owner of a modal dialog,
    // which disables it and enables it again itself before it goes, so that the owner, not
    // another program's window, is active after it.
    void HandOver(HWND window);

private:
    std::vector<HWND> m_disabled;
    HWND m_focus;
};

} // namespace quenlow
