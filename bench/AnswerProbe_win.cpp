#include "bench/AnswerProbe_win.h"
#include "common/HResultText_win.h"
#include "common/UniqueHandle_win.h"

#include <stdexcept>

namespace quenlow::bench {

namespace {

// An answer that has not come after this long is counted as this long.
constexpr UINT kLongestWait = 10'000;

} // namespace

PeriodicThread::PeriodicThread(std::function<void()> tick, std::chrono::milliseconds interval)
    : m_tick(std::move(tick)), m_interval(static_cast<DWORD>(interval.count())),
      m_stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    if (!m_stop) {
        ThrowLastError(L"CreateEventW");
    }
    m_thread = UniqueHandle(::CreateThread(nullptr, 0, &PeriodicThread::Main, this, 0, nullptr));
    if (!m_thread) {
        ThrowLastError(L"CreateThread");
    }
}

PeriodicThread::~PeriodicThread()
{
    Stop();
}

void PeriodicThread::Stop() noexcept
{
    if (m_thread) {
        ::SetEvent(m_stop.get());
        ::WaitForSingleObject(m_thread.get(), INFINITE);
        m_thread.reset();
    }
}

DWORD WINAPI PeriodicThread::Main(void* self)
{
    auto& thread = *static_cast<PeriodicThread*>(self);
    for (;;) {
        const Stopwatch watch;
        thread.m_tick();
        const auto spent = static_cast<DWORD>(watch.ElapsedMs());
        const DWORD rest = spent < thread.m_interval ? thread.m_interval - spent : 0;
        if (::WaitForSingleObject(thread.m_stop.get(), rest) == WAIT_OBJECT_0) {
            return 0;
        }
    }
}

AnswerProbe::AnswerProbe(Targets targets, std::chrono::milliseconds interval)
    : m_targets(std::move(targets)), m_start(TimestampMs()), m_thread([this] { Probe(); }, interval)
{
}

std::vector<AnswerProbe::Answer> AnswerProbe::Stop()
{
    m_thread.Stop();
    return m_answers;
}

void AnswerProbe::Probe()
{
    for (const HWND window : m_targets()) {
        wchar_t className[64] = L"";
        ::GetClassNameW(window, className, 64);
        DWORD_PTR result = 0;
        const double sent = TimestampMs();
        const LRESULT answered = ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kLongestWait, &result);
        const double delay = TimestampMs() - sent;
        if (answered) {
            m_answers.push_back({sent - m_start, delay, className});
        } else if (::GetLastError() == ERROR_TIMEOUT) {
            m_answers.push_back({sent - m_start, static_cast<double>(kLongestWait), className});
        }
        // Otherwise the window went meanwhile: nothing to count.
    }
}

} // namespace quenlow::bench
