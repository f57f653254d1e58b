// Body mass index, the five maintenance-energy methods, and the loss and gain
// targets. Every function evaluates its formula in the written order with
// checked double arithmetic.
#pragma once

#include "numeric/Units.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace nutrovo::energy {

struct Client {
    std::int16_t sexIndex = 0; // 0 male, any other value female
    std::int32_t ageYears = 0;
    double heightCm = 0.0;
    std::int32_t weightKg = 0;
    double activity = 0.0;

    friend bool operator==(const Client &, const Client &) = default;
};

// Cut (not rounded) to one decimal; none when the height is not above 0.
std::optional<double> bodyMassIndex(const Client &client);

// Kilocalories a day before the activity factor.
double harrisBenedict(const Client &client);
double owen(const Client &client);
double mifflinStJeor(const Client &client);
// The WHO row used first whatever the age (the under-18 value).
double whoPreliminary(const Client &client);
// The WHO row of the client's age band; none under 18.
std::optional<double> whoAgeBand(const Client &client);
// "Another Formula": weight in pounds times activity, plus ten times the
// pounds. Includes the activity factor itself.
double ruleOfThumb(const Client &client);

// floor(E x F x 4.1868)
double maintenanceKilojoules(double core, double activity);
// floor(E x (F x 4.1868)): the WHO preliminary value multiplies the factors first.
double whoPreliminaryKilojoules(double core, double activity);
// floor(E x F)
double maintenanceKilocalories(double core, double activity);
// From the kilojoules as shown, rounded half up.
double whoKilocaloriesFromKilojoules(double shownKilojoules);
double ruleOfThumbKilojoules(double rule);
double ruleOfThumbKilocalories(double rule);

enum class Method { HarrisBenedict, Owen, Mifflin, RuleOfThumb, Who };

// From the maintenance kilocalories as shown (a whole number).
double lossTarget(Method method, double maintenance);
double gainTarget(Method method, double maintenance);

std::string_view sexWord(std::int16_t sexIndex);

} // namespace nutrovo::energy
