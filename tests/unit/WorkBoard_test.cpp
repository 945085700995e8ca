#include "services/WorkBoard.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

using namespace std::chrono_literals;
using Kind = ServiceOutcome::Kind;
using Stage = WorkEntry::Stage;

TEST(WorkBoard, ProgressTextsSayWhatEachServiceIsDoing)
{
    WorkBoard board = ServiceActionBoard(ServiceMethod::Start, {L"Alpha", L"Beta", L"Gamma", L"Delta", L"Epsilon"});
    MarkBegun(board, 10s);
    board.entries[0].stage = Stage::Settled;
    board.entries[0].outcome.kind = Kind::Succeeded;
    board.entries[1].stage = Stage::Pending;
    board.entries[1].doing = L"starting";
    board.entries[2].stage = Stage::Settled;
    RecordFailure(board.entries[2].outcome, L"the service is disabled", 14);
    board.entries[3].stage = Stage::Asking;
    EXPECT_EQ(ProgressHeadline(board), L"Starting 5 services");
    EXPECT_EQ(ProgressLines(board, 14500ms),
              (std::vector<std::wstring>{L"Alpha: running", L"Beta: starting, 4 s",
                                         L"Gamma: could not be started: the service is disabled (return value 14)",
                                         L"Delta: sending the start request, 4 s", L"Epsilon: not asked yet"}));
    // Marquee until a service reports check points; then settled entries and check points count.
    EXPECT_FALSE(ProgressFraction(board));
    board.entries[1].checkPoint = 3;
    EXPECT_DOUBLE_EQ(*ProgressFraction(board), (2 + 0.75) / 5);

    EndWait(board, WaitEnd::Stopped, 15s);
    EXPECT_EQ(board.entries[1].outcome.kind, Kind::StillPending);
    EXPECT_EQ(board.entries[4].outcome.kind, Kind::Failed);
    EXPECT_EQ(board.entries[2].outcome.returnValue, 14);
}

} // namespace
} // namespace quenlow
