// The planner's benchmarks: start-up and peak memory beside an empty window
// (offscreen and on a private X server), the cost of one pick beside the
// toolkit's floor, and printing to the spooler. Every figure is a median (and
// a 99th percentile where shown) of repeated runs, each comparison measured
// side by side, in turn, in this one run; each ratio is the median of several
// rounds, with the lowest and highest round beside it, so that two runs can
// be compared. Prints a Markdown report.
#include "Machine.h"
#include "PickCost.h"
#include "PrintTime.h"
#include "PrivateRuntime.h"
#include "RegisterCost.h"
#include "Rounds.h"
#include "StartUp.h"
#include "Statistics.h"

#include <QApplication>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <string_view>

namespace nutrovo::bench {

namespace {

struct Options {
    int rounds = 7;
    int startUpRuns = 6; // per window and round
    int picks = 7000;
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

[[noreturn]] void usage()
{
    std::fputs("usage: nutrovo_bench [--rounds N] [--runs N] [--picks N] [--prints N] [--seed N]\n"
               "                     [--only startup|picks|print|register]\n"
               "  --rounds N  rounds of every comparison (default 7)\n"
               "  --runs N    start-up runs per window, platform and round (default 6)\n"
               "  --picks N   timed picks, over all rounds (default 7000)\n"
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
        if (arg == "--rounds")
            options.rounds = countFrom(value);
        else if (arg == "--runs")
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

// "1.42x (1.38x-1.47x)": the median of the rounds and the lowest and highest round.
std::string ratioText(const RoundRatio &ratio)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2fx (%.2fx-%.2fx)", ratio.median, ratio.lowest,
                  ratio.highest);
    return text;
}

void reportStartUp(const char *platform, const SideBySide &runs, int rounds)
{
    if (!runs.failure.empty()) {
        std::printf("| %s | failed: %s | | | |\n", platform, runs.failure.c_str());
        return;
    }
    const std::vector<double> form = figures(runs.form, &ChildRun::milliseconds);
    const std::vector<double> empty = figures(runs.empty, &ChildRun::milliseconds);
    const std::vector<double> fonts = figures(runs.fonts, &ChildRun::milliseconds);
    const RoundRatio startUp = roundRatio(form, empty, rounds);
    std::printf("| start-up, %s | %.1f ms | %.1f ms | %s | %s |\n", platform, median(form),
                median(empty), ratioText(startUp).c_str(),
                verdict(startUp.median, startUpGoal).c_str());
    // What the planner costs beyond its fonts.
    std::printf("| start-up beside the fonts window, %s | %.1f ms | %.1f ms | %s | |\n", platform,
                median(form), median(fonts), ratioText(roundRatio(form, fonts, rounds)).c_str());
    const std::vector<double> formKiB = peakKiB(runs.form);
    const std::vector<double> emptyKiB = peakKiB(runs.empty);
    const std::vector<double> fontsKiB = peakKiB(runs.fonts);
    const RoundRatio memory = roundRatio(formKiB, emptyKiB, rounds);
    std::printf("| peak memory, %s | %.1f MiB | %.1f MiB | %s | %s |\n", platform,
                median(formKiB) / 1024, median(emptyKiB) / 1024, ratioText(memory).c_str(),
                verdict(memory.median, memoryGoal).c_str());
    std::printf("| peak memory beside the fonts window, %s | %.1f MiB | %.1f MiB | %s | |\n",
                platform, median(formKiB) / 1024, median(fontsKiB) / 1024,
                ratioText(roundRatio(formKiB, fontsKiB, rounds)).c_str());
}

// Whatever the windows wrote on standard error, once each.
void reportMessages(const SideBySide &offscreen, const SideBySide &xvfb)
{
    std::set<std::string> messages;
    for (const SideBySide *runs : {&offscreen, &xvfb})
        for (const std::vector<ChildRun> *window : {&runs->form, &runs->empty, &runs->fonts})
            for (const ChildRun &run : *window)
                if (!run.messages.empty())
                    messages.insert(run.messages);
    if (messages.empty())
        return;
    std::printf("\nThe windows wrote on standard error:\n\n");
    for (const std::string &message : messages)
        std::printf("    %s\n", message.c_str());
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

void reportStartUpRounds(const Options &options, const Measured &measured)
{
    std::printf("Start-up: spawn to first painted frame, and peak resident memory (VmHWM) then; "
                "the windows in turn (planner, empty, fonts, planner, ...), %d runs of each per "
                "round, %d rounds spread over the whole benchmark. Times are medians of all runs; "
                "a ratio is the median of the rounds' ratios, the lowest and highest round in "
                "brackets. The fonts window is the empty one with a line of text in each of the "
                "planner's font families.\n\n",
                options.startUpRuns, options.rounds);
    std::printf("| figure | planner | beside | ratio (rounds) | goal |\n|---|---|---|---|---|\n");
    reportStartUp("offscreen", measured.offscreen, options.rounds);
    reportStartUp("Xvfb", measured.xvfb, options.rounds);
    std::printf("\nWhere the start-up time goes (medians):\n\n");
    std::printf("| phase | planner | empty window | fonts window |\n|---|---|---|---|\n");
    reportStartUpPhases("offscreen", measured.offscreen);
    reportStartUpPhases("Xvfb", measured.xvfb);
    reportMessages(measured.offscreen, measured.xvfb);
}

void reportPicks(const Options &options, const PickCost &cost)
{
    const double pick = median(cost.pickMicros);
    const double floor = median(cost.floorMicros);
    std::printf(
        "\nOne pick: from the pick to the handler's return, every field updated; %d random picks "
        "(seed %u) per round on the shown window, offscreen. Floor: the fields each pick "
        "changed, given the same texts by QLineEdit::setText alone from the same state.\n\n",
        options.picks / options.rounds, options.seed);
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
    const RoundRatio ratio = roundRatio(cost.pickMicros, cost.floorMicros, options.rounds);
    std::printf("\nPick median / floor median: %s over %d rounds, %s\n", ratioText(ratio).c_str(),
                options.rounds, verdict(ratio.median, pickGoal).c_str());
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
    const PrivateRuntime runtime;
    if (!runtime.made())
        std::fputs("no private runtime folder could be made\n", stderr);
    std::printf("Nutrovo benchmarks on %s\n\n", machineDescription().c_str());
    std::fflush(stdout);
    // Picks and prints are measured in this process, on the offscreen
    // platform unless the caller chose another; every window started for
    // the start-up figures is told its platform.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const Measured measured = measureInRounds(
        {.harnesses = {NUTROVO_BENCH_FORM_HARNESS, NUTROVO_BENCH_EMPTY_HARNESS,
                       NUTROVO_BENCH_FONTS_HARNESS},
         .rounds = options.rounds,
         .startUpRuns = options.startUpRuns,
         .picksPerRound = std::max(1, options.picks / options.rounds),
         .seed = options.seed,
         .startUp = options.startUp,
         .picking = options.picking});
    if (options.startUp)
        reportStartUpRounds(options, measured);
    if (options.picking)
        reportPicks(options, measured.picks);
    std::fflush(stdout);
    if (options.printing)
        runPrints(options);
    std::fflush(stdout);
    if (options.registering)
        runRegister();
    return 0;
}
