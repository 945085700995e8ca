#pragma once

#include "services/ServiceWork.h"

#include <windows.h>

#include <memory>

namespace quenlow {

// Threads of the program's own that carry out work on the services through WMI, one piece at a
// time, each in the multithreaded COM apartment. Their waits end as soon as the user stops
// waiting. A piece of work that is given up while WMI holds its thread in a call is left behind
// on that thread, which ends once the call returns; the next piece runs on a fresh thread, so
// nothing new ever waits behind a call that was given up. What the work reports, and its end,
// are kept here for the window thread and announced by a message posted to a window of its
// choosing; the window thread never waits on WMI.
class WmiWorker {
public:
    // The services are reached through WMI unless another access is given (a benchmark's source
    // of names); either is used on the worker's threads only.
    explicit WmiWorker(std::shared_ptr<IServiceAccess> access = nullptr);
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
    // is given up: it is asked to stop waiting, and nothing it does counts any more.
    void Start(WorkBoard board, Work work);
    // Asks the current work to stop waiting.
    void StopWaiting() noexcept;
    // The window thread no longer waits for the current work: nothing it does counts any more,
    // and it makes no further WMI call. A worker that has ended is kept for the next work.
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

    std::shared_ptr<State> m_state;
    std::shared_ptr<Thread> m_thread;
};

} // namespace quenlow
