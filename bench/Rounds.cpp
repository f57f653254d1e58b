#include "Rounds.h"

#include "VirtualDisplay.h"

#include <optional>
#include <string>
#include <utility>

namespace nutrovo::bench {

namespace {

// Unrecorded turns that bring the libraries and fonts into the page cache.
constexpr int warmUpTurns = 3;

template <typename T> void append(std::vector<T> &all, std::vector<T> &&more)
{
    all.insert(all.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
}

void append(SideBySide &all, SideBySide &&round)
{
    append(all.form, std::move(round.form));
    append(all.empty, std::move(round.empty));
    append(all.fonts, std::move(round.fonts));
    if (all.failure.empty())
        all.failure = std::move(round.failure);
}

void append(PickCost &all, PickCost &&round)
{
    append(all.pickMicros, std::move(round.pickMicros));
    append(all.floorMicros, std::move(round.floorMicros));
    append(all.setTextMicros, std::move(round.setTextMicros));
    append(all.changedFields, std::move(round.changedFields));
    append(all.unchangedRecalculateMicros, std::move(round.unchangedRecalculateMicros));
}

} // namespace

Measured measureInRounds(const RoundPlan &plan)
{
    Measured measured;
    std::optional<VirtualDisplay> display;
    if (plan.startUp) {
        display.emplace();
        if (!display->running())
            measured.xvfb.failure = "Xvfb: " + display->failure();
    }
    const EnvironmentChanges offscreen = {{"QT_QPA_PLATFORM", "offscreen"}, {"DISPLAY", ""}};
    const EnvironmentChanges xvfb = {{"QT_QPA_PLATFORM", "xcb"},
                                     {"DISPLAY", display ? display->name() : std::string()}};
    for (int round = 0; round < plan.rounds; ++round) {
        const int warmUps = round == 0 ? warmUpTurns : 0;
        if (plan.startUp && measured.offscreen.failure.empty())
            append(measured.offscreen,
                   measureStartUp(plan.harnesses, offscreen, plan.startUpRuns, warmUps));
        if (plan.startUp && measured.xvfb.failure.empty())
            append(measured.xvfb, measureStartUp(plan.harnesses, xvfb, plan.startUpRuns, warmUps));
        if (plan.picking)
            append(measured.picks, measurePickCost(plan.picksPerRound, plan.seed));
    }
    return measured;
}

} // namespace nutrovo::bench
