#include "consult/Recalculate.h"

#include "energy/Energy.h"
#include "growth/BmiReading.h"
#include "mealplan/MealPlan.h"
#include "numeric/Checked.h"

#include <array>

namespace nutrovo {

namespace {

energy::Client clientOf(const ConsultState &s)
{
    return {s.sexIndex, s.ageYears, s.heightCm, s.weightKg, s.activity};
}

mealplan::Servings servingsOf(const ConsultState &s)
{
    return {s.starchServ, s.protServ, s.milkServ, s.vegServ, s.fatServ, s.sugarServ, s.milkType};
}

// The BMI, then what it means for the client's age and sex, read from the
// BMI as shown.
void showBodyMassIndex(const ConsultState &s, Display &out)
{
    // Without a positive height both fields keep whatever they showed.
    if (const auto bmi = energy::bodyMassIndex(clientOf(s))) {
        const double shown = out.number(Output::bmi, *bmi);
        out.word(Output::bmiClass, growth::bmiReading(shown, s.sexIndex, s.ageYears));
    }
}

// Cells of the gram grid as shown, by nutrient and then in grid order.
using GramGrid = std::array<std::array<double, 6>, 3>;

constexpr std::array<std::array<Output, 3>, 6> gridFields = {{
    {Output::protprot, Output::protfat, Output::protcho},
    {Output::starchprot, Output::starchfat, Output::starchcho},
    {Output::milkprot, Output::milkfat, Output::milkcho},
    {Output::fruitvegprot, Output::fruitvegfat, Output::fruitvegcho},
    {Output::fatoilprot, Output::fatoilfat, Output::fatoilcho},
    {Output::extraprot, Output::extrafat, Output::extracho},
}};

double showGrams(Output field, const mealplan::Grams &grams, Display &out)
{
    if (const auto *whole = std::get_if<std::int16_t>(&grams))
        return out.integer(field, *whole);
    return out.number(field, std::get<double>(grams));
}

GramGrid showGramGrid(const ConsultState &s, Display &out)
{
    const mealplan::Servings servings = servingsOf(s);
    GramGrid shown{};
    for (std::size_t g = 0; g < mealplan::gridOrder.size(); ++g) {
        for (std::size_t n = 0; n < mealplan::nutrients.size(); ++n) {
            const auto grams = mealplan::gramCell(mealplan::gridOrder[g], mealplan::nutrients[n],
                                                  servings);
            shown[n][g] = showGrams(gridFields[g][n], grams, out);
        }
    }
    return shown;
}

void showMealTotals(const GramGrid &grid, Display &out)
{
    constexpr std::array gramFields = {Output::prottot, Output::fattot, Output::chotot};
    constexpr std::array kcalFields = {Output::calprottot, Output::calfattot, Output::calchotot};
    constexpr std::array kjFields = {Output::kjprottot, Output::kjfattot, Output::kjchotot};
    constexpr std::array percentFields = {Output::protper, Output::fatper, Output::choper};

    std::array<double, 3> grams{};
    for (std::size_t n = 0; n < 3; ++n)
        grams[n] = out.number(gramFields[n], mealplan::gramTotal(grid[n]));

    std::array<double, 3> kcal{};
    for (std::size_t n = 0; n < 3; ++n)
        kcal[n] = out.number(kcalFields[n], mealplan::kilocalories(mealplan::nutrients[n], grams[n]));
    const double totalKcal = out.number(Output::caltot, (Real(kcal[0]) + kcal[1] + kcal[2]).value());

    std::array<double, 3> kj{};
    for (std::size_t n = 0; n < 3; ++n)
        kj[n] = out.number(kjFields[n], mealplan::kilojoules(mealplan::nutrients[n], grams[n]));
    // The sum of the three rounded values, not the total kilocalories converted.
    out.number(Output::kjtot, (Real(kj[0]) + kj[1] + kj[2]).value());

    for (std::size_t n = 0; n < 3; ++n) {
        if (totalKcal > 0)
            out.number(percentFields[n], mealplan::percentOfEnergy(kcal[n], totalKcal));
        else
            out.integer(percentFields[n], 0);
    }
}

// Maintenance kilocalories as shown, per method.
struct Maintenance {
    double harrisBenedict = 0;
    double owen = 0;
    double mifflin = 0;
    double ruleOfThumb = 0;
    double who = 0;
};

Maintenance showMaintenance(const ConsultState &s, Display &out)
{
    using namespace energy;
    const Client client = clientOf(s);
    const double f = client.activity;
    const double hb = harrisBenedict(client);
    const double ow = owen(client);
    const double mif = mifflinStJeor(client);
    const double rule = ruleOfThumb(client);

    out.number(Output::hbrda, maintenanceKilojoules(hb, f));
    out.number(Output::owenrda, maintenanceKilojoules(ow, f));
    out.number(Output::mifrda, maintenanceKilojoules(mif, f));
    double whoKj = out.number(Output::whorda, whoPreliminaryKilojoules(whoPreliminary(client), f));
    out.number(Output::lastrda, ruleOfThumbKilojoules(rule));

    Maintenance shown;
    shown.harrisBenedict = out.number(Output::hbrdacal, maintenanceKilocalories(hb, f));
    shown.owen = out.number(Output::owenrdacal, maintenanceKilocalories(ow, f));
    shown.mifflin = out.number(Output::mifrdacal, maintenanceKilocalories(mif, f));
    if (const auto band = whoAgeBand(client))
        whoKj = out.number(Output::whorda, maintenanceKilojoules(*band, f));
    shown.who = out.number(Output::whordacal, whoKilocaloriesFromKilojoules(whoKj));
    shown.ruleOfThumb = out.number(Output::lastrdacal, ruleOfThumbKilocalories(rule));
    return shown;
}

void showTargets(const Maintenance &m, Display &out)
{
    using energy::Method;
    struct Row {
        Method method;
        double maintenance;
        Output loss;
        Output gain;
    };
    const std::array rows = {
        Row{Method::HarrisBenedict, m.harrisBenedict, Output::hblose, Output::hbgain},
        Row{Method::Owen, m.owen, Output::owenlose, Output::owengain},
        Row{Method::Mifflin, m.mifflin, Output::miflose, Output::mifgain},
        Row{Method::RuleOfThumb, m.ruleOfThumb, Output::lastlose, Output::lastgain},
        Row{Method::Who, m.who, Output::wholose, Output::whogain},
    };
    for (const Row &row : rows)
        out.number(row.loss, energy::lossTarget(row.method, row.maintenance));
    for (const Row &row : rows)
        out.number(row.gain, energy::gainTarget(row.method, row.maintenance));
}

} // namespace

std::optional<Section> sectionOf(Output field)
{
    // The fields are listed in the order the parts write them.
    if (field == Output::bmi || field == Output::bmiClass)
        return Section::BodyMassIndex;
    if (field >= Output::protprot && field <= Output::choper)
        return Section::MealPattern;
    if (field >= Output::hbrda && field <= Output::whogain)
        return Section::Energy;
    if (field == Output::showGender)
        return Section::Sex;
    return std::nullopt;
}

Sections sectionsReading(const ConsultState &before, const ConsultState &after)
{
    Sections sections;
    const auto set = [&](Section section, bool changed) {
        sections.set(static_cast<std::size_t>(section), changed);
    };
    set(Section::BodyMassIndex, before.heightCm != after.heightCm || before.weightKg != after.weightKg ||
                                    before.ageYears != after.ageYears || before.sexIndex != after.sexIndex);
    set(Section::MealPattern, servingsOf(before) != servingsOf(after));
    set(Section::Energy, clientOf(before) != clientOf(after));
    set(Section::Sex, before.sexIndex != after.sexIndex);
    return sections;
}

void recalculate(const ConsultState &state, Display &display)
{
    recalculate(state, allSections, display);
}

void recalculate(const ConsultState &state, const Sections &sections, Display &display)
{
    const auto wanted = [&](Section section) { return sections.test(static_cast<std::size_t>(section)); };
    if (wanted(Section::BodyMassIndex))
        showBodyMassIndex(state, display);
    if (wanted(Section::MealPattern)) {
        const GramGrid grid = showGramGrid(state, display);
        showMealTotals(grid, display);
    }
    if (wanted(Section::Energy)) {
        const Maintenance maintenance = showMaintenance(state, display);
        showTargets(maintenance, display);
    }
    if (wanted(Section::Sex))
        display.word(Output::showGender, energy::sexWord(state.sexIndex));
}

} // namespace nutrovo
