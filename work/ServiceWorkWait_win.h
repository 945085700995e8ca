#pragma once

#include "services/ServiceWork.h"
#include "services/WmiWorker_win.h"
#include "ui/BaseWindow_win.h"

#include <windows.h>

#include <optional>
#include <vector>

namespace quenlow {

class DisabledWindows;
class ProgressWindow;

// Where a wait shows, as the program's windows stand when it begins.
class IWaitHost {
public:
    // The window that owns the progress window; nullptr: it stands alone, in the task bar.
    virtual HWND WaitOwner() const = 0;
    // The program's windows, disabled while the wait lasts.
    virtual std::vector<HWND> WaitWindows() const = 0;
    // The exit status when the session ends during a wait.
    virtual int ExitStatusAtSessionEnd() const = 0;

protected:
    ~IWaitHost() = default;
};

// The window thread's side of the worker. It waits for a piece of work as a modal dialog does:
// the program's windows are disabled and keep painting, input meanwhile is set aside and never
// reaches what comes after the wait, and once the work has lasted a second a progress window
// shows what it is doing, with a way to stop waiting (where anyone can see it). The wait ends
// at the work's limit, whatever WMI does: the work is then given up as when the user stops
// waiting, with what was known. It ends too once a connection to WMI has taken longer than WMI
// is given, as no call can cut a connection short: a list read then fails with that error. A
// hidden window of its own hears the worker, a request to close the program (which stops the
// wait), the timers of the limit and of a connection, and the end of the session (which ends
// the program during a wait).
class Win32ServiceWork final : public IServiceWork, public BaseWindow<Win32ServiceWork> {
public:
    static constexpr const wchar_t* kClassName = L"QuenlowWork";

    Win32ServiceWork(HINSTANCE instance, WmiWorker& worker, const IWaitHost& host);
    ~Win32ServiceWork() override;
    Win32ServiceWork(const Win32ServiceWork&) = delete;
    Win32ServiceWork& operator=(const Win32ServiceWork&) = delete;

    void Start(WorkBoard board, Work work) override;
    WorkResult Finish() override;
    void StopWaiting() override { EndTheWait(WaitEnd::Stopped); }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    // The hidden window, made with the first piece of work.
    void CreateWindowOnce();
    static constexpr ULONGLONG kNoLimit = ~0ULL;

    // Ends the wait for the current work, from wherever the request came.
    void EndTheWait(WaitEnd why) noexcept;
    // Handles the thread's messages until the worker has ended, the wait is to end, or the time
    // has passed, setting the user's input aside.
    void PumpUntil(ULONGLONG deadline);
    // Waits for the work that began then until it ends, the user stops waiting or its limit is
    // reached; the progress window's owner is handed over to it.
    void WaitForTheWork(ULONGLONG began, ULONGLONG limitAt, DisabledWindows& disabled);
    // Shows the progress window, owned by owner, until the work ends or the wait is to end.
    void ShowProgress(HWND owner);
    // When the connection the work is making has taken the limit, from the board it reported;
    // nullopt when it makes none or no wait runs.
    std::optional<ULONGLONG> ConnectionLimitAt() const;
    // Times the connection the work is making, if it is making one.
    void WatchTheConnection();
    void OnConnectionTimer();

    HINSTANCE m_instance;
    WmiWorker& m_worker;
    const IWaitHost& m_host;
    bool m_started = false;
    bool m_waiting = false;
    std::optional<WaitEnd> m_endAsked;
    bool m_connectionTooLong = false;
    ProgressWindow* m_progress = nullptr;
};

} // namespace quenlow
