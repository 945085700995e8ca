#pragma once

#include "services/ServiceWork.h"

#include <chrono>
#include <cstdint>
#include <exception>
#include <optional>

namespace quenlow {

// What the window thread and the worker hand each other about the pieces of work: the number of
// the current piece, its latest board and, once it has ended, its result. A piece opened while
// another has not ended gives that one up: nothing it reports or returns counts any more. Not
// safe between threads by itself: the worker holds its lock around every call.
class WorkPost {
public:
    // A new piece of work, begun now: the window thread sees its board with that time from the
    // first moment on. Returns its number.
    std::uint64_t Open(WorkBoard board, std::chrono::milliseconds now);
    // Whether the current piece has not ended yet: given up, it may still hold a thread.
    bool Running() const noexcept { return !m_ended; }
    // The current piece is given up without another: it has not ended, and nothing it reports or
    // returns counts any more; its latest board stays.
    void GiveUp() noexcept { ++m_current; }

    // The work's report; false when the work was given up and the report is dropped.
    bool Report(std::uint64_t work, const WorkBoard& board);
    // The work's end; false when it was given up.
    bool Close(std::uint64_t work, WorkResult result, std::exception_ptr error);

    const WorkBoard& Latest() const noexcept { return m_latest; }
    // The ended work's result; an error it did not trap is thrown again here.
    WorkResult Take();

private:
    std::uint64_t m_current = 0;
    WorkBoard m_latest;
    bool m_ended = true;
    std::optional<WorkResult> m_result;
    std::exception_ptr m_error;
};

} // namespace quenlow
