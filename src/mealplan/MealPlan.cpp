#include "mealplan/MealPlan.h"

#include "numeric/Checked.h"

namespace nutrovo::mealplan {

namespace {

std::int16_t servingsOf(FoodGroup group, const Servings &s)
{
    switch (group) {
    case FoodGroup::Protein:
        return s.protein;
    case FoodGroup::Starches:
        return s.starches;
    case FoodGroup::Dairy:
        return s.dairy;
    case FoodGroup::FruitVeg:
        return s.fruitVeg;
    case FoodGroup::FatsOils:
        return s.fatsOils;
    case FoodGroup::Extras:
        return s.extras;
    }
    return 0;
}

// Whole grams per serving (PROT, FAT, CHO). Dairy fat comes from the milk
// type and dairy carbohydrate is 7.5 g; both are handled in gramCell.
constexpr std::array<std::array<std::int16_t, 3>, 6> exchangeGrams = {{
    {7, 3, 0},  // protein
    {2, 0, 15}, // starches
    {4, 0, 0},  // dairy
    {1, 0, 15}, // fruits and vegetables
    {0, 5, 0},  // fats and oils
    {0, 0, 15}, // extras
}};

constexpr double dairyCarbohydratePerServing = 7.5;

} // namespace

Grams gramCell(FoodGroup group, Nutrient nutrient, const Servings &servings)
{
    const std::int16_t count = servingsOf(group, servings);
    if (group == FoodGroup::Dairy && nutrient == Nutrient::Carbohydrate)
        return (Real(count) * dairyCarbohydratePerServing).value();
    if (group == FoodGroup::Dairy && nutrient == Nutrient::Fat)
        return checkedMul<std::int16_t>(count, servings.milkType);
    const std::int16_t perServing =
        exchangeGrams.at(static_cast<std::size_t>(group)).at(static_cast<std::size_t>(nutrient));
    // An exchange value of 0 shows 0 whatever the servings; no product is made.
    if (perServing == 0)
        return std::int16_t{0};
    return checkedMul<std::int16_t>(count, perServing);
}

int kilocaloriesPerGram(Nutrient nutrient) { return nutrient == Nutrient::Fat ? 9 : 4; }

double gramTotal(const std::array<double, 6> &cells)
{
    Real sum = cells[0];
    for (std::size_t i = 1; i < cells.size(); ++i)
        sum = sum + cells[i];
    return sum.value();
}

double kilocalories(Nutrient nutrient, double grams)
{
    return (Real(grams) * kilocaloriesPerGram(nutrient)).value();
}

double kilojoules(Nutrient nutrient, double grams)
{
    return floor(Real(grams) * kilocaloriesPerGram(nutrient) * kilojoulesPerKilocalorie + 0.5)
        .value();
}

double percentOfEnergy(double nutrientKcal, double totalKcal)
{
    return (floor(Real(nutrientKcal) * 100 / totalKcal * 10 + 0.5) / 10).value();
}

} // namespace nutrovo::mealplan
