#include "ui/ServiceWorkWait_win.h"

#include "common/HResultText_win.h"
#include "common/ScopedWaitCursor_win.h"
#include "ui/ProgressWindow_win.h"
#include "ui/WindowClass_win.h"

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

std::vector<HWND> DisableAll(const std::vector<HWND>& windows)
{
    std::vector<HWND> disabled;
    for (const HWND window : windows) {
        if (window && ::IsWindowEnabled(window)) {
            ::EnableWindow(window, FALSE);
            disabled.push_back(window);
        }
    }
    return disabled;
}

void EnableAll(const std::vector<HWND>& windows)
{
    for (const HWND window : windows) {
        if (::IsWindow(window)) {
            ::EnableWindow(window, TRUE);
        }
    }
}

} // namespace

Win32ServiceWork::Win32ServiceWork(HINSTANCE instance, std::wstring title, WmiWorker& worker, Host host)
    : m_instance(instance), m_title(std::move(title)), m_worker(worker), m_host(std::move(host))
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
    if (!::CreateWindowExW(0, kClassName, m_title.c_str(), WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, m_instance,
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

WorkResult Win32ServiceWork::Finish()
{
    if (!std::exchange(m_started, false)) {
        throw std::logic_error("no work was started");
    }
    const ScopedWaitCursor busy;
    m_waiting = true;
    const std::vector<HWND> disabled = DisableAll(m_host.windows ? m_host.windows() : std::vector<HWND>());

    PumpUntil(m_startedAt + kProgressWindowAfter);
    bool stopped = m_stopAsked;
    if (!m_worker.Ended() && !stopped) {
        ProgressWindow progress(m_title, [this] { return m_worker.LatestBoard(); });
        m_progress = &progress;
        struct Forget {
            ProgressWindow*& progress;
            ~Forget() { progress = nullptr; }
        } forget{m_progress};
        stopped = progress.Run(m_host.owner ? m_host.owner() : nullptr);
    }
    if (stopped) {
        m_worker.StopWaiting();
        m_stopAsked = false;
        PumpUntil(::GetTickCount64() + kStopGrace);
    }

    EnableAll(disabled);
    DiscardQueuedInput();
    m_waiting = false;
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
            ::ExitProcess(static_cast<UINT>(m_host.exitStatusAtSessionEnd));
        }
        return 0;
    default:
        break;
    }
    return CallDefault(message, wParam, lParam);
}

} // namespace quenlow
