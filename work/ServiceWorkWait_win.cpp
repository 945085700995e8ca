#include "work/ServiceWorkWait_win.h"

#include "common/ApplicationTitle.h"
#include "common/HResultText_win.h"
#include "common/ScopeExit.h"
#include "ui/DisabledWindows_win.h"
#include "ui/WaitCursor_win.h"
#include "ui/WindowClass_win.h"
#include "work/ProgressWindow_win.h"

#include <optional>
#include <stdexcept>
#include <utility>

namespace quenlow {

namespace {

// How long a piece of work runs before its progress window shows: a start or stop that is done
// at once looks as it always did.
constexpr ULONGLONG kProgressWindowAfter = 1000;
// How long a worker that was told to stop waiting is given to say how far it came; one that WMI
// holds in a request is not waited for.
constexpr ULONGLONG kStopGrace = 250;
// The worker's news, posted to the hidden window.
constexpr UINT kWorkNews = WM_APP + 1;

bool IsUserInput(UINT message) noexcept
{
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

// Drops the keys and clicks that wait in the thread's queue. A request to quit comes out of a
// filtered look too (under Wine at least) and is kept.
void DiscardQueuedInput() noexcept
{
    constexpr std::pair<UINT, UINT> kInputRanges[] = {
        {WM_KEYFIRST, WM_KEYLAST}, {WM_MOUSEFIRST, WM_MOUSELAST}, {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK}};
    std::optional<WPARAM> quit;
    for (const auto& [first, last] : kInputRanges) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, first, last, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = message.wParam;
            }
        }
    }
    if (quit) {
        ::PostQuitMessage(static_cast<int>(*quit));
    }
}

} // namespace

Win32ServiceWork::Win32ServiceWork(HINSTANCE instance, WmiWorker& worker, const IWaitHost& host)
    : m_instance(instance), m_worker(worker), m_host(host)
{
}

void Win32ServiceWork::CreateWindowOnce()
{
    if (m_window) {
        return;
    }
    WNDCLASSEXW windowClass{};
    windowClass.lpfnWndProc = &Win32ServiceWork::WindowProcedure;
    windowClass.hInstance = m_instance;
    windowClass.lpszClassName = kClassName;
    RegisterWindowClassOnce(windowClass);
    // Top-level, so that it hears the end of the session and a request to close the program;
    // never shown.
    if (!::CreateWindowExW(0, kClassName, kApplicationTitle, WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, m_instance,
                           this)) {
        ThrowLastError(L"creating the window that hears the worker");
    }
    m_worker.Announce(m_window, kWorkNews);
}

Win32ServiceWork::~Win32ServiceWork()
{
    m_worker.Announce(nullptr, 0);
    if (m_window) {
        ::DestroyWindow(m_window);
    }
}

void Win32ServiceWork::Start(WorkBoard board, Work work)
{
    CreateWindowOnce();
    m_worker.Start(std::move(board), std::move(work));
    m_started = true;
    m_stopAsked = false;
    m_startedAt = ::GetTickCount64();
}

void Win32ServiceWork::PumpUntil(ULONGLONG deadline)
{
    std::optional<WPARAM> quit;
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = message.wParam; // for the message loop, once the wait is over
            } else if (!IsUserInput(message.message)) {
                ::DispatchMessageW(&message);
            }
        }
        const ULONGLONG now = ::GetTickCount64();
        if (m_worker.Ended() || m_stopAsked || now >= deadline) {
            break;
        }
        const HANDLE ended = m_worker.EndedEvent();
        ::MsgWaitForMultipleObjectsEx(1, &ended, static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                      MWMO_INPUTAVAILABLE);
    }
    if (quit) {
        ::PostQuitMessage(static_cast<int>(*quit));
    }
}

bool Win32ServiceWork::ShowProgress()
{
    ProgressWindow progress([this] { return m_worker.LatestBoard(); });
    m_progress = &progress;
    const ScopeExit forget([this] { m_progress = nullptr; });
    return progress.Run(m_host.WaitOwner());
}

WorkResult Win32ServiceWork::Finish()
{
    if (!std::exchange(m_started, false)) {
        throw std::logic_error("no work was started");
    }
    const ScopedWaitCursor busy;
    bool stopped = false;
    {
        m_waiting = true;
        const ScopeExit waited([this] { m_waiting = false; });
        const DisabledWindows disabled(m_host.WaitWindows());
        PumpUntil(m_startedAt + kProgressWindowAfter);
        stopped = m_stopAsked;
        if (!m_worker.Ended() && !stopped) {
            stopped = ShowProgress();
        }
        if (stopped) {
            m_worker.StopWaiting();
            m_stopAsked = false;
            PumpUntil(::GetTickCount64() + kStopGrace);
        }
    }
    DiscardQueuedInput();
    if (!m_worker.Ended()) {
        // WMI holds the worker in a request: the wait ends all the same, with what was known.
        WorkResult result{m_worker.LatestBoard(), {}, true};
        quenlow::StopWaiting(result.board);
        return result;
    }
    WorkResult result = m_worker.TakeResult();
    result.stopped = result.stopped || stopped;
    return result;
}

void Win32ServiceWork::StopWaiting() noexcept
{
    if (!m_waiting) {
        return;
    }
    m_stopAsked = true;
    if (m_progress) {
        m_progress->StopWaiting();
    }
}

LRESULT Win32ServiceWork::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kWorkNews:
        if (m_progress) {
            if (m_worker.Ended()) {
                m_progress->Close();
            } else {
                m_progress->Refresh();
            }
        }
        return 0;
    case WM_CLOSE:
        // Someone asks the program to close (taskkill without /F, for example): the wait ends.
        StopWaiting();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam && m_waiting) {
            m_worker.StopWaiting();
            ::ExitProcess(static_cast<UINT>(m_host.ExitStatusAtSessionEnd()));
        }
        return 0;
    default:
        break;
    }
    return CallDefault(message, wParam, lParam);
}

} // namespace quenlow
