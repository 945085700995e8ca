// Many at once: a ticked start of services that each start at once, from the press of Start until
// the message box shows, against a bare WMI program that makes the same calls one after another
// with one confirming query each, from a click on its first window until its message box shows.
// Both got ready before they were asked (COM and WMI's client loaded).
#include "bench/BareWmiCommand.h"
#include "bench/Figures.h"
#include "bench/ProcessFigures_win.h"
#include "bench/ProcessSteps_win.h"
#include "bench/ReadyWindow.h"
#include "bench/Stopwatch_win.h"
#include "bench/TickedStart_win.h"

#include "support/MessageBoxes.h"

#include <chrono>
#include <stdexcept>

namespace quenlow::bench {

namespace {

using testing::ChildProcess;

double TimeQuenlow(const std::wstring& quenlowPath, const BenchServices& services)
{
    const double elapsed = TimeTickedStart(quenlowPath, services.DisplayNames());
    services.StopAll();
    return elapsed;
}

double TimeBare(const std::wstring& commandLine, const BenchServices& services)
{
    ChildProcess bare = ChildProcess::Start(commandLine);
    const HWND ready = RequireWindow(WaitForWindow(bare, kReadyWindowClass), "the bare command program's first window");
    ::Sleep(300); // as long as quenlow.exe is left alone after the ticks
    const Stopwatch watch;
    PostClick(ready, POINT{10, 10});
    const HWND box = WaitForMessageBox(bare, kBareWmiCommandTitle);
    const double elapsed = watch.ElapsedMs();
    testing::PressOk(RequireWindow(box, "the bare command program's message box"));
    if (bare.WaitForExit(std::chrono::seconds(60)) != 0u) {
        throw std::runtime_error("the bare command program did not start every service");
    }
    services.StopAll();
    return elapsed;
}

} // namespace

int RunManyStart(int argc, wchar_t** argv, int rounds, const std::string& label)
{
    const std::wstring quenlowPath = RequiredPath(argc, argv, L"quenlow");
    const int count = IntegerOption(argc, argv, L"count", 20);
    if (count < 1) {
        throw std::invalid_argument("--count must be at least 1");
    }
    const BenchServices services(L"QuenlowBenchMany", L"Quenlow Bench Many ", count,
                                 testing::ServiceBehaviour::Ordinary, RequiredPath(argc, argv, L"service-program"));
    std::wstring bare = testing::QuoteArgument(RequiredPath(argc, argv, L"wmi-command")) + L" start";
    for (const auto& name : services.Names()) {
        bare += L" " + name;
    }
    bare += L" --wait-for-click";

    const std::string many = std::to_string(count) + " services";
    Note("ticked start of " + many + " that start at once ...");
    const auto samples = RunInterleaved(
        {
            [&] { return TimeQuenlow(quenlowPath, services); },
            [&] { return TimeBare(bare, services); },
        },
        rounds, 1);
    PrintRatio(Labelled("ticked start of " + many + " that start at once, until the box", label),
               "bare WMI: calls + 1 query each", samples[0], samples[1], 1.2);
    PrintValue(Labelled("  the ticked start, per service (median / " + std::to_string(count) + ")", label),
               SpreadOf(samples[0]).median / count, "ms", 0);
    PrintValue(Labelled("  the bare WMI program, per service (median / " + std::to_string(count) + ")", label),
               SpreadOf(samples[1]).median / count, "ms", 0);
    return 0;
}

} // namespace quenlow::bench
