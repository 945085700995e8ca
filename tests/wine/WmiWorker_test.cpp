// The worker thread on its own, with the tests' fake services: what the window thread gets back
// from it when work is given up, when it reports, and when it fails.
#include "common/Error.h"
#include "common/UniqueHandle_win.h"
#include "services/WmiWorker_win.h"

#include "FakeServiceAccess.h"
#include "support/TimeLimits.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <memory>

namespace quenlow {
namespace {

using namespace std::chrono_literals;
using testing::kReactionComesWithin;

bool Signalled(HANDLE event)
{
    return ::WaitForSingleObject(event, static_cast<DWORD>(kReactionComesWithin.count())) == WAIT_OBJECT_0;
}

TEST(WmiWorker, ASecondStartGivesUpTheFirstWhoseLateReportsAndEndNoLongerCount)
{
    WmiWorker worker(std::make_shared<testing::FakeServiceAccess>());
    const UniqueHandle firstRuns(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    worker.Start(ListReadBoard(L"first"), [&](WorkSite& site) {
        ::SetEvent(firstRuns.get());
        site.clock.WaitFor(60s); // ends at once when the work is given up
        site.board.listName = L"first, given up";
        site.Report();
        site.texts = {L"from the first"};
    });
    ASSERT_TRUE(Signalled(firstRuns.get()));
    worker.Start(ListReadBoard(L"second"), [](WorkSite& site) { site.texts = {L"from the second"}; });

    ASSERT_TRUE(Signalled(worker.EndedEvent()));
    const WorkResult result = worker.TakeResult();
    EXPECT_EQ(result.texts, std::vector<std::wstring>{L"from the second"});
    EXPECT_EQ(result.board.listName, L"second");
    EXPECT_FALSE(result.stopped);
    ::Sleep(100); // room for a stale report to arrive, if one could
    EXPECT_EQ(worker.LatestBoard().listName, L"second");
}

TEST(WmiWorker, AnErrorTheWorkDidNotTrapIsThrownOnTheWindowThread)
{
    WmiWorker worker(std::make_shared<testing::FakeServiceAccess>());
    worker.Start(ListReadBoard(L"failing"), [](WorkSite&) { throw Error(static_cast<std::int32_t>(0x8004100Eu), L"Invalid namespace"); });
    ASSERT_TRUE(Signalled(worker.EndedEvent()));
    try {
        worker.TakeResult();
        ADD_FAILURE() << "the work's error was lost";
    } catch (const Error& error) {
        EXPECT_EQ(error.Number(), static_cast<std::int32_t>(0x8004100Eu));
        EXPECT_EQ(error.Description(), L"Invalid namespace");
    }
    // The worker goes on with the next piece of work.
    worker.Start(ListReadBoard(L"next"), [](WorkSite& site) { site.texts = {L"read"}; });
    ASSERT_TRUE(Signalled(worker.EndedEvent()));
    EXPECT_EQ(worker.TakeResult().texts, std::vector<std::wstring>{L"read"});
}

} // namespace
} // namespace quenlow
