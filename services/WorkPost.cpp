#include "services/WorkPost.h"

#include <utility>

namespace quenlow {

std::uint64_t WorkPost::Open(WorkBoard board, std::chrono::milliseconds now)
{
    MarkBegun(board, now);
    m_latest = std::move(board);
    m_ended = false;
    m_result.reset();
    m_error = nullptr;
    return ++m_current;
}

bool WorkPost::Report(std::uint64_t work, const WorkBoard& board)
{
    if (work != m_current) {
        return false;
    }
    m_latest = board;
    return true;
}

bool WorkPost::Close(std::uint64_t work, WorkResult result, std::exception_ptr error)
{
    if (work != m_current) {
        return false;
    }
    m_latest = result.board;
    m_result = std::move(result);
    m_error = std::move(error);
    m_ended = true;
    return true;
}

WorkResult WorkPost::Take()
{
    WorkResult result = m_result ? std::move(*m_result) : WorkResult{};
    m_result.reset();
    if (const std::exception_ptr error = std::exchange(m_error, nullptr)) {
        std::rethrow_exception(error);
    }
    return result;
}

} // namespace quenlow
