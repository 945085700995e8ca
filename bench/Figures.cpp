#include "bench/Figures.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace quenlow::bench {

Spread SpreadOf(std::vector<double> values)
{
    if (values.empty()) {
        return {};
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    const double median =
        values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
    return {values.front(), median};
}

std::vector<std::vector<double>> RunInterleaved(const std::vector<std::function<double()>>& contenders, int rounds,
                                                int warmups)
{
    const std::size_t count = contenders.size();
    std::vector<std::vector<double>> samples(count);
    for (int round = 0; round < warmups + rounds; ++round) {
        std::vector<double> times(count);
        for (std::size_t step = 0; step < count; ++step) {
            const std::size_t which = (static_cast<std::size_t>(round) + step) % count;
            times[which] = contenders[which]();
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
        ratios.push_back(b[i] > 0 ? a[i] / b[i] : 0.0);
    }
    return ratios;
}

void PrintRatio(const std::string& figure, const std::string& reference, const std::vector<double>& a,
                const std::vector<double>& b, double target)
{
    const Spread sa = SpreadOf(a);
    const Spread sb = SpreadOf(b);
    const Spread ratio = SpreadOf(Ratios(a, b));
    std::printf("RATIO\t%s\t%s\t%zu\t%.2f\t%.2f\t%.2f\t%.2f\t%.3f\t%.3f\t%.2f\n", figure.c_str(), reference.c_str(),
                a.size(), sa.min, sa.median, sb.min, sb.median, ratio.min, ratio.median, target);
    std::fflush(stdout);
}

void PrintValue(const std::string& figure, double value, const std::string& unit, double target)
{
    std::printf("VALUE\t%s\t%.2f\t%s\t%.2f\n", figure.c_str(), value, unit.c_str(), target);
    std::fflush(stdout);
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
