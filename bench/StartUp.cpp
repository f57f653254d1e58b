#include "StartUp.h"

#include <algorithm>
#include <array>
#include <utility>

namespace nutrovo::bench {

std::vector<double> figures(const std::vector<ChildRun> &runs, double ChildRun::*figure)
{
    std::vector<double> values;
    values.reserve(runs.size());
    for (const ChildRun &run : runs)
        values.push_back(run.*figure);
    return values;
}

std::vector<double> peakKiB(const std::vector<ChildRun> &runs)
{
    std::vector<double> values;
    values.reserve(runs.size());
    for (const ChildRun &run : runs)
        values.push_back(static_cast<double>(run.peakKiB));
    return values;
}

SideBySide measureStartUp(const Harnesses &harnesses, const EnvironmentChanges &platform, int runs,
                          int warmUps)
{
    struct Harness {
        const std::string *program;
        std::vector<ChildRun> *kept;
    };
    SideBySide result;
    std::array<Harness, 3> order = {{{&harnesses.form, &result.form},
                                     {&harnesses.empty, &result.empty},
                                     {&harnesses.fonts, &result.fonts}}};
    for (int round = -warmUps; round < runs; ++round) {
        std::ranges::rotate(order, order.begin() + 1);
        for (const Harness &harness : order) {
            ChildRun run = runUntilFirstFrame(*harness.program, platform);
            if (!run.ok()) {
                result.failure = run.failure;
                return result;
            }
            if (round >= 0)
                harness.kept->push_back(std::move(run));
        }
    }
    return result;
}

} // namespace nutrovo::bench
