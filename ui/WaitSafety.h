#pragma once

#include "common/ScopeExit.h"
#include "common/WaitEnd.h"
#include "ui/UserInterface.h"

#include <array>
#include <chrono>
#include <optional>
#include <vector>

namespace quenlow {

// What may happen while the window thread waits inside an event handler. A handler that waits
// for the services, or for the user in a message box, handles the thread's messages meanwhile,
// so other events, closes, timers and the session's end arrive in the middle of it. This is the
// one place that says what becomes of them; the program's rules, the windows and the wait ask it:
// - one handler runs at a time: an event that arrives while one runs is dropped, and so is every
//   event once the program has ended;
// - a window closed from outside while a handler runs (its title bar, the task bar's Close, End
//   task, WM_CLOSE) is closed once the handler is done, and the handler's wait ends as with Stop
//   Waiting; the handler does nothing more for that window (its list is not read again);
// - a wait for the services ends at the first ask: the user's, a close's, the work's time limit
//   or a connection's. The work then has a short grace in which to end by itself: what it saw
//   counts, and its worker is kept. The user's input is set aside for as long as a wait runs,
//   and the session's end during one ends the program at once.
// Times are steady milliseconds, read by the caller.
class WaitSafety {
public:
    using Time = std::chrono::milliseconds;
    // How long work asked to end is given to end by itself: a look or a call that comes back
    // within it counts. One that WMI holds longer is given up.
    static constexpr Time kStopGrace{250};

    // ---- Handlers ------------------------------------------------------------------------------
    // Runs the handler of an event of the window, unless a handler runs already or the program
    // has ended; whether it ran.
    template <typename Handler>
    bool RunHandler(WindowId window, Handler&& handler)
    {
        if (m_handled || m_programEnded) {
            return false;
        }
        m_handled = window;
        const ScopeExit done([this] { m_handled.reset(); });
        handler();
        return true;
    }
    // The window whose event is being handled, while a handler runs.
    std::optional<WindowId> HandledWindow() const noexcept { return m_handled; }
    // A box asks the user something until it is answered: the arrow shows then, and otherwise,
    // while a handler runs, the wait cursor.
    void BoxShown() noexcept { ++m_boxes; }
    void BoxAnswered() noexcept { --m_boxes; }
    bool ShowsWaitCursor() const noexcept { return m_handled && m_boxes == 0; }

    // ---- Closes from outside -------------------------------------------------------------------
    // The window was closed from outside. True when a handler runs: the close is kept until the
    // handler is done, and the caller ends the handler's wait. False: the caller closes it now.
    bool KeepClose(WindowId window) noexcept;
    // Whether the window's close is kept for the end of the handler that runs: it is final, and
    // the handler leaves the window alone.
    bool CloseKept(WindowId window) const noexcept { return m_closesKept[IndexOf(window)]; }
    // The closes kept, in window order, once the handler is done; each is given once.
    std::vector<WindowId> TakeClosesKept();

    // ---- The program's end ---------------------------------------------------------------------
    void EndProgram() noexcept { m_programEnded = true; }
    bool ProgramEnded() const noexcept { return m_programEnded; }

    // ---- A wait for the services ---------------------------------------------------------------
    // A wait begins; it is to end at limitAt whatever its work does (nullopt: no limit).
    void BeginWait(std::optional<Time> limitAt) noexcept;
    void EndWait() noexcept { m_waiting = false; }
    bool Waiting() const noexcept { return m_waiting; }
    // The connection to WMI that the work is making must end by then (no call cuts one short);
    // nullopt: it makes none now.
    void ConnectionDueBy(std::optional<Time> at) noexcept;
    // Asks the wait to end; true for the first ask of a wait that runs: the progress window goes.
    bool AskWaitEnd(WaitEnd why, Time now) noexcept;
    // A time limit may have come: asks the end when one has; true when that is the first ask.
    bool TimeLimitReached(Time now) noexcept;
    // When a time limit is next to be looked at; nullopt: none is, or the end is asked already.
    std::optional<Time> NextTimeLimit() const noexcept;
    // Until when the wait goes on handling messages for its work, meant to go on until `until`:
    // once its end is asked, until the grace has passed.
    Time PumpsUntil(Time until) const noexcept;
    // Why the latest wait was asked to end, if it was; and whether for a connection that took
    // its whole time.
    std::optional<WaitEnd> WaitEndAsked() const noexcept;
    bool ConnectionTookTooLong() const noexcept { return m_connectionTookTooLong; }
    // Whether the session's end ends the program at once: during a wait, which cannot end in
    // the time the system gives.
    bool SessionEndEndsTheProgram() const noexcept { return m_waiting; }

private:
    struct EndAsk {
        WaitEnd why;
        Time at;
    };

    std::optional<WindowId> m_handled;
    int m_boxes = 0;
    std::array<bool, kWindowCount> m_closesKept{};
    bool m_programEnded = false;
    bool m_waiting = false;
    std::optional<Time> m_limitAt;
    std::optional<Time> m_connectionDueBy;
    std::optional<EndAsk> m_endAsked;
    bool m_connectionTookTooLong = false;
};

} // namespace quenlow
