#include "StartUp.h"

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
    SideBySide result;
    for (int round = -warmUps; round < runs; ++round) {
        const bool formFirst = round % 2 == 0;
        const ChildRun first =
            runUntilFirstFrame(formFirst ? harnesses.form : harnesses.empty, platform);
        const ChildRun second =
            runUntilFirstFrame(formFirst ? harnesses.empty : harnesses.form, platform);
        const ChildRun &form = formFirst ? first : second;
        const ChildRun &empty = formFirst ? second : first;
        if (round < 0) {
            if (!form.ok() || !empty.ok()) {
                result.failure = form.ok() ? empty.failure : form.failure;
                return result;
            }
            continue;
        }
        if (!form.ok() || !empty.ok()) {
            result.failure = form.ok() ? empty.failure : form.failure;
            return result;
        }
        result.form.push_back(form);
        result.empty.push_back(empty);
    }
    return result;
}

} // namespace nutrovo::bench
