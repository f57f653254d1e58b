// The planner's benchmarks: start-up and peak memory beside an empty window
// (offscreen and on a private X server), the cost of one pick beside the
// toolkit's floor, and printing to the spooler. Every figure is a median (and
// a 99th percentile where shown) of repeated runs, each comparison measured
// side by side in this one run. Prints a Markdown report.
#include "Machine.h"
#include "PickCost.h"
#include "PrintTime.h"
#include "RegisterCost.h"
#include "StartUp.h"
#include "Statistics.h"
#include "VirtualDisplay.h"

#include <QApplication>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace nutrovo::bench {

namespace {

struct Options {
    int startUpRuns = 30;
    int picks = 5000;
    int prints = 10;
    unsigned seed = 1;
    bool startUp = true;
    bool picking = true;
    bool printing = true;
    bool registering = true;
};

constexpr double startUpGoal = 1.25; // times the empty window
constexpr double memoryGoal = 1.3;   // times the empty window
constexpr double pickGoal = 1.5;     // times the setText floor
constexpr double printGoalMs = 1000; // click to job accepted
// The register at ten years' scale, each figure a median.
constexpr double openGoalMs = 150;
constexpr double keystrokeGoalMs = 30;
constexpr double showClientGoalMs = 50;
constexpr double saveGoalMs = 50;
// Unrecorded rounds that bring the libraries and fonts into the page cache.
constexpr int warmUpRounds = 3;

[[noreturn]] void usage()
{
    std::fputs("usage: nutrovo_bench [--runs N] [--picks N] [--prints N] [--seed N]\n"
               "                     [--only startup|picks|print|register]\n"
               "  --runs N    start-up runs per window and platform (default 30)\n"
               "  --picks N   timed picks (default 5000)\n"
               "  --prints N  timed prints (default 10; needs root for the private spooler)\n"
               "  --seed N    seed of the random picks (default 1)\n",
               stderr);
    std::exit(2);
}

void chooseOnly(Options &options, std::string_view section)
{
    if (section != "startup" && section != "picks" && section != "print" && section != "register")
        usage();
    options.startUp = section == "startup";
    options.picking = section == "picks";
    options.printing = section == "print";
    options.registering = section == "register";
}

// A whole number of at least 1, or the usage.
int countFrom(std::string_view text)
{
    int count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (error != std::errc() || end != text.data() + text.size() || count < 1)
        usage();
    return count;
}

Options parseOptions(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (value == nullptr)
            usage();
        if (arg == "--runs")
            options.startUpRuns = countFrom(value);
        else if (arg == "--picks")
            options.picks = countFrom(value);
        else if (arg == "--prints")
            options.prints = countFrom(value);
        else if (arg == "--seed")
            options.seed = static_cast<unsigned>(countFrom(value));
        else if (arg == "--only")
            chooseOnly(options, value);
        else
            usage();
        ++i;
    }
    return options;
}

std::string verdict(double ratio, double goal)
{
    char text[64];
    if (ratio <= goal)
        std::snprintf(text, sizeof text, "met (goal <= %.2fx)", goal);
    else
        std::snprintf(text, sizeof text, "MISSED by %.0f%% (goal <= %.2fx)",
                      (ratio / goal - 1) * 100, goal);
    return text;
}

void reportStartUp(const char *platform, const SideBySide &runs)
{
    if (!runs.failure.empty()) {
        std::printf("| %s | failed: %s | | | |\n", platform, runs.failure.c_str());
        return;
    }
    const double form = median(figures(runs.form, &ChildRun::milliseconds));
    const double empty = median(figures(runs.empty, &ChildRun::milliseconds));
    const double fonts = median(figures(runs.fonts, &ChildRun::milliseconds));
    std::printf("| start-up, %s | %.1f ms | %.1f ms | %.2fx | %s |\n", platform, form, empty,
                form / empty, verdict(form / empty, startUpGoal).c_str());
    // What the planner costs beyond its fonts.
    std::printf("| start-up beside the fonts window, %s | %.1f ms | %.1f ms | %.2fx | |\n",
                platform, form, fonts, form / fonts);
    const double formMiB = median(peakKiB(runs.form)) / 1024;
    const double emptyMiB = median(peakKiB(runs.empty)) / 1024;
    const double fontsMiB = median(peakKiB(runs.fonts)) / 1024;
    std::printf("| peak memory, %s | %.1f MiB | %.1f MiB | %.2fx | %s |\n", platform, formMiB,
                emptyMiB, formMiB / emptyMiB, verdict(formMiB / emptyMiB, memoryGoal).c_str());
    std::printf("| peak memory beside the fonts window, %s | %.1f MiB | %.1f MiB | %.2fx | |\n",
                platform, formMiB, fontsMiB, formMiB / fontsMiB);
}

// Where the start-up time goes, for every window.
void reportStartUpPhases(const char *platform, const SideBySide &runs)
{
    if (!runs.failure.empty())
        return;
    struct Phase {
        const char *name;
        double ChildRun::*figure;
    };
    const Phase phases[] = {{"spawn to main() (loading libraries)", &ChildRun::loadMs},
                            {"application object", &ChildRun::applicationMs},
                            {"window construction", &ChildRun::windowMs},
                            {"show to first painted frame", &ChildRun::paintMs}};
    for (const Phase &phase : phases)
        std::printf("| %s: %s | %.1f ms | %.1f ms | %.1f ms |\n", platform, phase.name,
                    median(figures(runs.form, phase.figure)),
                    median(figures(runs.empty, phase.figure)),
                    median(figures(runs.fonts, phase.figure)));
}

void runStartUp(const Options &options)
{
    const Harnesses harnesses{NUTROVO_BENCH_FORM_HARNESS, NUTROVO_BENCH_EMPTY_HARNESS,
                              NUTROVO_BENCH_FONTS_HARNESS};
    std::printf("Start-up: spawn to first painted frame, and peak resident memory (ru_maxrss); "
                "median of %d runs of each window, in turn. The fonts window is the empty one "
                "with a line of text in each of the planner's font families.\n\n",
                options.startUpRuns);
    const SideBySide offscreen =
        measureStartUp(harnesses, {{"QT_QPA_PLATFORM", "offscreen"}, {"DISPLAY", ""}},
                       options.startUpRuns, warmUpRounds);
    const VirtualDisplay display;
    SideBySide xvfb;
    if (display.running())
        xvfb = measureStartUp(harnesses, {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", display.name()}},
                              options.startUpRuns, warmUpRounds);
    else
        xvfb.failure = "Xvfb: " + display.failure();

    std::printf("| figure | planner | empty window | ratio | goal |\n|---|---|---|---|---|\n");
    reportStartUp("offscreen", offscreen);
    reportStartUp("Xvfb", xvfb);
    std::printf("\nWhere the start-up time goes (medians):\n\n");
    std::printf("| phase | planner | empty window | fonts window |\n|---|---|---|---|\n");
    reportStartUpPhases("offscreen", offscreen);
    reportStartUpPhases("Xvfb", xvfb);
}

void runPicks(const Options &options)
{
    const PickCost cost = measurePickCost(options.picks, options.seed);
    const double pick = median(cost.pickMicros);
    const double floor = median(cost.floorMicros);
    std::printf(
        "\nOne pick: from the pick to the handler's return, every field updated; %d random picks "
        "(seed %u) on the shown window, offscreen. Floor: the fields each pick changed, given "
        "the same texts by QLineEdit::setText alone from the same state.\n\n",
        options.picks, options.seed);
    std::printf("| figure | median | p99 |\n|---|---|---|\n");
    std::printf("| pick | %.2f us | %.2f us |\n", pick, percentile(cost.pickMicros, 99));
    std::printf("| floor: changed fields x setText | %.2f us | %.2f us |\n", floor,
                percentile(cost.floorMicros, 99));
    std::printf("| fields whose text changes | %.0f | %.0f |\n", median(cost.changedFields),
                percentile(cost.changedFields, 99));
    std::printf("| one QLineEdit::setText | %.3f us | %.3f us |\n", median(cost.setTextMicros),
                percentile(cost.setTextMicros, 99));
    std::printf("| recalculation that changes no text | %.2f us | %.2f us |\n",
                median(cost.unchangedRecalculateMicros),
                percentile(cost.unchangedRecalculateMicros, 99));
    std::printf("\nPick median / floor median: %.2fx, %s\n", pick / floor,
                verdict(pick / floor, pickGoal).c_str());
}

void runPrints(const Options &options)
{
    std::printf(
        "\nPrint: from the click on \"Print Form\" to the job accepted by the spooler; %d prints "
        "to a private CUPS spooler with a cups-pdf queue, offscreen.\n\n",
        options.prints);
    const PrintTimes times = measurePrint(options.prints, NUTROVO_BENCH_SPOOLER_FIXTURE);
    if (!times.failure.empty()) {
        std::printf("not measured: %s\n", times.failure.c_str());
        return;
    }
    const double printMedian = median(times.milliseconds);
    std::printf("| figure | median | p99 |\n|---|---|---|\n");
    std::printf("| click to job accepted | %.1f ms | %.1f ms |\n", printMedian,
                percentile(times.milliseconds, 99));
    std::printf("\nFailure messages: %d; pages the queue wrote: %d of %d. Median %s\n",
                times.failureMessages, times.pagesWritten, options.prints + 1,
                printMedian < printGoalMs && times.failureMessages == 0
                    ? "met (goal < 1000 ms)"
                    : "MISSED (goal < 1000 ms, no failure)");
}

std::string within(double ms, double goalMs)
{
    char text[48];
    std::snprintf(text, sizeof text, ms < goalMs ? "met (goal < %.0f ms)" : "MISSED (goal < %.0f ms)", goalMs);
    return text;
}

void reportRegister(const RegisterCosts &costs)
{
    if (!costs.failure.empty()) {
        std::printf("| %s | not measured: %s | | | |\n", costs.engine.c_str(), costs.failure.c_str());
        return;
    }
    const struct {
        const char *figure;
        const std::vector<double> &samples;
        double goal;
    } rows[] = {{"open the dialog to the client list shown", costs.openMs, openGoalMs},
                {"one keystroke of the search", costs.keystrokeMs, keystrokeGoalMs},
                {"show a client's visits and chart", costs.showClientMs, showClientGoalMs},
                {"Save Visit, with the sync to disk", costs.saveMs, saveGoalMs}};
    for (const auto &row : rows)
        std::printf("| %s, %s | %.1f ms | %.1f ms | %s |\n", row.figure, costs.engine.c_str(), median(row.samples),
                    percentile(row.samples, 90), within(median(row.samples), row.goal).c_str());
    std::printf("| a session's first Save Visit (opened and, a file, checked first), %s | %.1f ms | %.1f ms | |\n",
                costs.engine.c_str(), median(costs.firstSaveMs), percentile(costs.firstSaveMs, 90));
    std::printf("| first open in the process (the register's libraries load), %s | %.1f ms | | |\n",
                costs.engine.c_str(), costs.firstOpenMs);
    if (costs.fileMiB > 0)
        std::printf("| size of the file, with its log | %.1f MiB | | |\n", costs.fileMiB);
    std::printf("| %s, %s | %.1f s | | |\n",
                costs.reused ? "register reused from an earlier run" : "making the register", costs.engine.c_str(),
                costs.madeSeconds);
}

void runRegister()
{
    const RegisterScale scale;
    std::printf("\nThe register at ten years' scale: %d clients, %d visits, through the real window "
                "offscreen; %d rounds, each with a fresh window (so a fresh connection, checked as at "
                "every first use): the dialog opened until its client list has painted, four keystrokes "
                "of the search, three clients shown with their chart, and Save Visit twice; then a fresh "
                "window's first Save Visit. Medians and 90th percentiles.\n\n",
                scale.clients, scale.clients * scale.visitsPerClient, scale.rounds);
    std::printf("| figure | median | p90 | goal |\n|---|---|---|---|\n");
    reportRegister(measureLocalRegister(scale, NUTROVO_BENCH_CACHE));
    std::fflush(stdout);
    reportRegister(measureServerRegister(scale, NUTROVO_BENCH_CACHE, NUTROVO_BENCH_PG_FIXTURE));
}

} // namespace

} // namespace nutrovo::bench

int main(int argc, char **argv)
{
    using namespace nutrovo::bench;
    const Options options = parseOptions(argc, argv);
    std::printf("Nutrovo benchmarks on %s\n\n", machineDescription().c_str());
    std::fflush(stdout);
    if (options.startUp)
        runStartUp(options);
    std::fflush(stdout);
    if (options.picking || options.printing || options.registering) {
        // Picks and prints are measured in this process, on the offscreen
        // platform unless the caller chose another.
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        QApplication app(argc, argv);
        if (options.picking)
            runPicks(options);
        std::fflush(stdout);
        if (options.printing)
            runPrints(options);
        std::fflush(stdout);
        if (options.registering)
            runRegister();
    }
    return 0;
}
