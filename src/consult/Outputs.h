// Every display field that the program writes.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace nutrovo {

// clang-format off
// Each field: its identifier, its name on the window, and what a screen reader
// says for it (what it holds and in which unit, so that a figure heard out of
// its visual row and column still means something).
#define NUTROVO_OUTPUT_FIELDS(X) \
    X(bmi, "bmi", "Body mass index") \
    X(bmiClass, "bmiClass", "BMI class") \
    X(protprot, "protprot", "Protein grams per day from protein foods") \
    X(protfat, "protfat", "Fat grams per day from protein foods") \
    X(protcho, "protcho", "Carbohydrate grams per day from protein foods") \
    X(starchprot, "starchprot", "Protein grams per day from starches") \
    X(starchfat, "starchfat", "Fat grams per day from starches") \
    X(starchcho, "starchcho", "Carbohydrate grams per day from starches") \
    X(milkprot, "milkprot(0)", "Protein grams per day from dairy") \
    X(milkfat, "milkfat(0)", "Fat grams per day from dairy") \
    X(milkcho, "milkcho(0)", "Carbohydrate grams per day from dairy") \
    X(fruitvegprot, "fruitvegprot", "Protein grams per day from fruits and vegetables") \
    X(fruitvegfat, "fruitvegfat", "Fat grams per day from fruits and vegetables") \
    X(fruitvegcho, "fruitvegcho", "Carbohydrate grams per day from fruits and vegetables") \
    X(fatoilprot, "fatoilprot", "Protein grams per day from fats and oils") \
    X(fatoilfat, "fatoilfat", "Fat grams per day from fats and oils") \
    X(fatoilcho, "fatoilcho", "Carbohydrate grams per day from fats and oils") \
    X(extraprot, "extraprot", "Protein grams per day from extras") \
    X(extrafat, "extrafat", "Fat grams per day from extras") \
    X(extracho, "extracho", "Carbohydrate grams per day from extras") \
    X(prottot, "prottot", "Total protein, grams per day") \
    X(fattot, "fattot", "Total fat, grams per day") \
    X(chotot, "chotot", "Total carbohydrate, grams per day") \
    X(calprottot, "calprottot", "Protein, kilocalories per day") \
    X(calfattot, "calfattot", "Fat, kilocalories per day") \
    X(calchotot, "calchotot", "Carbohydrate, kilocalories per day") \
    X(caltot, "caltot", "Meal pattern total, kilocalories per day") \
    X(kjprottot, "kjprottot", "Protein, kilojoules per day") \
    X(kjfattot, "kjfattot", "Fat, kilojoules per day") \
    X(kjchotot, "kjchotot", "Carbohydrate, kilojoules per day") \
    X(kjtot, "kjtot", "Meal pattern total, kilojoules per day") \
    X(protper, "protper", "Protein, percent of energy") \
    X(fatper, "fatper", "Fat, percent of energy") \
    X(choper, "choper", "Carbohydrate, percent of energy") \
    X(hbrda, "hbrda", "Harris-Benedict maintenance, kilojoules per day") \
    X(owenrda, "owenrda", "Owen maintenance, kilojoules per day") \
    X(mifrda, "mifrda", "Mifflin-St Jeor maintenance, kilojoules per day") \
    X(whorda, "whorda", "WHO maintenance, kilojoules per day") \
    X(lastrda, "lastrda", "Another formula maintenance, kilojoules per day") \
    X(hbrdacal, "hbrdacal", "Harris-Benedict maintenance, kilocalories per day") \
    X(owenrdacal, "owenrdacal", "Owen maintenance, kilocalories per day") \
    X(mifrdacal, "mifrdacal", "Mifflin-St Jeor maintenance, kilocalories per day") \
    X(whordacal, "whordacal", "WHO maintenance, kilocalories per day") \
    X(lastrdacal, "lastrdacal", "Another formula maintenance, kilocalories per day") \
    X(hblose, "hblose", "Harris-Benedict loss target, kilocalories per day") \
    X(owenlose, "owenlose", "Owen loss target, kilocalories per day") \
    X(miflose, "miflose", "Mifflin-St Jeor loss target, kilocalories per day") \
    X(lastlose, "lastlose", "Another formula loss target, kilocalories per day") \
    X(wholose, "wholose", "WHO loss target, kilocalories per day") \
    X(hbgain, "hbgain", "Harris-Benedict gain target, kilocalories per day") \
    X(owengain, "owengain", "Owen gain target, kilocalories per day") \
    X(mifgain, "mifgain", "Mifflin-St Jeor gain target, kilocalories per day") \
    X(lastgain, "lastgain", "Another formula gain target, kilocalories per day") \
    X(whogain, "whogain", "WHO gain target, kilocalories per day") \
    X(showGender, "showGender", "Sex used") \
    X(showHeight, "showHeight", "Height in centimetres used") \
    X(showWeight, "showWeight", "Weight in kilograms used") \
    X(showAge, "showAge", "Age in years used") \
    X(showactivity, "showactivity", "Activity factor used")
// clang-format on

enum class Output : std::size_t {
#define NUTROVO_OUTPUT_ENUM(id, name, spoken) id,
    NUTROVO_OUTPUT_FIELDS(NUTROVO_OUTPUT_ENUM)
#undef NUTROVO_OUTPUT_ENUM
};

inline constexpr std::array outputNames = {
#define NUTROVO_OUTPUT_NAME(id, name, spoken) std::string_view(name),
    NUTROVO_OUTPUT_FIELDS(NUTROVO_OUTPUT_NAME)
#undef NUTROVO_OUTPUT_NAME
};

inline constexpr std::array outputSpokenNames = {
#define NUTROVO_OUTPUT_SPOKEN(id, name, spoken) std::string_view(spoken),
    NUTROVO_OUTPUT_FIELDS(NUTROVO_OUTPUT_SPOKEN)
#undef NUTROVO_OUTPUT_SPOKEN
};

inline constexpr std::size_t outputCount = outputNames.size();

constexpr std::string_view outputName(Output field)
{
    return outputNames[static_cast<std::size_t>(field)];
}

} // namespace nutrovo
