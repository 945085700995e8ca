// A program run where nobody can see it, as under a scheduled task or a remote shell: it finds
// itself on a window station that is not visible, what it writes to its standard handles comes
// back, and one that waits for an answer that never comes is ended at the limit.
#include "support/HiddenStationRun.h"
#include "support/RunningProcesses.h"
#include "support/TestOptions.h"
#include "support/TimeLimits.h"

#include <gtest/gtest.h>

#include <string>

namespace quenlow {
namespace {

using namespace quenlow::testing;

TEST(HiddenStationRunTest, AProgramRunsOnAStationNobodySeesAndIsEndedWhenItOutstaysTheLimit)
{
    // A windows program that reports on its standard handles where it runs.
    const std::wstring probe = ProgramBesideThisOne(L"station_probe.exe");

    const HiddenStationRun run = RunOnHiddenWindowStation(probe, L"", kProcessEndsWithin);
    ASSERT_TRUE(run.endedByItself);
    EXPECT_EQ(run.exitCode, 0u) << "1: its station is visible, 2: it cannot tell, 3: it has no standard error";
    EXPECT_EQ(run.standardError, L"window station not visible\n");
    // Its own station's desktop, not the interactive WinSta0.
    EXPECT_FALSE(run.standardOutput.starts_with(L"WinSta0")) << run.standardOutput;
    EXPECT_TRUE(run.standardOutput.ends_with(L"\\Default\n")) << run.standardOutput;

    // A message box there is answered by no one.
    const HiddenStationRun boxed = RunOnHiddenWindowStation(probe, L"--box", kNothingHappensFor);
    EXPECT_FALSE(boxed.endedByItself);
    EXPECT_FALSE(boxed.exitCode);
    const auto processes = RunningProcesses();
    const auto left = processes.find(boxed.processId);
    EXPECT_TRUE(left == processes.end() || left->second != L"station_probe.exe") << "the probe still runs";
}

} // namespace
} // namespace quenlow
