// Grams of protein, fat and carbohydrate per food group, and the meal-pattern
// totals, energies and percentage split that follow from them.
#pragma once

#include "numeric/Units.h"

#include <array>
#include <cstdint>
#include <variant>

namespace nutrovo::mealplan {

enum class FoodGroup { Protein, Starches, Dairy, FruitVeg, FatsOils, Extras };
enum class Nutrient { Protein, Fat, Carbohydrate };

// The grid is written group by group in this order (protein before starches),
// each group protein, fat, carbohydrate.
inline constexpr std::array gridOrder = {FoodGroup::Protein,  FoodGroup::Starches,
                                         FoodGroup::Dairy,    FoodGroup::FruitVeg,
                                         FoodGroup::FatsOils, FoodGroup::Extras};
inline constexpr std::array nutrients = {Nutrient::Protein, Nutrient::Fat, Nutrient::Carbohydrate};

struct Servings {
    std::int16_t starches = 0;
    std::int16_t protein = 0;
    std::int16_t dairy = 0;
    std::int16_t fruitVeg = 0;
    std::int16_t fatsOils = 0;
    std::int16_t extras = 0;
    std::int16_t milkType = 1; // grams of fat in one dairy serving

    friend bool operator==(const Servings &, const Servings &) = default;
};

// A gram cell is a 16-bit whole number, except dairy carbohydrate (7.5 g a
// serving), which is a double.
using Grams = std::variant<std::int16_t, double>;

Grams gramCell(FoodGroup group, Nutrient nutrient, const Servings &servings);

int kilocaloriesPerGram(Nutrient nutrient);

// Sum of the six cells of one nutrient, as shown, added left to right.
double gramTotal(const std::array<double, 6> &cellsInGridOrder);
double kilocalories(Nutrient nutrient, double grams);
// From the gram total (not the kilocalories), rounded half up.
double kilojoules(Nutrient nutrient, double grams);
// Share of the energy, rounded half up to one decimal; the caller handles a
// total of 0, for which no division is made.
double percentOfEnergy(double nutrientKcal, double totalKcal);

} // namespace nutrovo::mealplan
