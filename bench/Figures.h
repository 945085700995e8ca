#pragma once

#include <functional>
#include <string>
#include <vector>

// Figures measured side by side: contenders run in turn, round after round, and every figure is
// quoted as the minimum and the median of its runs. Ratios are taken pair by pair (A and B of
// the same round), so a slow patch of a shared machine weighs on both sides of a ratio alike.
namespace quenlow::bench {

struct Spread {
    double min = 0;
    double median = 0;
};

Spread SpreadOf(std::vector<double> values);

// Runs every contender once per round: `warmups` rounds that are not kept, then `rounds` that
// are. The contender that goes first moves on by one each round. Each contender returns the
// milliseconds of the part it measures; the result holds one list of those per contender.
std::vector<std::vector<double>> RunInterleaved(const std::vector<std::function<double()>>& contenders, int rounds,
                                                int warmups);

// a[i] / b[i] for every round.
std::vector<double> Ratios(const std::vector<double>& a, const std::vector<double>& b);

// The lines that scripts/bench.sh turns into its table, tab-separated:
//   RATIO  figure  reference  runs  a-min  a-median  b-min  b-median  ratio-min  ratio-median  target
//   VALUE  figure  value  unit  target
// A target of 0 means the line is for information only.
void PrintRatio(const std::string& figure, const std::string& reference, const std::vector<double>& a,
                const std::vector<double>& b, double target);
void PrintValue(const std::string& figure, double value, const std::string& unit, double target);

// The figure's name with the label (such as "+300 services") after it in brackets, when there is one.
std::string Labelled(const std::string& figure, const std::string& label);

// Progress for the person waiting, on the error stream.
void Note(const std::string& text);

} // namespace quenlow::bench
