#pragma once

#include "services/ServiceWork.h"
#include "services/WmiWorker_win.h"
#include "ui/BaseWindow_win.h"
#include "ui/UniqueGdi_win.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace quenlow {

class ProgressWindow;

// The window thread's side of the worker. It waits for a piece of work as a modal dialog does:
// the program's windows are disabled and keep painting, input meanwhile is set aside and never
// reaches what comes after the wait, and once the work has lasted a second a progress window
// shows what it is doing, with a way to stop waiting. A hidden window of its own hears the worker,
// a request to close the program (which stops the wait) and the end of the session (which ends
// the program during a wait).
class Win32ServiceWork final : public IServiceWork, public BaseWindow<Win32ServiceWork> {
public:
    static constexpr const wchar_t* kClassName = L"QuenlowWork";

    // Where a wait shows: the window that owns the progress window (none: the progress window
    // stands alone, in the task bar), the windows disabled meanwhile, and the exit status when
    // the session ends during a wait.
    struct Host {
        std::function<HWND()> owner;
        std::function<std::vector<HWND>()> windows;
        int exitStatusAtSessionEnd;
    };

    Win32ServiceWork(HINSTANCE instance, std::wstring title, WmiWorker& worker, Host host);
    ~Win32ServiceWork() override;
    Win32ServiceWork(const Win32ServiceWork&) = delete;
    Win32ServiceWork& operator=(const Win32ServiceWork&) = delete;

    void SetHost(Host host) { m_host = std::move(host); }

    void Start(WorkBoard board, Work work) override;
    WorkResult Finish() override;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    // The hidden window, made with the first piece of work.
    void CreateWindowOnce();
    // Stops waiting for the current work, from wherever the request came.
    void StopWaiting() noexcept;
    // Handles the thread's messages until the worker has ended or the time has passed, setting
    // the user's input aside.
    void PumpUntil(ULONGLONG deadline);

    HINSTANCE m_instance;
    std::wstring m_title;
    WmiWorker& m_worker;
    Host m_host;
    bool m_started = false;
    bool m_waiting = false;
    bool m_stopAsked = false;
    ULONGLONG m_startedAt = 0;
    ProgressWindow* m_progress = nullptr;
};

} // namespace quenlow
