#include "bench/Figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <stdexcept>

namespace quenlow::bench {

namespace {

std::vector<double> Measured(std::vector<double> values)
{
    std::erase_if(values, [](double value) { return IsFailed(value); });
    std::sort(values.begin(), values.end());
    return values;
}

std::size_t FailedCount(const std::vector<double>& values)
{
    return static_cast<std::size_t>(std::count_if(values.begin(), values.end(), IsFailed));
}

// A figure for a line: "-" when it could not be measured.
std::string Figure(double value, const char* format = "%.2f")
{
    if (IsFailed(value)) {
        return "-";
    }
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Errors go on one line of the table's list.
std::string OneLine(std::string text)
{
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    return text;
}

} // namespace

bool IsFailed(double value) noexcept
{
    return std::isnan(value);
}

Spread SpreadOf(std::vector<double> values)
{
    values = Measured(std::move(values));
    if (values.empty()) {
        return {};
    }
    const std::size_t middle = values.size() / 2;
    const double median =
        values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
    return {values.front(), median, values.size()};
}

std::optional<Range> MedianRange(std::vector<double> values)
{
    values = Measured(std::move(values));
    const std::size_t n = values.size();
    // The k-th smallest and the k-th largest hold the median with a probability of
    // 1 - 2 P(Binomial(n, 1/2) < k): k is the largest that keeps that at 95 % or more.
    double below = 0;
    double term = std::pow(0.5, static_cast<double>(n)); // P(B = 0)
    std::size_t k = 0;
    for (std::size_t i = 0; i < n / 2; ++i) {
        below += term;
        if (2 * below > 0.05) {
            break;
        }
        k = i + 1;
        term = term * static_cast<double>(n - i) / static_cast<double>(i + 1);
    }
    if (k == 0) {
        return std::nullopt;
    }
    return Range{values[k - 1], values[n - k]};
}

bool Attempt(const std::string& what, const std::string& who, int round, int warmups,
             const std::function<void()>& measure)
{
    try {
        measure();
        return true;
    } catch (const std::exception& error) {
        const std::string when = round < warmups ? "warm-up" : std::to_string(round - warmups + 1);
        std::printf("FAILURE\t%s\t%s\t%s\t%s\n", OneLine(what).c_str(), OneLine(who).c_str(), when.c_str(),
                    OneLine(error.what()).c_str());
        std::fflush(stdout);
        Note("bench: " + what + ": " + who + " failed in round " + when + ": " + error.what());
        return false;
    }
}

std::vector<std::vector<double>> RunInterleaved(const std::string& what, const std::vector<Contender>& contenders,
                                                int rounds, int warmups, const std::function<void()>& recover)
{
    const std::size_t count = contenders.size();
    std::vector<std::vector<double>> samples(count);
    std::vector<int> failedInARow(count, 0);
    // Once what a failure left behind cannot be brought back, no round can be trusted: the
    // rounds left count as failed, and what was measured is printed all the same.
    bool recovered = true;
    for (int round = 0; round < warmups + rounds; ++round) {
        std::vector<double> times(count, kFailedRound);
        for (std::size_t step = 0; step < count && recovered; ++step) {
            const std::size_t which = (static_cast<std::size_t>(round) + step) % count;
            if (failedInARow[which] >= kGiveUpAfter) {
                continue;
            }
            const Contender& contender = contenders[which];
            if (Attempt(what, contender.name, round, warmups, [&] { times[which] = contender.time(); })) {
                failedInARow[which] = 0;
                continue;
            }
            if (++failedInARow[which] == kGiveUpAfter) {
                Note("bench: " + what + ": " + contender.name + " failed " + std::to_string(kGiveUpAfter) +
                     " rounds in a row and is not run again; its remaining rounds count as failed");
            }
            if (recover) {
                recovered = Attempt(what, "bringing things back after " + contender.name, round, warmups, recover);
            }
        }
        if (round >= warmups) {
            for (std::size_t which = 0; which < count; ++which) {
                samples[which].push_back(times[which]);
            }
        }
    }
    return samples;
}

std::vector<double> Ratios(const std::vector<double>& a, const std::vector<double>& b)
{
    if (a.size() != b.size()) {
        throw std::logic_error("ratios of runs that do not pair up");
    }
    std::vector<double> ratios;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ratios.push_back(b[i] > 0 ? a[i] / b[i] : kFailedRound);
    }
    return ratios;
}

void PrintRatio(const std::string& figure, const std::string& reference, const std::vector<double>& a,
                const std::vector<double>& b, double target)
{
    const Spread sa = SpreadOf(a);
    const Spread sb = SpreadOf(b);
    const std::vector<double> ratios = Ratios(a, b);
    const Spread ratio = SpreadOf(ratios);
    const std::optional<Range> range = MedianRange(ratios);
    std::printf("RATIO\t%s\t%s\t%zu\t%zu\t%zu\t%zu\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%.2f\n", figure.c_str(),
                reference.c_str(), a.size(), ratio.measured, FailedCount(a), FailedCount(b), Figure(sa.min).c_str(),
                Figure(sa.median).c_str(), Figure(sb.min).c_str(), Figure(sb.median).c_str(),
                Figure(ratio.min, "%.3f").c_str(), Figure(ratio.median, "%.3f").c_str(),
                Figure(range ? range->low : kFailedRound, "%.3f").c_str(),
                Figure(range ? range->high : kFailedRound, "%.3f").c_str(), target);
    std::fflush(stdout);
}

void PrintValue(const std::string& figure, double value, const std::string& unit, double target, std::size_t rounds,
                std::size_t failed)
{
    const std::string counted = rounds > 0 ? std::to_string(rounds) : "-";
    std::printf("VALUE\t%s\t%s\t%s\t%.2f\t%s\t%zu\n", figure.c_str(), Figure(value).c_str(), unit.c_str(), target,
                counted.c_str(), failed);
    std::fflush(stdout);
}

void PrintMedian(const std::string& figure, const std::vector<double>& rounds, const std::string& unit,
                 double target)
{
    PrintValue(figure, SpreadOf(rounds).median, unit, target, rounds.size(), FailedCount(rounds));
}

std::string Labelled(const std::string& figure, const std::string& label)
{
    return label.empty() ? figure : figure + " (" + label + ")";
}

void Note(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

} // namespace quenlow::bench
