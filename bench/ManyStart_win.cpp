// Many at once: a ticked start of services that each start at once, from the press of Start until
// the message box shows, against a bare WMI program that makes the same calls one after another
// with one confirming query each, from a click on its first window until its message box shows.
// Both got ready before they were asked (COM and WMI's client loaded).
#include "bench/Figures.h"
#include "bench/ProcessFigures_win.h"
#include "bench/TickedStart_win.h"

#include "support/ChildProcess.h"

#include <stdexcept>

namespace quenlow::bench {

int RunManyStart(const Options& options)
{
    const std::string& label = options.Label();
    const int count = options.Number(L"count", 20);
    if (count < 1) {
        throw std::invalid_argument("--count must be at least 1");
    }
    const BenchServices services(L"QuenlowBenchMany", L"Quenlow Bench Many ", count,
                                 testing::ServiceBehaviour::Ordinary, options.Path(L"service-program"));
    std::wstring bare = testing::QuoteArgument(options.Path(L"wmi-command")) + L" start";
    for (const auto& name : services.Names()) {
        bare += L" " + name;
    }

    const std::string many = std::to_string(count) + " services";
    const std::string figure = Labelled("ticked start of " + many + " that start at once, until the box", label);
    Note("ticked start of " + many + " that start at once ...");
    const auto samples = RunInterleaved(
        figure,
        {
            {"quenlow.exe",
             [&] {
                 const double elapsed = TimeTickedStart(services, false).box;
                 services.StopAll();
                 return elapsed;
             }},
            {"the bare command program",
             [&] {
                 const double elapsed = TimeBarePress(bare, services, false).box;
                 services.StopAll();
                 return elapsed;
             }},
        },
        options.Rounds(), 1, [&] { services.StopAll(); });
    PrintRatio(figure, "bare WMI: calls + 1 query each", samples[0], samples[1], 0.8);
    PrintValue(Labelled("  the ticked start, per service (median / " + std::to_string(count) + ")", label),
               SpreadOf(samples[0]).median / count, "ms", 0);
    PrintValue(Labelled("  the bare WMI program, per service (median / " + std::to_string(count) + ")", label),
               SpreadOf(samples[1]).median / count, "ms", 0);
    return 0;
}

} // namespace quenlow::bench
