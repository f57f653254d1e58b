// Every display field that the program writes, with its name on the window.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace nutrovo {

// clang-format off
#define NUTROVO_OUTPUT_FIELDS(X) \
    X(bmi, "bmi") \
    X(protprot, "protprot") X(protfat, "protfat") X(protcho, "protcho") \
    X(starchprot, "starchprot") X(starchfat, "starchfat") X(starchcho, "starchcho") \
    X(milkprot, "milkprot(0)") X(milkfat, "milkfat(0)") X(milkcho, "milkcho(0)") \
    X(fruitvegprot, "fruitvegprot") X(fruitvegfat, "fruitvegfat") X(fruitvegcho, "fruitvegcho") \
    X(fatoilprot, "fatoilprot") X(fatoilfat, "fatoilfat") X(fatoilcho, "fatoilcho") \
    X(extraprot, "extraprot") X(extrafat, "extrafat") X(extracho, "extracho") \
    X(prottot, "prottot") X(fattot, "fattot") X(chotot, "chotot") \
    X(calprottot, "calprottot") X(calfattot, "calfattot") X(calchotot, "calchotot") \
    X(caltot, "caltot") \
    X(kjprottot, "kjprottot") X(kjfattot, "kjfattot") X(kjchotot, "kjchotot") X(kjtot, "kjtot") \
    X(protper, "protper") X(fatper, "fatper") X(choper, "choper") \
    X(hbrda, "hbrda") X(owenrda, "owenrda") X(mifrda, "mifrda") X(whorda, "whorda") \
    X(lastrda, "lastrda") \
    X(hbrdacal, "hbrdacal") X(owenrdacal, "owenrdacal") X(mifrdacal, "mifrdacal") \
    X(whordacal, "whordacal") X(lastrdacal, "lastrdacal") \
    X(hblose, "hblose") X(owenlose, "owenlose") X(miflose, "miflose") X(lastlose, "lastlose") \
    X(wholose, "wholose") \
    X(hbgain, "hbgain") X(owengain, "owengain") X(mifgain, "mifgain") X(lastgain, "lastgain") \
    X(whogain, "whogain") \
    X(showGender, "showGender") \
    X(showHeight, "showHeight") X(showWeight, "showWeight") X(showAge, "showAge") \
    X(showactivity, "showactivity")
// clang-format on

enum class Output : std::size_t {
#define NUTROVO_OUTPUT_ENUM(id, name) id,
    NUTROVO_OUTPUT_FIELDS(NUTROVO_OUTPUT_ENUM)
#undef NUTROVO_OUTPUT_ENUM
};

inline constexpr std::array outputNames = {
#define NUTROVO_OUTPUT_NAME(id, name) std::string_view(name),
    NUTROVO_OUTPUT_FIELDS(NUTROVO_OUTPUT_NAME)
#undef NUTROVO_OUTPUT_NAME
};

inline constexpr std::size_t outputCount = outputNames.size();

constexpr std::string_view outputName(Output field)
{
    return outputNames[static_cast<std::size_t>(field)];
}

} // namespace nutrovo
