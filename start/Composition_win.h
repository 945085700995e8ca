#pragma once

#include "services/WmiWorker_win.h"
#include "splash/frmSplash.h"
#include "start/Program.h"
#include "start/Win32UserInterface_win.h"
#include "start/modStart.h"
#include "work/ServiceWorkWait_win.h"

#include <windows.h>

#include <functional>
#include <memory>

namespace quenlow {

// The program with its parts wired together, once, for WinMain and for the benchmarks: the
// worker and the wait for it, the Win32 windows, and the program's rules for them. Start-up
// reaches the windows through it, and the wait asks it where to show.
class Composition final : public IStartupUi, private IWaitHost {
public:
    // What a benchmark puts in place of a part; by default the program's own.
    struct Parts {
        // Where the services come from: WMI unless given (a source of made-up names).
        std::shared_ptr<IServiceAccess> services;
        // Runs the work instead of the worker and its wait (work on the window thread).
        IServiceWork* work = nullptr;
        // What the program's rules talk to, given the windows (a stopwatch that passes every
        // call on to them).
        std::function<IUserInterface&(IUserInterface& windows)> wrapWindows;
    };

    Composition(HINSTANCE instance, const AppInfo& app);
    Composition(HINSTANCE instance, const AppInfo& app, Parts parts);
    Composition(const Composition&) = delete;
    Composition& operator=(const Composition&) = delete;

    IServiceWork& Work() noexcept { return m_parts.work ? *m_parts.work : m_wait; }
    Program& Rules() noexcept { return m_program; }
    Win32UserInterface& Windows() noexcept { return m_windows; }

    void ShowMessage(std::wstring_view text) override;
    // Asked in a box of its own where someone sees it; No where nobody does, and the report names
    // what held the service instead.
    bool AskYesNo(std::wstring_view question) override;
    // The splash window; once it is up, the worker gets ready for the first list. Where nobody
    // sees a window, a line on standard error instead.
    bool ShowWindowedPath() override;
    // Runs the windows until the program ends: at once when none is on screen.
    void RunUntilTheEnd();

private:
    HWND WaitOwner() const override { return m_windows.DialogOwner(); }
    std::vector<HWND> WaitWindows() const override { return m_windows.VisibleWindows(); }
    int ExitStatusAtSessionEnd() const override;

    Parts m_parts;
    // What may happen while a handler waits: one for the windows, the wait and the rules.
    WaitSafety m_safety;
    WmiWorker m_worker;
    Win32UserInterface m_windows;
    Win32ServiceWork m_wait;
    Program m_program;
    bool m_windowed = false;
};

} // namespace quenlow
