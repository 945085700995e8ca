#pragma once

#include "services/ServiceWork.h"

#include <windows.h>

#include <functional>
#include <memory>

namespace quenlow {

// Threads of the program's own that carry out work on the services through WMI, one piece at a
// time, each in the multithreaded COM apartment. Their waits end as soon as the user stops
// waiting, and from then on the work asks WMI nothing more. A piece of work that is given up
// while WMI holds its thread in a call is left behind on that thread, which asks nothing more and
// ends once the call returns; the next piece runs on a fresh thread, and waits for the call left
// behind only where both would touch WMI's service table at once (DESIGN.md, Threads). At most
// two threads are left behind: beyond that the next piece of work ends at once, as WMI is still
// busy with work that was given up. A thread whose COM set-up failed reports it to the piece of
// work it was started for and ends. What the work reports, and its end, are kept here for the
// window thread and announced by a message posted to a window of its choosing; the window thread
// never waits on WMI.
class WmiWorker {
public:
    // The services are reached through WMI unless another access is given (a benchmark's source
    // of names); either is used on the worker's threads only. threadSetUp runs on each thread
    // after COM's set-up, and its failure counts as COM's (the tests make one fail).
    explicit WmiWorker(std::shared_ptr<IServiceAccess> access = nullptr, std::function<void()> threadSetUp = {});
    // Asks the thread to end after its current piece; does not wait for a WMI that hangs.
    ~WmiWorker();
    WmiWorker(const WmiWorker&) = delete;
    WmiWorker& operator=(const WmiWorker&) = delete;

    // Where news of the work is posted: the message, with no parameters.
    void Announce(HWND window, UINT message) noexcept;

    // Starts a thread, its COM apartment and WMI's client, so that the first piece of work
    // finds them ready; the program does this once its first window is on screen.
    void Warm();

    // Starts the work, with its board marked begun now. Work started before that has not ended
    // is given up, as by GiveUp.
    void Start(WorkBoard board, Work work);
    // Asks the current work to stop waiting: its waits end at once, and it sends no further
    // request; a query or call already with WMI may still end, and what it saw counts.
    void StopWaiting() noexcept;
    // The window thread no longer waits for the current work: nothing it does counts any more, a
    // walk of a query result stops at once and no further WMI call is made. Its thread is kept
    // for the next piece of work if it has ended by then, and left behind if not.
    void GiveUp() noexcept;

    // The current work's board as it last reported it.
    WorkBoard LatestBoard() const;
    // Signalled once the current work has ended.
    HANDLE EndedEvent() const noexcept;
    bool Ended() const noexcept;
    // The ended work's result; an error it did not trap is thrown again here.
    WorkResult TakeResult();

    // What the threads share with the window thread; it outlives the worker while a thread that
    // was left behind still waits for WMI.
    struct State;
    // One thread and the work handed to it.
    struct Thread;

private:
    void StartThread();
    // Under the state's lock: lets go of the thread if WMI still holds it in work that was given
    // up, or its set-up failed. False when the first would leave more threads behind than allowed.
    bool MakeRoom();

    std::shared_ptr<State> m_state;
    std::shared_ptr<Thread> m_thread;
};

} // namespace quenlow
