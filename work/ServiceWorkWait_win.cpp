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
#include <chrono>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <utility>

namespace quenlow {

namespace {

// How long a piece of work runs before its progress window shows: a start or stop that is done
// at once looks as it always did.
constexpr std::chrono::milliseconds kProgressWindowAfter{1000};
// The worker's news, posted to the hidden window.
constexpr UINT kWorkNews = WM_APP + 1;
// The hidden window's timer: the next of the wait's time limits, the work's own or its
// connection's.
constexpr UINT_PTR kTimeLimitTimer = 1;
// No time limit: the wait goes on until the work ends or its end is asked.
constexpr auto kNoLimit = std::chrono::milliseconds::max();

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

std::chrono::milliseconds Now() noexcept
{
    return std::chrono::milliseconds(::GetTickCount64());
}

} // namespace

Win32ServiceWork::Win32ServiceWork(HINSTANCE instance, WmiWorker& worker, const IWaitHost& host, WaitSafety& safety)
    : m_instance(instance), m_worker(worker), m_host(host), m_safety(safety)
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
}

void Win32ServiceWork::SetTheTimer()
{
    const std::optional<Time> since = m_worker.LatestBoard().connectingSince;
    m_safety.ConnectionDueBy(since && !m_worker.Ended() ? std::optional<Time>(*since + kWmiAnswerLimit)
                                                        : std::nullopt);
    const std::optional<Time> next = m_safety.NextTimeLimit();
    if (!next) {
        ::KillTimer(m_window, kTimeLimitTimer);
        return;
    }
    const Time now = Now();
    ::SetTimer(m_window, kTimeLimitTimer, static_cast<UINT>(*next > now ? (*next - now).count() : 0), nullptr);
}

void Win32ServiceWork::OnTimer()
{
    SetTheTimer(); // the connection as the board says now: it may have been made meanwhile
    if (m_safety.TimeLimitReached(Now())) {
        ::KillTimer(m_window, kTimeLimitTimer);
        CarryOutTheEnd(WaitEnd::TimeUp);
    }
}

void Win32ServiceWork::PumpUntil(Time until)
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
        const Time deadline = m_safety.PumpsUntil(until);
        const Time now = Now();
        if (m_worker.Ended() || now >= deadline) {
            break;
        }
        const HANDLE ended = m_worker.EndedEvent();
        const auto timeout = std::min<Time::rep>((deadline - now).count(), INFINITE - 1);
        ::MsgWaitForMultipleObjectsEx(1, &ended, static_cast<DWORD>(timeout), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    if (quit) {
        ::PostQuitMessage(static_cast<int>(*quit));
    }
}

void Win32ServiceWork::ShowProgress(HWND owner)
{
    bool stopped = false;
    {
        ProgressWindow progress([this] { return m_worker.LatestBoard(); });
        m_progress = &progress;
        const ScopeExit forget([this] { m_progress = nullptr; });
        stopped = progress.Run(owner);
    }
    if (stopped) {
        EndTheWait(WaitEnd::Stopped); // nothing when its end was asked already
    }
}

void Win32ServiceWork::WaitForTheWork(Time began, DisabledWindows& disabled)
{
    PumpUntil(began + kProgressWindowAfter);
    if (m_worker.Ended() || m_safety.WaitEndAsked()) {
        return;
    }
    if (WindowsCanBeSeen()) {
        const HWND owner = m_host.WaitOwner();
        disabled.HandOver(owner);
        ShowProgress(owner);
    } else {
        PumpUntil(kNoLimit); // nobody could answer a progress window; the time limits end it
    }
}

WorkResult Win32ServiceWork::Finish()
{
    if (!std::exchange(m_started, false)) {
        throw std::logic_error("no work was started");
    }
    const ScopedWaitCursor busy;
    const WorkBoard begun = m_worker.LatestBoard();
    {
        m_safety.BeginWait(begun.limit ? std::optional<Time>(begun.began + *begun.limit) : std::nullopt);
        const ScopeExit waited([this] {
            m_safety.EndWait();
            ::KillTimer(m_window, kTimeLimitTimer);
        });
        SetTheTimer(); // a connection may be under way already
        DisabledWindows disabled(m_host.WaitWindows());
        if (WindowsCanBeSeen()) {
            LoadCommonControls(); // for the progress window or box to come, while the worker calls
        }
        WaitForTheWork(begun.began, disabled);
        if (m_safety.WaitEndAsked()) {
            PumpUntil(kNoLimit); // the grace, what of it is left
        }
    }
    DiscardQueuedInput();
    return Result();
}

WorkResult Win32ServiceWork::Result()
{
    const std::optional<WaitEnd> endAsked = m_safety.WaitEndAsked();
    if (!m_worker.Ended()) {
        // WMI holds the worker in a call past the grace: the wait ends all the same, with what
        // was known, and the work is given up.
        WorkResult result{m_worker.LatestBoard(), {}, true};
        m_worker.GiveUp();
        if (m_safety.ConnectionTookTooLong() && result.board.kind == WorkBoard::Kind::ReadList) {
            // A list read fails as it would have, had the connection been able to give up.
            throw NoAnswerFromWmi(kWmiAnswerLimit);
        }
        EndWait(result.board, endAsked.value_or(WaitEnd::Stopped), Now());
        return result;
    }
    WorkResult result = m_worker.TakeResult();
    result.stopped = result.stopped || endAsked.has_value();
    return result;
}

void Win32ServiceWork::EndTheWait(WaitEnd why) noexcept
{
    if (m_safety.AskWaitEnd(why, Now())) {
        CarryOutTheEnd(why);
    }
}

void Win32ServiceWork::CarryOutTheEnd(WaitEnd why) noexcept
{
    if (why == WaitEnd::Stopped) {
        // At a time limit the work has the same limit and ends by it itself, in its own words.
        m_worker.StopWaiting();
    }
    if (m_progress) {
        m_progress->StopWaiting();
    }
}

LRESULT Win32ServiceWork::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kWorkNews:
        if (m_safety.Waiting()) {
            SetTheTimer();
        }
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
        if (wParam == kTimeLimitTimer) {
            OnTimer();
        }
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam && m_safety.SessionEndEndsTheProgram()) {
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
