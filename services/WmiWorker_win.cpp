#include "services/WmiWorker_win.h"

#include "common/HResultText_win.h"
#include "common/ScopeExit.h"
#include "common/UniqueHandle_win.h"
#include "services/ComApartment_win.h"
#include "services/ServiceOutcome.h"
#include "services/WmiServiceAccess_win.h"
#include "services/WorkPost.h"

#include <wbemcli.h>
#include <wrl/client.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <utility>

namespace quenlow {

namespace {

// How many threads may be left behind in calls of work that was given up. One is the usual case:
// a call that WMI holds to its own limit (a start that never reports: about 12 s under Wine, 30 s
// on Windows; a connection: up to 2 min). A second lets the user give up once more meanwhile.
// Beyond that WMI itself is stuck: each further thread would hold one more apartment, WMI client
// and connection, waiting in the same queue and answered no sooner.
constexpr int kMostThreadsLeftBehind = 2;

using SharedEvent = std::shared_ptr<std::remove_pointer_t<HANDLE>>;

SharedEvent NewEvent(bool manualReset)
{
    const HANDLE event = ::CreateEventW(nullptr, manualReset, FALSE, nullptr);
    if (!event) {
        ThrowLastError(L"creating an event for the worker thread");
    }
    return SharedEvent(event, [](HANDLE handle) { ::CloseHandle(handle); });
}

std::chrono::milliseconds TickNow() noexcept
{
    return std::chrono::milliseconds(::GetTickCount64());
}

// Time on the worker: its waits end as soon as the user stops waiting.
class WorkerClock final : public IClock {
public:
    explicit WorkerClock(SharedEvent stop) : m_stop(std::move(stop)) {}

    std::chrono::milliseconds Now() override { return TickNow(); }
    void WaitFor(std::chrono::milliseconds duration) override
    {
        ::WaitForSingleObject(m_stop.get(), static_cast<DWORD>(std::max<std::chrono::milliseconds::rep>(duration.count(), 0)));
    }
    bool StopRequested() override { return ::WaitForSingleObject(m_stop.get(), 0) == WAIT_OBJECT_0; }

private:
    SharedEvent m_stop;
};

struct Job {
    std::uint64_t id;
    WorkBoard board;
    Work work;
    SharedEvent stop;
    SharedEvent givenUp;
};

// WMI as work meets it when the worker does not take it on: busy.
class BusyServiceAccess final : public IServiceAccess {
public:
    std::unique_ptr<IServiceConnection> fConnectWmi() override { throw WmiBusyWithGivenUpWork(); }
    bool CallerIsElevated() override { return true; }
};

} // namespace

struct WmiWorker::State {
    SRWLOCK lock = SRWLOCK_INIT;
    // Everything below is read and written under the lock.
    HWND announceTo = nullptr;
    UINT message = 0;
    WorkPost post;
    SharedEvent currentStop;
    SharedEvent currentGivenUp;
    // Threads left behind in calls of work that was given up, not ended yet.
    int leftBehind = 0;
    // Set once, before the first thread starts.
    SharedEvent endedEvent = NewEvent(true);
    std::shared_ptr<IServiceAccess> access;
    std::function<void()> threadSetUp;

    // Under the lock: the current work, if it has not ended, is given up.
    void GiveUpCurrent() noexcept
    {
        if (post.Running()) {
            ::SetEvent(currentStop.get());
            ::SetEvent(currentGivenUp.get());
            post.GiveUp();
        }
    }

    void Announce()
    {
        HWND window = nullptr;
        UINT posted = 0;
        {
            const ExclusiveLock hold(lock);
            window = announceTo;
            posted = message;
        }
        if (window) {
            ::PostMessageW(window, posted, 0, 0);
        }
    }
};

struct WmiWorker::Thread {
    // Under the state's lock: the work handed over; whether the thread has a piece of work (from
    // its handing over to its end); whether it is to end once it has none, left behind or not;
    // and whether it has ended (or is about to), never to be given work again.
    std::optional<Job> next;
    bool busy = false;
    bool quit = false;
    bool leftBehind = false;
    bool ended = false;
    // Set once, before the thread starts.
    SharedEvent wake = NewEvent(false);
    UniqueHandle handle;
};

namespace {

using State = WmiWorker::State;
using Thread = WmiWorker::Thread;

// Hands the work's board to the window thread while the work still counts.
class Reporter final : public IWorkReport {
public:
    Reporter(State& state, std::uint64_t id) : m_state(state), m_id(id) {}

    void Update(const WorkBoard& board) override
    {
        bool counts = false;
        {
            const ExclusiveLock hold(m_state.lock);
            counts = m_state.post.Report(m_id, board);
        }
        if (counts) {
            m_state.Announce();
        }
    }

private:
    State& m_state;
    std::uint64_t m_id;
};

// Under the state's lock: the thread ends, and no longer counts as left behind.
void EndThread(State& state, Thread& thread) noexcept
{
    thread.ended = true;
    if (thread.leftBehind) {
        --state.leftBehind;
    }
}

// Runs the work and hands over its end. The thread, if it runs on one of its own, is free for the
// next piece from the same moment (or ends, if it is to), so that work started as soon as this
// has ended finds it.
void RunJob(State& state, Job& job, IServiceAccess& wmi, std::exception_ptr setUpError, Thread* thread,
            WmiWorkEvents* events)
{
    WorkerClock clock(job.stop);
    Reporter reporter(state, job.id);
    WorkSite site(wmi, clock, reporter, std::move(job.board));
    if (events) {
        *events = {job.stop.get(), job.givenUp.get(), [&site](bool waiting) { site.WaitingForGivenUpWork(waiting); }};
    }
    const ScopeExit forget([events] {
        if (events) {
            *events = {};
        }
    });
    std::exception_ptr error = setUpError;
    if (!error) {
        try {
            job.work(site);
        } catch (...) {
            error = std::current_exception();
        }
    }
    bool counts = false;
    {
        const ExclusiveLock hold(state.lock);
        counts = state.post.Close(job.id, WorkResult{std::move(site.board), std::move(site.texts), clock.StopRequested()},
                                  error);
        if (counts) {
            ::SetEvent(state.endedEvent.get());
        }
        if (thread) {
            thread->busy = false;
            // A thread whose set-up failed has reported it, and the next piece of work gets a new one.
            if (thread->quit || setUpError) {
                EndThread(state, *thread);
            }
        }
    }
    if (counts) {
        state.Announce();
    }
}

struct ThreadStart {
    std::shared_ptr<State> state;
    std::shared_ptr<Thread> thread;
};

// The thread's COM apartment and security, and WMI's client loaded now rather than in the first
// request; what failed, if anything did.
std::exception_ptr SetUpThread(std::optional<ComApartment>& apartment, const std::function<void()>& more)
{
    try {
        apartment.emplace();
        InitializeComSecurity();
        Microsoft::WRL::ComPtr<IWbemLocator> locator;
        ::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&locator));
        if (more) {
            more();
        }
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

DWORD WINAPI WorkerMain(void* parameter)
{
    const std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
    State& state = *start->state;
    Thread& thread = *start->thread;

    std::optional<ComApartment> apartment;
    const std::exception_ptr setUpError = SetUpThread(apartment, state.threadSetUp);
    WmiWorkEvents events;
    WmiServiceAccess wmi(&events);
    IServiceAccess& services = state.access ? *state.access : wmi;
    for (;;) {
        ::WaitForSingleObject(thread.wake.get(), INFINITE);
        std::optional<Job> job;
        {
            const ExclusiveLock hold(state.lock);
            job = std::exchange(thread.next, std::nullopt);
            // Work given up before this thread came to it is not run: it would only hold WMI.
            if (thread.quit) {
                EndThread(state, thread);
                return 0;
            }
        }
        if (!job) {
            continue;
        }
        RunJob(state, *job, services, setUpError, &thread, &events);
        const ExclusiveLock hold(state.lock);
        if (thread.ended) {
            return 0;
        }
    }
}

} // namespace

WmiWorker::WmiWorker(std::shared_ptr<IServiceAccess> access, std::function<void()> threadSetUp)
    : m_state(std::make_shared<State>())
{
    m_state->access = std::move(access);
    m_state->threadSetUp = std::move(threadSetUp);
}

WmiWorker::~WmiWorker()
{
    bool busy = false;
    {
        const ExclusiveLock hold(m_state->lock);
        m_state->announceTo = nullptr;
        m_state->GiveUpCurrent();
        if (m_thread) {
            busy = m_thread->busy;
            m_thread->quit = true;
        }
    }
    if (m_thread) {
        ::SetEvent(m_thread->wake.get());
        if (!busy) {
            // Time for COM to be left tidily; a thread that WMI holds is left behind with the process.
            ::WaitForSingleObject(m_thread->handle.get(), 2000);
        }
    }
}

void WmiWorker::Announce(HWND window, UINT message) noexcept
{
    const ExclusiveLock hold(m_state->lock);
    m_state->announceTo = window;
    m_state->message = message;
}

void WmiWorker::Warm()
{
    if (!m_thread) {
        StartThread();
    }
}

void WmiWorker::StartThread()
{
    auto thread = std::make_shared<Thread>();
    // The thread holds the state and itself from its first instruction on.
    auto start = std::make_unique<ThreadStart>(ThreadStart{m_state, thread});
    thread->handle.reset(::CreateThread(nullptr, 0, &WorkerMain, start.get(), 0, nullptr));
    if (!thread->handle) {
        ThrowLastError(L"starting the thread that talks to WMI");
    }
    start.release();
    m_thread = std::move(thread);
}

bool WmiWorker::MakeRoom()
{
    if (!m_thread || m_thread->ended) {
        m_thread = nullptr;
        return true;
    }
    if (!m_thread->busy) {
        return true; // a thread whose work ended, given up or not, is kept
    }
    // WMI still holds it in work that was given up: it is left to end by itself once its call
    // returns, and the next piece runs on a thread of its own.
    if (m_state->leftBehind >= kMostThreadsLeftBehind) {
        return false;
    }
    m_thread->quit = true;
    m_thread->leftBehind = true;
    ++m_state->leftBehind;
    m_thread = nullptr;
    return true;
}

void WmiWorker::Start(WorkBoard board, Work work)
{
    SharedEvent stop = NewEvent(true);
    SharedEvent givenUp = NewEvent(true);
    std::optional<Job> job;
    bool room = false;
    {
        const ExclusiveLock hold(m_state->lock);
        m_state->GiveUpCurrent();
        room = MakeRoom();
        const std::uint64_t id = m_state->post.Open(std::move(board), TickNow());
        m_state->currentStop = stop;
        m_state->currentGivenUp = givenUp;
        ::ResetEvent(m_state->endedEvent.get());
        job = Job{id, m_state->post.Latest(), std::move(work), std::move(stop), std::move(givenUp)};
    }
    if (!room) {
        // No thread is added: the work ends at once, as WMI answers it only that it is busy.
        BusyServiceAccess busy;
        RunJob(*m_state, *job, busy, nullptr, nullptr, nullptr);
        return;
    }
    if (!m_thread) {
        StartThread();
    }
    {
        const ExclusiveLock hold(m_state->lock);
        m_thread->next = std::move(job);
        m_thread->busy = true;
    }
    ::SetEvent(m_thread->wake.get());
}

void WmiWorker::StopWaiting() noexcept
{
    const ExclusiveLock hold(m_state->lock);
    if (m_state->currentStop) {
        ::SetEvent(m_state->currentStop.get());
    }
}

void WmiWorker::GiveUp() noexcept
{
    const ExclusiveLock hold(m_state->lock);
    m_state->GiveUpCurrent();
}

WorkBoard WmiWorker::LatestBoard() const
{
    const ExclusiveLock hold(m_state->lock);
    return m_state->post.Latest();
}

HANDLE WmiWorker::EndedEvent() const noexcept
{
    return m_state->endedEvent.get();
}

bool WmiWorker::Ended() const noexcept
{
    const ExclusiveLock hold(m_state->lock);
    return !m_state->post.Running();
}

WorkResult WmiWorker::TakeResult()
{
    const ExclusiveLock hold(m_state->lock);
    return m_state->post.Take();
}

} // namespace quenlow
