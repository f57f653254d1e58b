#include "StartUp.h"

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
    const std::array<Harness, 3> inTurn = {{{&harnesses.form, &result.form},
                                            {&harnesses.empty, &result.empty},
                                            {&harnesses.fonts, &result.fonts}}};
    for (int turn = -warmUps; turn < runs; ++turn) {
        for (const Harness &harness : inTurn) {
            ChildRun run = runUntilFirstFrame(*harness.program, platform);
            if (!run.ok()) {
                result.failure = run.failure;
                return result;
            }
            if (turn >= 0)
                harness.kept->push_back(std::move(run));
        }
    }
    return result;
}

} // namespace nutrovo::bench
