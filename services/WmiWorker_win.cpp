#include "services/WmiWorker_win.h"

#include "common/HResultText_win.h"
#include "common/UniqueHandle_win.h"
#include "services/ComApartment_win.h"
#include "services/WmiServiceAccess_win.h"

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

// Time on the worker: its waits end as soon as the user stops waiting.
class WorkerClock final : public IClock {
public:
    explicit WorkerClock(SharedEvent stop) : m_stop(std::move(stop)) {}

    std::chrono::milliseconds Now() override { return std::chrono::milliseconds(::GetTickCount64()); }
    void WaitFor(std::chrono::milliseconds duration) override
    {
        ::WaitForSingleObject(m_stop.get(), static_cast<DWORD>(std::max<std::chrono::milliseconds::rep>(duration.count(), 0)));
    }
    bool StopRequested() override { return ::WaitForSingleObject(m_stop.get(), 0) == WAIT_OBJECT_0; }

private:
    SharedEvent m_stop;
};

} // namespace

struct WmiWorker::State {
    struct Job {
        std::uint64_t id;
        WorkBoard board;
        Work work;
        SharedEvent stop;
    };

    SRWLOCK lock = SRWLOCK_INIT;
    // Everything below is read and written under the lock.
    HWND announceTo = nullptr;
    UINT message = 0;
    std::uint64_t lastId = 0;
    std::uint64_t currentId = 0; // the work whose reports count
    SharedEvent currentStop;
    std::optional<Job> next;
    WorkBoard latest;
    bool ended = true;
    std::optional<WorkResult> result;
    std::exception_ptr error;
    bool quit = false;
    // Set once, before the thread starts.
    SharedEvent wake = NewEvent(false);
    SharedEvent endedEvent = NewEvent(true);
    UniqueHandle thread;
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

namespace {

// Hands the work's board to the window thread while the work still counts.
class Reporter final : public IWorkReport {
public:
    Reporter(WmiWorker::State& state, std::uint64_t id) : m_state(state), m_id(id) {}

    void Update(const WorkBoard& board) override
    {
        {
            const ExclusiveLock hold(m_state.lock);
            if (m_state.currentId != m_id) {
                return;
            }
            m_state.latest = board;
        }
        m_state.Announce();
    }

private:
    WmiWorker::State& m_state;
    std::uint64_t m_id;
};

void RunJob(WmiWorker::State& state, WmiWorker::State::Job& job, IServiceAccess& wmi, std::exception_ptr apartmentError)
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
    {
        const ExclusiveLock hold(state.lock);
        if (state.currentId != job.id) {
            return; // given up
        }
        state.latest = site.board;
        state.result = WorkResult{std::move(site.board), std::move(site.texts), clock.StopRequested()};
        state.error = error;
        state.ended = true;
        ::SetEvent(state.endedEvent.get());
    }
    state.Announce();
}

DWORD WINAPI WorkerMain(void* parameter)
{
    const std::unique_ptr<std::shared_ptr<WmiWorker::State>> handedOver(
        static_cast<std::shared_ptr<WmiWorker::State>*>(parameter));
    const std::shared_ptr<WmiWorker::State> state = *handedOver;

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
    IServiceAccess& services = state->access ? *state->access : wmi;
    for (;;) {
        ::WaitForSingleObject(state->wake.get(), INFINITE);
        std::optional<WmiWorker::State::Job> job;
        {
            const ExclusiveLock hold(state->lock);
            if (state->quit) {
                return 0;
            }
            job = std::exchange(state->next, std::nullopt);
        }
        if (job) {
            RunJob(*state, *job, services, apartmentError);
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
    {
        const ExclusiveLock hold(m_state->lock);
        m_state->quit = true;
        m_state->announceTo = nullptr;
        if (m_state->currentStop) {
            ::SetEvent(m_state->currentStop.get());
        }
    }
    ::SetEvent(m_state->wake.get());
    if (m_state->thread) {
        // Time for COM to be left tidily; a WMI that hangs is left behind with the process.
        ::WaitForSingleObject(m_state->thread.get(), 2000);
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
    if (!m_state->thread) {
        StartThread();
    }
}

void WmiWorker::StartThread()
{
    // The thread owns its own hold on the state from its first instruction on.
    auto* handedOver = new std::shared_ptr<State>(m_state);
    m_state->thread.reset(::CreateThread(nullptr, 0, &WorkerMain, handedOver, 0, nullptr));
    if (!m_state->thread) {
        delete handedOver;
        ThrowLastError(L"starting the thread that talks to WMI");
    }
}

void WmiWorker::Start(WorkBoard board, Work work)
{
    SharedEvent stop = NewEvent(true);
    {
        const ExclusiveLock hold(m_state->lock);
        if (!m_state->ended && m_state->currentStop) {
            ::SetEvent(m_state->currentStop.get());
        }
        const std::uint64_t id = ++m_state->lastId;
        m_state->currentId = id;
        m_state->currentStop = stop;
        m_state->latest = board;
        m_state->ended = false;
        m_state->result.reset();
        m_state->error = nullptr;
        ::ResetEvent(m_state->endedEvent.get());
        m_state->next = State::Job{id, std::move(board), std::move(work), std::move(stop)};
    }
    if (!m_state->thread) {
        StartThread();
    }
    ::SetEvent(m_state->wake.get());
}

void WmiWorker::StopWaiting() noexcept
{
    const ExclusiveLock hold(m_state->lock);
    if (m_state->currentStop) {
        ::SetEvent(m_state->currentStop.get());
    }
}

WorkBoard WmiWorker::LatestBoard() const
{
    const ExclusiveLock hold(m_state->lock);
    return m_state->latest;
}

HANDLE WmiWorker::EndedEvent() const noexcept
{
    return m_state->endedEvent.get();
}

bool WmiWorker::Ended() const noexcept
{
    const ExclusiveLock hold(m_state->lock);
    return m_state->ended;
}

WorkResult WmiWorker::TakeResult()
{
    std::exception_ptr error;
    WorkResult result;
    {
        const ExclusiveLock hold(m_state->lock);
        error = std::exchange(m_state->error, nullptr);
        if (m_state->result) {
            result = std::move(*m_state->result);
            m_state->result.reset();
        }
    }
    if (error) {
        std::rethrow_exception(error);
    }
    return result;
}

} // namespace quenlow
