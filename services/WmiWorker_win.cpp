#include "services/WmiWorker_win.h"

#include "common/HResultText_win.h"
#include "common/UniqueHandle_win.h"
#include "services/ComApartment_win.h"
#include "services/WmiServiceAccess_win.h"
#include "services/WorkPost.h"

#include <wbemcli.h>
#include <wrl/client.h>

#include <cstdint>
#include <exception>
#include <optional>
#include <utility>

namespace quenlow {

namespace {

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
};

} // namespace

struct WmiWorker::State {
    SRWLOCK lock = SRWLOCK_INIT;
    // Everything below is read and written under the lock.
    HWND announceTo = nullptr;
    UINT message = 0;
    WorkPost post;
    SharedEvent currentStop;
    // Set once, before the first thread starts.
    SharedEvent endedEvent = NewEvent(true);
    std::shared_ptr<IServiceAccess> access;

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
    // Under the state's lock: the work handed over, and whether the thread is to end.
    std::optional<Job> next;
    bool quit = false;
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

void RunJob(State& state, Job& job, IServiceAccess& wmi, std::exception_ptr apartmentError)
{
    WorkerClock clock(job.stop);
    Reporter reporter(state, job.id);
    WorkSite site(wmi, clock, reporter, std::move(job.board));
    std::exception_ptr error = apartmentError;
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
    }
    if (counts) {
        state.Announce();
    }
}

struct ThreadStart {
    std::shared_ptr<State> state;
    std::shared_ptr<Thread> thread;
};

DWORD WINAPI WorkerMain(void* parameter)
{
    const std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
    State& state = *start->state;
    Thread& thread = *start->thread;

    std::optional<ComApartment> apartment;
    std::exception_ptr apartmentError;
    try {
        apartment.emplace();
        InitializeComSecurity();
        // Loads WMI's client now rather than in the first request.
        Microsoft::WRL::ComPtr<IWbemLocator> locator;
        ::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&locator));
    } catch (...) {
        apartmentError = std::current_exception();
    }
    WmiServiceAccess wmi;
    IServiceAccess& services = state.access ? *state.access : wmi;
    for (;;) {
        ::WaitForSingleObject(thread.wake.get(), INFINITE);
        std::optional<Job> job;
        {
            const ExclusiveLock hold(state.lock);
            job = std::exchange(thread.next, std::nullopt);
            // Work given up before this thread came to it is not run: it would only hold WMI.
            if (thread.quit) {
                return 0;
            }
        }
        if (job) {
            RunJob(state, *job, services, apartmentError);
            ::SetEvent(thread.wake.get()); // to see whether it is to end, or has more work
        }
    }
}

} // namespace

WmiWorker::WmiWorker(std::shared_ptr<IServiceAccess> access) : m_state(std::make_shared<State>())
{
    m_state->access = std::move(access);
}

WmiWorker::~WmiWorker()
{
    bool stuck = false;
    {
        const ExclusiveLock hold(m_state->lock);
        m_state->announceTo = nullptr;
        if (m_state->currentStop) {
            ::SetEvent(m_state->currentStop.get());
        }
        stuck = m_state->post.Running();
        if (m_thread) {
            m_thread->quit = true;
        }
    }
    if (m_thread) {
        ::SetEvent(m_thread->wake.get());
        if (!stuck) {
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

void WmiWorker::Start(WorkBoard board, Work work)
{
    SharedEvent stop = NewEvent(true);
    std::shared_ptr<Thread> leftBehind;
    std::optional<Job> job;
    {
        const ExclusiveLock hold(m_state->lock);
        if (m_state->post.Running()) {
            // The work before is given up; its thread may be held by WMI, so it is left to end
            // by itself once its call returns.
            ::SetEvent(m_state->currentStop.get());
            if (m_thread) {
                m_thread->quit = true;
                leftBehind = std::exchange(m_thread, nullptr);
            }
        }
        const std::uint64_t id = m_state->post.Open(std::move(board), TickNow());
        m_state->currentStop = stop;
        ::ResetEvent(m_state->endedEvent.get());
        job = Job{id, m_state->post.Latest(), std::move(work), std::move(stop)};
    }
    if (leftBehind) {
        ::SetEvent(leftBehind->wake.get());
    }
    if (!m_thread) {
        StartThread();
    }
    {
        const ExclusiveLock hold(m_state->lock);
        m_thread->next = std::move(job);
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
    // For now as Stop Waiting: the next Start leaves a thread that has not ended behind.
    StopWaiting();
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
