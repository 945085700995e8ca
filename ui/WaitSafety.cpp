#include "ui/WaitSafety.h"

#include <algorithm>
#include <utility>

namespace quenlow {

bool WaitSafety::KeepClose(WindowId window) noexcept
{
    if (!m_handled) {
        return false;
    }
    m_closesKept[IndexOf(window)] = true;
    return true;
}

std::vector<WindowId> WaitSafety::TakeClosesKept()
{
    std::vector<WindowId> closes;
    for (std::size_t i = 0; i < kWindowCount; ++i) {
        if (std::exchange(m_closesKept[i], false)) {
            closes.push_back(static_cast<WindowId>(i));
        }
    }
    return closes;
}

void WaitSafety::BeginWait(std::optional<Time> limitAt) noexcept
{
    m_waiting = true;
    m_limitAt = limitAt;
    m_connectionDueBy.reset();
    m_endAsked.reset();
    m_connectionTookTooLong = false;
}

void WaitSafety::ConnectionDueBy(std::optional<Time> at) noexcept
{
    if (m_waiting) {
        m_connectionDueBy = at;
    }
}

bool WaitSafety::AskWaitEnd(WaitEnd why, Time now) noexcept
{
    if (!m_waiting || m_endAsked) {
        return false; // nothing to end, or the first ask and its reason stand
    }
    m_endAsked = EndAsk{why, now};
    return true;
}

bool WaitSafety::TimeLimitReached(Time now) noexcept
{
    const bool connection = m_connectionDueBy && now >= *m_connectionDueBy;
    const bool limit = m_limitAt && now >= *m_limitAt;
    if (!(connection || limit) || !AskWaitEnd(WaitEnd::TimeUp, now)) {
        return false;
    }
    m_connectionTookTooLong = connection;
    return true;
}

std::optional<WaitSafety::Time> WaitSafety::NextTimeLimit() const noexcept
{
    if (!m_waiting || m_endAsked || !(m_limitAt || m_connectionDueBy)) {
        return std::nullopt;
    }
    return std::min(m_limitAt.value_or(Time::max()), m_connectionDueBy.value_or(Time::max()));
}

WaitSafety::Time WaitSafety::PumpsUntil(Time until) const noexcept
{
    // Whatever the wait was to wait for when the end was asked: work given up at once would
    // lose a look or a call that comes back a moment later, and leave its worker behind.
    return m_endAsked ? m_endAsked->at + kStopGrace : until;
}

std::optional<WaitEnd> WaitSafety::WaitEndAsked() const noexcept
{
    return m_endAsked ? std::optional<WaitEnd>(m_endAsked->why) : std::nullopt;
}

} // namespace quenlow
