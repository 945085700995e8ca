#include "services/WorkPost.h"

#include "common/Error.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

using namespace std::chrono_literals;

// The window thread shows the board of a piece of work from its first moment: a list read that
// never reports counts its time from its own start, not from the computer's.
TEST(WorkPost, TheWindowThreadSeesTheTimeOfTheWorkFromItsStart)
{
    WorkPost post;
    post.Open(ListReadBoard(L"stopped services"), 5'613'000ms);
    EXPECT_EQ(ProgressLines(post.Latest(), 5'615'500ms), std::vector<std::wstring>{L"Waiting for WMI, 2 s"});
}

TEST(WorkPost, APieceOpenedBeforeTheLastEndedGivesItUpAndOnlyItsOwnWordsCount)
{
    WorkPost post;
    const auto first = post.Open(ListReadBoard(L"first"), 0ms);
    EXPECT_TRUE(post.Running());
    const auto second = post.Open(ListReadBoard(L"second"), 1s);
    WorkBoard late = ListReadBoard(L"first, late");
    EXPECT_FALSE(post.Report(first, late));
    EXPECT_FALSE(post.Close(first, {late, {L"old"}, false}, nullptr));
    EXPECT_EQ(post.Latest().listName, L"second");
    EXPECT_TRUE(post.Running());

    EXPECT_TRUE(post.Close(second, {post.Latest(), {L"new"}, false},
                           std::make_exception_ptr(Error(5, L"Access denied"))));
    EXPECT_FALSE(post.Running());
    EXPECT_THROW(post.Take(), Error);
    EXPECT_TRUE(post.Take().texts.empty()) << "an error is thrown once";

    // Given up without another: it has not ended, and nothing of it counts any more.
    const auto third = post.Open(ListReadBoard(L"third"), 2s);
    post.GiveUp();
    EXPECT_FALSE(post.Report(third, late));
    EXPECT_FALSE(post.Close(third, {late, {L"late"}, false}, nullptr));
    EXPECT_TRUE(post.Running());
    EXPECT_EQ(post.Latest().listName, L"third");
}

} // namespace
} // namespace quenlow
