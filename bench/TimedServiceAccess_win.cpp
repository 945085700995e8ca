#include "bench/TimedServiceAccess_win.h"

#include "bench/Stopwatch_win.h"

namespace quenlow::bench {

namespace {

class TimedResult final : public IServiceResult {
public:
    TimedResult(std::unique_ptr<IServiceResult> inner, TimedServiceAccess& times)
        : m_inner(std::move(inner)), m_times(times)
    {
    }

    std::unique_ptr<IServiceObject> Next() override
    {
        auto next = m_inner->Next();
        if (!next) {
            m_times.NoteLastRead();
        }
        return next;
    }

private:
    std::unique_ptr<IServiceResult> m_inner;
    TimedServiceAccess& m_times;
};

class TimedConnection final : public IServiceConnection {
public:
    TimedConnection(std::unique_ptr<IServiceConnection> inner, TimedServiceAccess& times)
        : m_inner(std::move(inner)), m_times(times)
    {
    }

    std::unique_ptr<IServiceResult> ExecQuery(std::wstring_view query, std::span<const std::wstring_view> keep,
                                              std::chrono::milliseconds answerWithin) override
    {
        return std::make_unique<TimedResult>(m_inner->ExecQuery(query, keep, answerWithin), m_times);
    }

    void VisitQuery(std::wstring_view query, std::span<const std::wstring_view> keep,
                    std::chrono::milliseconds answerWithin,
                    const std::function<void(IServiceObject&)>& visit) override
    {
        m_inner->VisitQuery(query, keep, answerWithin, visit);
        m_times.NoteLastRead();
    }

private:
    std::unique_ptr<IServiceConnection> m_inner;
    TimedServiceAccess& m_times;
};

} // namespace

std::unique_ptr<IServiceConnection> TimedServiceAccess::fConnectWmi()
{
    NoteConnect();
    return std::make_unique<TimedConnection>(m_inner->fConnectWmi(), *this);
}

void TimedServiceAccess::NoteConnect() noexcept
{
    m_connectAsked = TimestampMs();
}

void TimedServiceAccess::NoteLastRead() noexcept
{
    m_lastRead = TimestampMs();
}

} // namespace quenlow::bench
