#include "work/ServiceWorkWait_win.h"

#include "common/ApplicationTitle.h"
#include "common/HResultText_win.h"
#include "common/ScopeExit.h"
#include "ui/CommonControls_win.h"
#include "ui/Desktop_win.h"
#include "ui/DisabledWindows_win.h"
#include "ui/WaitCursor_win.h"
#include "ui/WindowClass_win.h"
#include "work/ProgressWindow_win.h"

#include <algorithm>
#include <iterator>
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
// The hidden window's timers: the end of a piece of work's time, and of its connection's.
constexpr UINT_PTR kLimitTimer = 1;
constexpr UINT_PTR kConnectionTimer = 2;

// The keys and clicks: dropped while the work runs, as they were meant for what the wait covers.
constexpr std::pair<UINT, UINT> kInputRanges[] = {
    {WM_KEYFIRST, WM_KEYLAST}, {WM_MOUSEFIRST, WM_MOUSELAST}, {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK}};

bool IsUserInput(UINT message) noexcept
{
    return std::any_of(std::begin(kInputRanges), std::end(kInputRanges),
                       [message](const auto& range) { return message >= range.first && message <= range.second; });
}

// Drops the keys and clicks that wait in the thread's queue. A request to quit comes out of a
// filtered look too (under Wine at least) and is kept.
void DiscardQueuedInput() noexcept
{
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
    ::KillTimer(m_window, kConnectionTimer);
    m_worker.Start(std::move(board), std::move(work));
    m_started = true;
    m_endAsked.reset();
    m_connectionTooLong = false;
}

std::optional<ULONGLONG> Win32ServiceWork::ConnectionLimitAt() const
{
    const std::optional<std::chrono::milliseconds> since = m_worker.LatestBoard().connectingSince;
    if (!m_waiting || !since || m_worker.Ended()) {
        return std::nullopt;
    }
    return static_cast<ULONGLONG>((*since + kWmiAnswerLimit).count());
}

void Win32ServiceWork::WatchTheConnection()
{
    const std::optional<ULONGLONG> limitAt = ConnectionLimitAt();
    if (!limitAt) {
        ::KillTimer(m_window, kConnectionTimer);
        return;
    }
    const ULONGLONG now = ::GetTickCount64();
    ::SetTimer(m_window, kConnectionTimer, static_cast<UINT>(*limitAt > now ? *limitAt - now : 0), nullptr);
}

void Win32ServiceWork::OnConnectionTimer()
{
    if (const std::optional<ULONGLONG> limitAt = ConnectionLimitAt(); limitAt && ::GetTickCount64() >= *limitAt) {
        ::KillTimer(m_window, kConnectionTimer);
        m_connectionTooLong = true;
        EndTheWait(WaitEnd::TimeUp);
    } else {
        WatchTheConnection(); // none any more, or a later connection of the same work
    }
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
        if (m_worker.Ended() || m_endAsked || now >= deadline) {
            break;
        }
        const HANDLE ended = m_worker.EndedEvent();
        ::MsgWaitForMultipleObjectsEx(1, &ended, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, INFINITE - 1)),
                                      QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    if (quit) {
        ::PostQuitMessage(static_cast<int>(*quit));
    }
}

void Win32ServiceWork::ShowProgress(HWND owner)
{
    ProgressWindow progress([this] { return m_worker.LatestBoard(); });
    m_progress = &progress;
    const ScopeExit forget([this] { m_progress = nullptr; });
    if (progress.Run(owner) && !m_endAsked) {
        m_endAsked = WaitEnd::Stopped;
    }
}

void Win32ServiceWork::WaitForTheWork(ULONGLONG began, ULONGLONG limitAt, DisabledWindows& disabled)
{
    PumpUntil(std::min(began + kProgressWindowAfter, limitAt));
    if (m_worker.Ended() || m_endAsked) {
        return;
    }
    if (const ULONGLONG now = ::GetTickCount64(); limitAt != kNoLimit) {
        ::SetTimer(m_window, kLimitTimer, static_cast<UINT>(limitAt > now ? limitAt - now : 0), nullptr);
    }
    const ScopeExit noTimer([this] { ::KillTimer(m_window, kLimitTimer); });
    if (WindowsCanBeSeen()) {
        const HWND owner = m_host.WaitOwner();
        disabled.HandOver(owner);
        ShowProgress(owner);
    } else {
        PumpUntil(limitAt); // nobody could answer a progress window
    }
    if (!m_worker.Ended() && !m_endAsked && ::GetTickCount64() >= limitAt) {
        m_endAsked = WaitEnd::TimeUp;
    }
}

WorkResult Win32ServiceWork::Finish()
{
    if (!std::exchange(m_started, false)) {
        throw std::logic_error("no work was started");
    }
    const ScopedWaitCursor busy;
    const WorkBoard begun = m_worker.LatestBoard();
    const ULONGLONG limitAt =
        begun.limit ? static_cast<ULONGLONG>((begun.began + *begun.limit).count()) : kNoLimit;
    {
        m_waiting = true;
        const ScopeExit waited([this] { m_waiting = false; });
        WatchTheConnection(); // one already under way when the wait begins
        DisabledWindows disabled(m_host.WaitWindows());
        if (WindowsCanBeSeen()) {
            LoadCommonControls(); // for the progress window or box to come, while the worker calls
        }
        WaitForTheWork(static_cast<ULONGLONG>(begun.began.count()), limitAt, disabled);
        if (m_endAsked) {
            m_worker.StopWaiting();
            PumpUntil(::GetTickCount64() + kStopGrace);
        }
    }
    ::KillTimer(m_window, kConnectionTimer);
    DiscardQueuedInput();
    if (!m_worker.Ended()) {
        // WMI holds the worker in a call: the wait ends all the same, with what was known, and
        // the worker's next piece of work gets a thread of its own.
        WorkResult result{m_worker.LatestBoard(), {}, true};
        if (m_connectionTooLong && result.board.kind == WorkBoard::Kind::ReadList) {
            // A list read fails as it would have, had the connection been able to give up.
            throw NoAnswerFromWmi(kWmiAnswerLimit);
        }
        EndWait(result.board, m_endAsked.value_or(WaitEnd::Stopped), std::chrono::milliseconds(::GetTickCount64()));
        return result;
    }
    WorkResult result = m_worker.TakeResult();
    result.stopped = result.stopped || m_endAsked.has_value();
    return result;
}

void Win32ServiceWork::EndTheWait(WaitEnd why) noexcept
{
    if (!m_waiting || m_endAsked) {
        return;
    }
    m_endAsked = why;
    if (m_progress) {
        m_progress->StopWaiting();
    }
}

LRESULT Win32ServiceWork::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kWorkNews:
        WatchTheConnection();
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
        EndTheWait(WaitEnd::Stopped);
        return 0;
    case WM_TIMER:
        if (wParam == kLimitTimer) {
            ::KillTimer(m_window, kLimitTimer);
            EndTheWait(WaitEnd::TimeUp);
        } else if (wParam == kConnectionTimer) {
            OnConnectionTimer();
        }
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
