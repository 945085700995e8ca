// The worker thread on its own, with the tests' fake services: what the window thread gets back
// from it when work is given up, when it reports, and when it fails.
#include "common/Error.h"
#include "common/UniqueHandle_win.h"
#include "services/ServiceJobs.h"
#include "services/ServiceOutcome.h"
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

// Work that WMI holds in a call until the test lets it go, whatever the worker asks of it.
class HeldInWmi {
public:
    ~HeldInWmi() { Release(); }
    Work Hold(DWORD& thread)
    {
        return [this, &thread](WorkSite& site) {
            thread = ::GetCurrentThreadId();
            ::SetEvent(m_holding.get());
            ::WaitForSingleObject(m_release.get(), INFINITE);
            site.texts = {L"too late"};
        };
    }
    bool Holding() { return Signalled(m_holding.get()); }
    void Release() { ::SetEvent(m_release.get()); }

private:
    UniqueHandle m_holding{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    UniqueHandle m_release{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// Given up while WMI holds it, work leaves its thread behind and the next piece runs on a thread
// of its own, at once; two threads at most are left behind, and beyond them the next piece of
// work ends at once in plain words.
TEST(WmiWorker, GivenUpWorkLeavesAtMostTwoThreadsBehind)
{
    WmiWorker worker(std::make_shared<testing::FakeServiceAccess>());
    HeldInWmi wmi;
    DWORD threads[3] = {};
    for (DWORD& thread : threads) {
        worker.Start(ListReadBoard(L"held"), wmi.Hold(thread));
        ASSERT_TRUE(wmi.Holding()) << "the work did not run at once";
        worker.GiveUp();
    }
    EXPECT_NE(threads[0], threads[1]);
    worker.Start(ListReadBoard(L"beyond"), ReadServiceList(L"SELECT * FROM Win32_Service"));
    ASSERT_TRUE(worker.Ended()) << "beyond the bound the work did not end at once";
    try {
        worker.TakeResult();
        ADD_FAILURE() << "the list was read";
    } catch (const Error& error) {
        EXPECT_EQ(ErrorReason(error), L"WMI is still busy with work that was given up");
    }
    const EntryRequest start = [](const PressServices& found, const std::wstring& text) {
        return SendToEntry(found, text, ServiceMethod::Start);
    };
    worker.Start(ServiceActionBoard(ServiceMethod::Start, {L"A"}), ActOnDisplayNames(start));
    ASSERT_TRUE(worker.Ended());
    EXPECT_EQ(worker.TakeResult().board.entries[0].outcome.reason, L"WMI is still busy with work that was given up");

    // Once WMI lets go, the threads left behind end.
    const UniqueHandle first(::OpenThread(SYNCHRONIZE, FALSE, threads[0]));
    wmi.Release();
    EXPECT_TRUE(Signalled(first.get())) << "a thread left behind did not end";
}

// A thread whose work has ended, here once it was asked to stop waiting, is kept for the next
// piece of work from the moment the work's end is announced.
TEST(WmiWorker, AThreadWhoseWorkEndedIsKept)
{
    WmiWorker worker(std::make_shared<testing::FakeServiceAccess>());
    DWORD threads[2] = {};
    for (DWORD& thread : threads) {
        worker.Start(ListReadBoard(L"list"), [&thread](WorkSite& site) {
            thread = ::GetCurrentThreadId();
            site.clock.WaitFor(60s);
        });
        worker.StopWaiting();
        ASSERT_TRUE(Signalled(worker.EndedEvent()));
    }
    EXPECT_EQ(threads[0], threads[1]);
}

// A thread whose COM set-up failed says so to the work it was started for, and the next piece of
// work gets a new one.
TEST(WmiWorker, AThreadWhoseSetUpFailedIsReplaced)
{
    int setUps = 0;
    WmiWorker worker(std::make_shared<testing::FakeServiceAccess>(), [&setUps] {
        if (++setUps == 1) {
            throw Error(static_cast<std::int32_t>(0x800401F0u), L"CoInitialize has not been called");
        }
    });
    for (const bool fails : {true, false}) {
        worker.Start(ListReadBoard(L"list"), [](WorkSite& site) { site.texts = {L"read"}; });
        ASSERT_TRUE(Signalled(worker.EndedEvent()));
        if (fails) {
            EXPECT_THROW(worker.TakeResult(), Error);
        } else {
            EXPECT_EQ(worker.TakeResult().texts, std::vector<std::wstring>{L"read"});
        }
    }
    EXPECT_EQ(setUps, 2);
}

} // namespace
} // namespace quenlow
