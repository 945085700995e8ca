#pragma once

#include "support/MessageBoxes.h"

#include <windows.h>

#include <chrono>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quenlow::testing {

class ChildProcess;

// Watches the Wine prefix (or Windows session) for what a crash brings along: a debugger
// process (Wine's winedbg, Windows' error reporting) or a window that belongs to neither the
// program under test nor the test itself, such as the crash dialog. What exists when the watch
// begins is left out. Look often while the program runs: a crash dialog may be up for a moment only.
class CrashWatch {
public:
    // processId: the program under test, whose own windows are expected.
    explicit CrashWatch(DWORD programId = 0);

    void SetProgram(DWORD programId) noexcept { m_programId = programId; }

    // One look at the processes and windows; remembers anything found.
    void Look();

    // What was found, one line each; empty when nothing.
    const std::vector<std::wstring>& Findings() const noexcept { return m_findings; }

    // Looks until the process shows a message box with the caption (returned) or ends or the
    // time is up (nullopt).
    std::optional<MessageBoxView> WaitForMessageBox(const ChildProcess& process, std::chrono::milliseconds timeout,
                                                    const std::wstring& caption = kApplicationTitle);

    // Looks until the process has ended and then for a little longer, since a debugger starts
    // as its process goes. The exit code, or nullopt when it still runs after the timeout.
    std::optional<DWORD> WaitForExit(const ChildProcess& process, std::chrono::milliseconds timeout);

private:
    void Note(std::wstring finding);

    DWORD m_programId = 0;
    std::set<DWORD> m_knownProcesses;
    std::set<HWND> m_knownWindows;
    std::vector<std::wstring> m_findings;
};

} // namespace quenlow::testing
