#pragma once

#include <windows.h>

#include <vector>

namespace quenlow {

// The program's windows for as long as a modal wait or box lasts: they keep painting but take
// no input. Only those that were enabled are disabled, and each that still exists is enabled
// again when the object ends.
class DisabledWindows {
public:
    explicit DisabledWindows(const std::vector<HWND>& windows, HWND except = nullptr);
    ~DisabledWindows();
    DisabledWindows(const DisabledWindows&) = delete;
    DisabledWindows& operator=(const DisabledWindows&) = delete;

private:
    std::vector<HWND> m_disabled;
};

} // namespace quenlow
