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
    // Those on their way first, then those whose turn has not come, then those that settled.
    EXPECT_EQ(ProgressLines(board, 14500ms),
              (std::vector<std::wstring>{L"Beta: starting, 4 s", L"Delta: sending the start request, 4 s",
                                         L"Epsilon: not asked yet", L"Alpha: running",
                                         L"Gamma: could not be started: the service is disabled (return value 14)"}));
    // Marquee until a service's check point has moved on (Windows gives 0 for most, and many never
    // move it); then settled entries and check points count.
    EXPECT_FALSE(ProgressFraction(board));
    board.entries[1].checkPoint = 0;
    EXPECT_FALSE(ProgressFraction(board));
    board.entries[1].checkPoint = 3;
    EXPECT_DOUBLE_EQ(*ProgressFraction(board), (2 + 0.75) / 5);

    EndWait(board, WaitEnd::Stopped, 15s);
    EXPECT_EQ(board.entries[1].outcome.kind, Kind::StillPending);
    EXPECT_EQ(board.entries[4].outcome.kind, Kind::Failed);
    EXPECT_EQ(board.entries[2].outcome.returnValue, 14);
}

// However many services and however long their names, the progress window keeps its size: as
// many lines all along, at most ten, none wider than it.
TEST(WorkBoard, ProgressLinesAreCappedAndCut)
{
    std::vector<std::wstring> names;
    for (int i = 0; i < 14; ++i) names.push_back(L"Service " + std::to_wstring(i));
    names[0] = std::wstring(100, L'x');
    WorkBoard board = ServiceActionBoard(ServiceMethod::Stop, names);
    const auto lines = ProgressLines(board, 0ms);
    ASSERT_EQ(lines.size(), kMostProgressLines);
    EXPECT_EQ(lines[0], std::wstring(kLongestProgressLine - 1, L'x') + L"\u2026");
    EXPECT_EQ(lines.back(), L"\u2026and 5 more");
    board.entries[13].stage = Stage::Pending;
    board.entries[13].doing = L"stopping";
    EXPECT_EQ(ProgressLines(board, 2s).front(), L"Service 13: stopping, 2 s");
}

} // namespace
} // namespace quenlow
