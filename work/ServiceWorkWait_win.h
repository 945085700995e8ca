#pragma once

#include "services/ServiceWork.h"
#include "services/WmiWorker_win.h"
#include "ui/BaseWindow_win.h"
#include "ui/WaitSafety.h"

#include <windows.h>

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
// at the work's limit, whatever WMI does, and once a connection to WMI has taken longer than WMI
// is given, as no call can cut a connection short: a list read then fails with that error. What
// may end a wait, and the grace the work has then, are the wait safety's to say; this carries
// them out. A hidden window of its own hears the worker, a request to close the program (which
// stops the wait), the timer of the time limits, and the end of the session.
class Win32ServiceWork final : public IServiceWork, public BaseWindow<Win32ServiceWork> {
public:
    static constexpr const wchar_t* kClassName = L"QuenlowWork";

    Win32ServiceWork(HINSTANCE instance, WmiWorker& worker, const IWaitHost& host, WaitSafety& safety);
    ~Win32ServiceWork() override;
    Win32ServiceWork(const Win32ServiceWork&) = delete;
    Win32ServiceWork& operator=(const Win32ServiceWork&) = delete;

    void Start(WorkBoard board, Work work) override;
    WorkResult Finish() override;
    void StopWaiting() override { EndTheWait(WaitEnd::Stopped); }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    using Time = WaitSafety::Time;

    // The hidden window, made with the first piece of work.
    void CreateWindowOnce();

    // Asks for the end of the wait for the current work, from wherever the request came.
    void EndTheWait(WaitEnd why) noexcept;
    // Once the end is asked: the user's stop reaches the worker, and the progress window goes.
    void CarryOutTheEnd(WaitEnd why) noexcept;
    // Handles the thread's messages, setting the user's input aside, until the worker has ended
    // or until then (once the end of the wait is asked, until its grace has passed).
    void PumpUntil(Time until);
    // Waits for the work until it ends or the end of the wait is asked; the progress window's
    // owner is handed over to it.
    void WaitForTheWork(Time began, DisabledWindows& disabled);
    // Shows the progress window, owned by owner, until the work ends or the wait is to end.
    void ShowProgress(HWND owner);
    // The work's result once the wait is over: the worker's, or what was known of work that the
    // grace did not see end, which is given up.
    WorkResult Result();
    // Tells the wait safety when the connection the work is making must end, from the board it
    // reported, and sets the timer for the next time limit.
    void SetTheTimer();
    void OnTimer();

    HINSTANCE m_instance;
    WmiWorker& m_worker;
    const IWaitHost& m_host;
    WaitSafety& m_safety;
    bool m_started = false;
    ProgressWindow* m_progress = nullptr;
};

} // namespace quenlow
