#include "energy/Energy.h"

#include "numeric/Checked.h"

namespace nutrovo::energy {

namespace {

constexpr double poundsPerKilogram = 2.2;
constexpr double targetStep = 500;

bool isMale(const Client &client) { return client.sexIndex == 0; }

} // namespace

std::optional<double> bodyMassIndex(const Client &client)
{
    const Real h = client.heightCm;
    if (!(h.value() > 0))
        return std::nullopt;
    const Real b = Real(client.weightKg) / ((h / 100) * (h / 100));
    return (floor(b * 10) / 10).value();
}

double harrisBenedict(const Client &client)
{
    const Real w = client.weightKg;
    const Real h = client.heightCm;
    const Real a = client.ageYears;
    if (isMale(client))
        return (((w * 13.75 + 66.47) + h * 5) - a * 6.76).value();
    // 665.1, as the sheet has always used (not the 655.1 of some textbooks).
    return (((w * 9.56 + 665.1) + h * 1.85) - a * 4.68).value();
}

double owen(const Client &client)
{
    const std::int32_t w = client.weightKg;
    if (isMale(client))
        return checkedAdd<std::int32_t>(checkedMul<std::int32_t>(w, 10), 900);
    return checkedAdd<std::int32_t>(checkedMul<std::int32_t>(w, 7), 800);
}

double mifflinStJeor(const Client &client)
{
    const std::int32_t tenW = checkedMul<std::int32_t>(client.weightKg, 10);
    const std::int32_t bracket = isMale(client) ? checkedAdd<std::int32_t>(tenW, 5)
                                                : checkedSub<std::int32_t>(tenW, 161);
    const std::int32_t fiveA = checkedMul<std::int32_t>(client.ageYears, 5);
    return ((Real(client.heightCm) * 6.25 + bracket) - fiveA).value();
}

double whoPreliminary(const Client &client)
{
    const Real w = client.weightKg;
    const Real hm = Real(client.heightCm) / 100;
    if (isMale(client))
        return ((hm * 1128 + w * 8.8) - 1071).value();
    // 657 in this row, unlike the 637 of the 61-and-over band.
    return ((hm * 657 + w * 9.2) - 302).value();
}

std::optional<double> whoAgeBand(const Client &client)
{
    const Real w = client.weightKg;
    const Real hm = Real(client.heightCm) / 100;
    const bool male = isMale(client);
    const std::int32_t a = client.ageYears;
    if (a < 18)
        return std::nullopt;
    if (a <= 29)
        return male ? ((w * 15.4 - hm * 27) + 717).value() : ((hm * 334 + w * 13.3) + 35).value();
    if (a <= 60)
        return male ? ((hm * 16 + w * 11.3) + 901).value() : ((w * 8.7 - hm * 25) + 865).value();
    return male ? ((hm * 1128 + w * 8.8) - 1071).value() : ((hm * 637 + w * 9.2) - 302).value();
}

double ruleOfThumb(const Client &client)
{
    const Real w = client.weightKg;
    return ((w * poundsPerKilogram * client.activity) + (w * poundsPerKilogram * 10)).value();
}

double maintenanceKilojoules(double core, double activity)
{
    return floor(Real(core) * activity * kilojoulesPerKilocalorie).value();
}

double whoPreliminaryKilojoules(double core, double activity)
{
    return floor(Real(core) * (Real(activity) * kilojoulesPerKilocalorie)).value();
}

double maintenanceKilocalories(double core, double activity)
{
    return floor(Real(core) * activity).value();
}

double whoKilocaloriesFromKilojoules(double shownKilojoules)
{
    return floor(Real(shownKilojoules) / kilojoulesPerKilocalorie + 0.5).value();
}

double ruleOfThumbKilojoules(double rule)
{
    return floor(Real(rule) * kilojoulesPerKilocalorie).value();
}

double ruleOfThumbKilocalories(double rule) { return floor(Real(rule)).value(); }

double lossTarget(Method method, double maintenance)
{
    const Real m = maintenance;
    switch (method) {
    case Method::RuleOfThumb:
        return floor(m * 0.9).value();
    case Method::Who:
        return floor(m - targetStep).value();
    case Method::HarrisBenedict:
    case Method::Owen:
    case Method::Mifflin:
        break;
    }
    return (m - targetStep).value();
}

double gainTarget(Method method, double maintenance)
{
    const Real m = maintenance;
    switch (method) {
    case Method::RuleOfThumb:
        return floor(m * 1.1).value();
    case Method::Who:
        return floor(m + targetStep).value();
    case Method::HarrisBenedict:
    case Method::Owen:
    case Method::Mifflin:
        break;
    }
    return (m + targetStep).value();
}

std::string_view sexWord(std::int16_t sexIndex) { return sexIndex == 0 ? "Male" : "Female"; }

} // namespace nutrovo::energy
