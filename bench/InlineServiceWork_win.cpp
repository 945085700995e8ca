#include "bench/InlineServiceWork_win.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace quenlow::bench {

namespace {

class SleepingClock final : public IClock {
public:
    std::chrono::milliseconds Now() override { return std::chrono::milliseconds(::GetTickCount64()); }
    void WaitFor(std::chrono::milliseconds duration) override
    {
        ::Sleep(static_cast<DWORD>(std::max<std::chrono::milliseconds::rep>(duration.count(), 0)));
    }
    bool StopRequested() override { return false; }
};

class NoReport final : public IWorkReport {
public:
    void Update(const WorkBoard&) override {}
};

} // namespace

void InlineServiceWork::Start(WorkBoard board, Work work)
{
    m_next = Piece{std::move(board), std::move(work)};
}

WorkResult InlineServiceWork::Finish()
{
    if (!m_next || !m_services) {
        throw std::logic_error("no work was started, or there is no service source");
    }
    Piece piece = std::move(*m_next);
    m_next.reset();
    SleepingClock clock;
    NoReport report;
    WorkSite site(*m_services, clock, report, std::move(piece.board));
    piece.work(site);
    return WorkResult{std::move(site.board), std::move(site.texts), false};
}

} // namespace quenlow::bench
