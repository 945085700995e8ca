#include "ui/WaitSafety.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

using namespace std::chrono_literals;

// Work asked to end may still come back a moment later with what it saw: the wait goes on for
// the grace from the first ask, whatever it was waiting for, and that ask alone says why.
TEST(WaitSafety, OnceItsEndIsAskedAWaitGoesOnForTheGraceAndNoLonger)
{
    WaitSafety safety;
    EXPECT_FALSE(safety.AskWaitEnd(WaitEnd::Stopped, 0ms)) << "a stop with no wait running";
    safety.BeginWait(std::nullopt);
    EXPECT_EQ(safety.PumpsUntil(1s), 1s);
    ASSERT_TRUE(safety.AskWaitEnd(WaitEnd::Stopped, 400ms));
    EXPECT_FALSE(safety.AskWaitEnd(WaitEnd::TimeUp, 500ms));
    for (const auto until : {400ms, 1000ms, WaitSafety::Time::max()}) {
        EXPECT_EQ(safety.PumpsUntil(until), 400ms + WaitSafety::kStopGrace);
    }
    EXPECT_EQ(safety.WaitEndAsked(), WaitEnd::Stopped);
    safety.BeginWait(std::nullopt);
    EXPECT_EQ(safety.WaitEndAsked(), std::nullopt);
}

// No call cuts a connection to WMI short, so the wait times it beside the work's own limit, on
// one timer: a connection that takes its time ends the wait as time up, and says so.
TEST(WaitSafety, TheTimerIsForTheEarlierLimitAndAConnectionThatTakesItsTimeEndsTheWait)
{
    WaitSafety safety;
    safety.BeginWait(225s);
    EXPECT_EQ(safety.NextTimeLimit(), 225s);
    safety.ConnectionDueBy(60s);
    EXPECT_EQ(safety.NextTimeLimit(), 60s);
    EXPECT_FALSE(safety.TimeLimitReached(59'999ms));
    ASSERT_TRUE(safety.TimeLimitReached(60s));
    EXPECT_TRUE(safety.ConnectionTookTooLong());
    EXPECT_EQ(safety.WaitEndAsked(), WaitEnd::TimeUp);
    EXPECT_EQ(safety.NextTimeLimit(), std::nullopt) << "a timer after the end was asked";

    safety.BeginWait(std::nullopt);
    safety.ConnectionDueBy(60s);
    safety.ConnectionDueBy(std::nullopt); // made in time
    EXPECT_EQ(safety.NextTimeLimit(), std::nullopt);
    EXPECT_FALSE(safety.TimeLimitReached(10min));
    EXPECT_FALSE(safety.ConnectionTookTooLong());
}

} // namespace
} // namespace quenlow
