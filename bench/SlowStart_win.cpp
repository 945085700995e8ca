// A press of Start for three services that each take 3 s to start, ticked in the stopped services
// window, from the press until the message box shows, against the naive program doing the same
// job: the bare WMI command program with --look-every, which on one connection starts the same
// services in list order (each found by a query of its name, then its StartService), then asks
// WMI for their states every 200 ms until each is running, then shows its box; timed from a click
// on its window, as it got ready first as quenlow.exe does. Both are watched in the service
// manager alike, which tells when the last service got there: the box's lag after it is printed
// for each. The time against the 3 s one service takes is printed for information.
#include "bench/Figures.h"
#include "bench/ProcessFigures_win.h"
#include "bench/TickedStart_win.h"

#include "support/ChildProcess.h"
#include "support/TestServices.h"

#include <functional>
#include <string>
#include <vector>

namespace quenlow::bench {

namespace {

// How often the naive program asks for the services' states.
constexpr int kNaiveLookEveryMs = 200;

// One contender's rounds beside its times: when the last service got there, and the box's lag
// after it, noted as each round begins.
struct PressNotes {
    std::vector<double> allRunning;
    std::vector<double> lags;

    double Time(const std::function<PressTimes()>& press, const BenchServices& services)
    {
        allRunning.push_back(kFailedRound);
        lags.push_back(kFailedRound);
        const PressTimes times = press();
        services.StopAll();
        allRunning.back() = times.allRunning;
        lags.back() = times.box - times.allRunning;
        return times.box;
    }

    void Count(int rounds, int warmups)
    {
        allRunning = CountedNotes(std::move(allRunning), rounds, warmups, kFailedRound);
        lags = CountedNotes(std::move(lags), rounds, warmups, kFailedRound);
    }
};

} // namespace

int RunSlowStart(const Options& options)
{
    const std::string& label = options.Label();
    const int rounds = options.Rounds();
    const BenchServices slow = SlowServices(options.Path(L"service-program"));
    std::wstring naive = testing::QuoteArgument(options.Path(L"wmi-command")) + L" start";
    for (const auto& name : slow.Names()) {
        naive += L" " + name;
    }
    naive += L" --look-every=" + std::to_wstring(kNaiveLookEveryMs);

    const std::string figure = Labelled("ticked start of three 3-s services", label);
    Note("ticked start of three 3-s services, and the naive program doing the same job ...");
    PressNotes ours;
    PressNotes theirs;
    const auto samples = RunInterleaved(
        figure,
        {
            {"quenlow.exe", [&] { return ours.Time([&] { return TimeTickedStart(slow, true); }, slow); }},
            {"the naive program", [&] { return theirs.Time([&] { return TimeBarePress(naive, slow, true); }, slow); }},
        },
        rounds, 1, [&] { slow.StopAll(); });
    ours.Count(rounds, 1);
    theirs.Count(rounds, 1);
    const std::vector<double> threeSeconds(samples[0].size(), static_cast<double>(testing::kSlowStartTime.count()));
    PrintRatio(figure, "the naive program doing the same job", samples[0], samples[1], 1.0);
    PrintRatio(figure, "3 s", samples[0], threeSeconds, 0);
    PrintRatio(Labelled("  the naive program doing the same job", label), "3 s", samples[1], threeSeconds, 0);
    // Where the two part: the calls until the last service got there, or what came after it.
    PrintRatio(Labelled("  until the last of them got there", label), "the same, the naive program", ours.allRunning,
               theirs.allRunning, 0);
    PrintMedian(Labelled("  box after the last of them got there (ms, median)", label), ours.lags, "ms", 300);
    PrintMedian(Labelled("  the naive program's box after the last got there (ms, median)", label), theirs.lags, "ms",
                0);
    return 0;
}

} // namespace quenlow::bench
