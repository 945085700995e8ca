#pragma once

#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

// Figures measured side by side: contenders run in turn, round after round, and every figure is
// quoted as the minimum and the median of its runs. Ratios are taken pair by pair (A and B of
// the same round), so a slow patch of a shared machine weighs on both sides of a ratio alike.
// A contender that fails in a round loses that round only: the failure is reported, the round is
// counted as failed on its rows, and the run goes on.
namespace quenlow::bench {

// A round in which a contender failed: it pairs with nothing, and spreads leave it out; sums and
// differences with it stay failed.
inline constexpr double kFailedRound = std::numeric_limits<double>::quiet_NaN();
bool IsFailed(double value) noexcept;

struct Spread {
    double min = kFailedRound;
    double median = kFailedRound;
    std::size_t measured = 0; // the values the spread was taken from
};

// Of the values that were measured; kFailedRound for both when none was.
Spread SpreadOf(std::vector<double> values);

// The least and the most a median of these values can be, with about 95 % confidence (the
// order statistics that a binomial count puts around the middle, whatever the distribution);
// nullopt when fewer than six were measured, as no such range exists then.
struct Range {
    double low = 0;
    double high = 0;
};
std::optional<Range> MedianRange(std::vector<double> values);

// One side of a figure: what the log calls it, and what it measures in one round, in milliseconds;
// it throws when it fails.
struct Contender {
    std::string name;
    std::function<double()> time;
};

// Runs `measure` for one contender's round; when it throws, the failure is reported (a FAILURE
// line, and the error stream) and false comes back. `round` counts from 0, warm-ups first.
bool Attempt(const std::string& what, const std::string& who, int round, int warmups,
             const std::function<void()>& measure);

// Runs every contender once per round: `warmups` rounds that are not kept, then `rounds` that
// are. The contender that goes first moves on by one each round. The result holds one list of
// times per contender, kFailedRound where it failed; `recover` (when given) runs after a failure,
// to bring back what the next contender expects (services stopped, say). A contender that failed
// kGiveUpAfter rounds in a row is not run again in this part: its remaining rounds fail too.
inline constexpr int kGiveUpAfter = 3;
std::vector<std::vector<double>> RunInterleaved(const std::string& what, const std::vector<Contender>& contenders,
                                                int rounds, int warmups, const std::function<void()>& recover = {});

// What a contender noted of its own rounds besides its time, one note pushed as each of its rounds
// begins (a round that fails keeps the note as it was pushed): the warm-ups' notes are left out,
// and the rounds it was no longer run in are added as `failed`, so that note i is round i's.
template <typename T>
std::vector<T> CountedNotes(std::vector<T> notes, int rounds, int warmups, const T& failed)
{
    notes.resize(static_cast<std::size_t>(rounds + warmups), failed);
    notes.erase(notes.begin(), notes.begin() + warmups);
    return notes;
}

// a[i] / b[i] for every round; kFailedRound where either failed.
std::vector<double> Ratios(const std::vector<double>& a, const std::vector<double>& b);

// The lines that scripts/bench.sh turns into its table, tab-separated; "-" stands for a figure
// that could not be measured:
//   RATIO    figure  reference  rounds  paired  a-failed  b-failed  a-min  a-median  b-min  b-median
//            ratio-min  ratio-median  median-low  median-high  target
//   VALUE    figure  value  unit  target  rounds  failed            (rounds "-": not a median of rounds)
//   FAILURE  what  contender  round  error
// A target of 0 means the line is for information only.
void PrintRatio(const std::string& figure, const std::string& reference, const std::vector<double>& a,
                const std::vector<double>& b, double target);
// `rounds` and `failed`, when given, say how many counted rounds the value comes from.
void PrintValue(const std::string& figure, double value, const std::string& unit, double target,
                std::size_t rounds = 0, std::size_t failed = 0);
// The median of one contender's rounds, with how many were measured and how many failed.
void PrintMedian(const std::string& figure, const std::vector<double>& rounds, const std::string& unit,
                 double target);

// The figure's name with the label (such as "+300 services") after it in brackets, when there is one.
std::string Labelled(const std::string& figure, const std::string& label);

// Progress for the person waiting, on the error stream.
void Note(const std::string& text);

} // namespace quenlow::bench
