#include "window/WindowLayout.h"

#include <array>

namespace nutrovo::layout {

namespace {

// Fonts
constexpr Font sans825{Family::Sans, 8.25};
constexpr Font sans12{Family::Sans, 12};
constexpr Font sans135{Family::Sans, 13.5};
constexpr Font sansBold{Family::Sans, 9.75, true};
constexpr Font serif975{Family::Serif, 9.75};
constexpr Font serifItalic135{Family::Serif, 13.5, false, true};
constexpr Font comic24{Family::Comic, 24};
constexpr Font comic1425{Family::Comic, 14.25};

// Food-group colours: the row label's and its sixteen option buttons' background.
constexpr Colour proteinColour = 0xFC5871;
constexpr Colour starchColour = 0xF2EB59;
constexpr Colour dairyColour = 0x7ABFFE;
constexpr Colour fruitVegColour = 0x2DB81D;
constexpr Colour fatsColour = 0xFFC080;
constexpr Colour extrasColour = 0xE0E0E0;

// Looks
constexpr Look plain{};
constexpr Look centred{.align = Align::Center};
constexpr Look right{.align = Align::Right};
constexpr Look heading{.font = sans12, .align = Align::Center};
constexpr Look redBoldCentred{.font = sansBold, .align = Align::Center, .text = Red};
constexpr Look redBoldRight{.font = sansBold, .align = Align::Right, .text = Red};
constexpr Look bigRight{.font = sans12, .align = Align::Right};
constexpr Look helpPicture{.background = SystemWindow, .image = Image::Help};

constexpr Look rowLabel(Colour c) { return {.align = Align::Center, .background = c}; }
constexpr Look servingsButton(Colour c) { return {.font = sans825, .background = c}; }

// Help triggers to the left of each method row; row captions are right-aligned.
constexpr Look methodCaption = right;

using K = Kind;

// clang-format off
constexpr std::array controls = {
    // Region 1: header
    Control{"Label3", K::Label, "", 120, 0, 2055, 255, "Dietary Consult for:", {.font = serif975}},
    Control{"Text2", K::TextField, "", 120, 360, 2655, 405, "", {.font = sans12}},
    Control{"Label2", K::Label, "", 2760, 0, 6015, 855, "Energy Assessment",
            {.font = comic24, .align = Align::Center, .text = Red}},
    Control{"Label49", K::Label, "", 2640, 720, 6135, 375, "and meal pattern",
            {.font = comic1425, .align = Align::Center, .text = Red}},
    Control{"apple", K::Picture, "", 9120, 120, 495, 615, "", {.background = White, .image = Image::Apple}},
    Control{"Label4", K::Label, "", 9600, 120, 1575, 375, "Pellacott", {.font = serifItalic135}},
    Control{"Label5", K::Label, "", 9720, 480, 1335, 255, "Dietitian P. Dt.",
            {.font = serif975, .align = Align::Right}},

    // Region 2: servings grid, heading row
    Control{"Label6", K::Label, "", 120, 1200, 3015, 375, "Servings", centred},
    Control{"Label1", K::Label, "", 3120, 1200, 375, 375, "", {.font = sans825, .background = extrasColour},
            16, 360, {}, true},
    Control{"Label9(0)", K::Label, "", 9000, 1200, 615, 375, "PROT", heading},
    Control{"Label10(0)", K::Label, "", 9720, 1200, 615, 255, "FAT", heading},
    Control{"Label11(0)", K::Label, "", 10440, 1200, 495, 375, "CHO", heading},

    // Food-group rows: a borderless frame per row, its label and its option array
    Control{"protframe", K::RowFrame, "", -120, 1680, 9135, 495, ""},
    Control{"Label7", K::Label, "protframe", 240, 0, 2895, 375, "Protein", rowLabel(proteinColour)},
    Control{"Option2", K::OptionButton, "protframe", 3240, 0, 375, 375, "", servingsButton(proteinColour), 16, 360},
    Control{"starchFrame", K::RowFrame, "", -120, 2160, 9135, 495, ""},
    Control{"Label8", K::Label, "starchFrame", 240, 0, 2895, 375, "Starches", rowLabel(starchColour)},
    Control{"Option1", K::OptionButton, "starchFrame", 3240, 0, 375, 375, "", servingsButton(starchColour), 16, 360},
    Control{"milkframe", K::RowFrame, "", -120, 2640, 9135, 495, ""},
    Control{"Label12(0)", K::Label, "milkframe", 240, 0, 1215, 375, "Dairy 1/2 cup", rowLabel(dairyColour)},
    Control{"milkCombo", K::DropDown, "milkframe", 1560, 0, 1575, 360, ""},
    Control{"Option3", K::OptionButton, "milkframe", 3240, 0, 375, 375, "", servingsButton(dairyColour), 16, 360},
    Control{"vegframe", K::RowFrame, "", -120, 3120, 9135, 495, ""},
    Control{"Label13", K::Label, "vegframe", 240, 0, 2895, 375, "Fruits/Veg", rowLabel(fruitVegColour)},
    Control{"Option4", K::OptionButton, "vegframe", 3240, 0, 375, 375, "", servingsButton(fruitVegColour), 16, 360},
    Control{"fatsframe", K::RowFrame, "", -120, 3600, 9135, 495, ""},
    Control{"Label14", K::Label, "fatsframe", 240, 0, 2895, 375, "Fats/Oils", rowLabel(fatsColour)},
    Control{"Option5", K::OptionButton, "fatsframe", 3240, 0, 375, 375, "", servingsButton(fatsColour), 16, 360},
    Control{"sugarframe", K::RowFrame, "", -120, 4080, 9135, 495, ""},
    Control{"Label15", K::Label, "sugarframe", 240, 0, 2895, 375, "Extras (Sugar)", rowLabel(extrasColour)},
    Control{"Option6", K::OptionButton, "sugarframe", 3240, 0, 375, 375, "", servingsButton(extrasColour), 16, 360},

    // Grams of each group, on the window at the row's top
    Control{"protprot", K::TextField, "", 9000, 1680, 615, 480, "0", right},
    Control{"protfat", K::TextField, "", 9720, 1680, 615, 480, "0", right},
    Control{"protcho", K::TextField, "", 10440, 1680, 615, 480, "0", right},
    Control{"starchprot", K::TextField, "", 9000, 2160, 615, 375, "0", right},
    Control{"starchfat", K::TextField, "", 9720, 2160, 615, 375, "0", right},
    Control{"starchcho", K::TextField, "", 10440, 2160, 615, 375, "0", right},
    Control{"milkprot(0)", K::TextField, "", 9000, 2640, 615, 375, "0", right},
    Control{"milkfat(0)", K::TextField, "", 9720, 2640, 615, 375, "0", right},
    Control{"milkcho(0)", K::TextField, "", 10440, 2640, 615, 375, "0", right},
    Control{"fruitvegprot", K::TextField, "", 9000, 3120, 615, 375, "0", right},
    Control{"fruitvegfat", K::TextField, "", 9720, 3120, 615, 375, "0", right},
    Control{"fruitvegcho", K::TextField, "", 10440, 3120, 615, 375, "0", right},
    Control{"fatoilprot", K::TextField, "", 9000, 3600, 615, 375, "0", right},
    Control{"fatoilfat", K::TextField, "", 9720, 3600, 615, 375, "0", right},
    Control{"fatoilcho", K::TextField, "", 10440, 3600, 615, 375, "", right},
    Control{"extraprot", K::TextField, "", 9000, 4080, 615, 375, "0", right},
    Control{"extrafat", K::TextField, "", 9720, 4080, 615, 375, "0", right},
    Control{"extracho", K::TextField, "", 10440, 4080, 615, 375, "0", right},

    // Region 3: meal-pattern totals
    Control{"Label9(1)", K::Label, "", 9000, 4560, 615, 375, "PROT", heading},
    Control{"Label10(1)", K::Label, "", 9720, 4560, 615, 375, "FAT", heading},
    Control{"Label11(1)", K::Label, "", 10440, 4560, 495, 375, "CHO", heading},
    Control{"Label16(1)", K::Label, "", 6960, 5040, 735, 375, "Totals", redBoldCentred},
    Control{"Label16(0)", K::Label, "", 7920, 5040, 1095, 375, "Grams ", redBoldRight},
    Control{"prottot", K::TextField, "", 9000, 5040, 615, 405, "0", right},
    Control{"fattot", K::TextField, "", 9720, 5040, 615, 405, "0", right},
    Control{"chotot", K::TextField, "", 10440, 5040, 615, 405, "0", right},
    Control{"kjtot", K::TextField, "", 6840, 5520, 975, 360, "kjtot", bigRight},
    Control{"Label17", K::Label, "", 7680, 5520, 1335, 495, "kilojoules ", redBoldRight},
    Control{"kjprottot", K::TextField, "", 9000, 5520, 615, 375, "0", right},
    Control{"kjfattot", K::TextField, "", 9720, 5520, 615, 375, "0", right},
    Control{"kjchotot", K::TextField, "", 10440, 5520, 615, 375, "0", right},
    Control{"caltot", K::TextField, "", 6840, 6000, 975, 360, "caltot", bigRight},
    Control{"Label18", K::Label, "", 7800, 6000, 1215, 375, "Calories ", redBoldRight},
    Control{"calprottot", K::TextField, "", 9000, 6000, 615, 360, "0", right},
    Control{"calfattot", K::TextField, "", 9720, 6000, 615, 375, "0", right},
    Control{"calchotot", K::TextField, "", 10440, 6000, 615, 375, "0", right},
    Control{"Label19", K::Label, "", 8400, 6480, 495, 375, "%",
            {.font = sans135, .align = Align::Right, .text = Red}},
    Control{"protper", K::TextField, "", 9000, 6480, 615, 360, "0", right},
    Control{"fatper", K::TextField, "", 9720, 6480, 615, 375, "0", right},
    Control{"choper", K::TextField, "", 10440, 6480, 615, 360, "0", right},

    // Region 4: client measurements
    Control{"sexframe", K::Frame, "", 120, 4560, 1575, 615, ""},
    Control{"Label22", K::Label, "sexframe", 600, 0, 375, 255, "Sex"},
    Control{"Label20", K::Label, "sexframe", 120, 240, 255, 255, "M"},
    Control{"sex", K::OptionButton, "sexframe", 360, 240, 375, 360, "",
            {.font = sans135, .background = White}, 2, 360},
    Control{"Label21", K::Label, "sexframe", 1200, 240, 135, 255, "F"},
    Control{"Label23", K::Label, "", 720, 5280, 375, 255, "Age"},
    Control{"ageCombo", K::DropDown, "", 120, 5520, 1575, 360, "", plain, 0, 0,
            "Type is the age in the form XX yrs"},
    Control{"Label25", K::Label, "", 240, 6000, 1455, 255, "Current Weight"},
    Control{"wtCombo", K::DropDown, "", 120, 6240, 1575, 360, ""},
    Control{"Label28", K::Label, "", 240, 6720, 1455, 255, "Current Height"},
    Control{"htCombo", K::DropDown, "", 120, 6960, 1575, 360, ""},
    Control{"Label30", K::Label, "", 600, 7440, 615, 255, "Activity"},
    Control{"activityCombo", K::DropDown, "", 120, 7680, 1575, 360, ""},

    // Region 5: energy estimates
    Control{"Label31", K::Label, "", 2040, 4560, 375, 255, "BMI"},
    Control{"bmi", K::TextField, "", 1920, 4800, 615, 360, "0", {.align = Align::Right, .text = Black}},
    Control{"Label37", K::Label, "", 3120, 4800, 375, 255, "Cal"},
    Control{"Label38", K::Label, "", 3840, 4800, 855, 255, "kilojoules"},
    Control{"Label39", K::Label, "", 3120, 5040, 1455, 255, "Maintenance", centred},
    Control{"Label35", K::Label, "", 4920, 5040, 735, 255, "Lose", centred},
    Control{"Label36", K::Label, "", 5760, 5040, 735, 255, "Gain", centred},

    Control{"hbhelp", K::Picture, "", 2160, 5400, 375, 375, "", helpPicture},
    Control{"Label27", K::Label, "", 2400, 5400, 495, 255, "HB", methodCaption},
    Control{"hbrdacal", K::TextField, "", 3000, 5400, 800, 375, "hbrdacal", right},
    Control{"hbrda", K::TextField, "", 3840, 5400, 800, 360, "hbrda", right},
    Control{"hblose", K::TextField, "", 4920, 5400, 800, 375, "hblose", right},
    Control{"hbgain", K::TextField, "", 5760, 5400, 800, 375, "hbgain", right},

    Control{"owenhelp", K::Picture, "", 1800, 5880, 375, 375, "", helpPicture},
    Control{"Label32", K::Label, "", 2160, 5880, 735, 255, "Owen's", methodCaption},
    Control{"owenrdacal", K::TextField, "", 3000, 5880, 800, 360, "owenrdacal", right},
    Control{"owenrda", K::TextField, "", 3840, 5880, 800, 360, "owenrda", right},
    Control{"owenlose", K::TextField, "", 4920, 5880, 800, 375, "owenlose", right},
    Control{"owengain", K::TextField, "", 5760, 5880, 800, 360, "owengain", right},

    Control{"mifhelp", K::Picture, "", 1920, 6360, 375, 375, "", helpPicture},
    Control{"Label33", K::Label, "", 2280, 6360, 615, 255, "Mifflin", methodCaption},
    Control{"mifrdacal", K::TextField, "", 3000, 6360, 800, 360, "mifflincal", right},
    Control{"mifrda", K::TextField, "", 3840, 6360, 800, 375, "mifflinrda", right},
    Control{"miflose", K::TextField, "", 4920, 6360, 800, 375, "mifflinlose", right},
    Control{"mifgain", K::TextField, "", 5760, 6360, 800, 360, "mifflingain", right},

    Control{"lasthelp", K::Picture, "", 1800, 6840, 375, 375, "", helpPicture},
    Control{"Label34", K::Label, "", 2040, 6840, 855, 255, "Another", methodCaption},
    Control{"lastrdacal", K::TextField, "", 3000, 6840, 800, 360, "lastrdacal", right},
    Control{"lastrda", K::TextField, "", 3840, 6840, 800, 360, "lastrda", right},
    Control{"lastlose", K::TextField, "", 4920, 6840, 800, 375, "lastlose", right},
    Control{"lastgain", K::TextField, "", 5760, 6840, 800, 360, "lastgain", right},

    Control{"whohelp", K::Picture, "", 1920, 7320, 375, 375, "", helpPicture},
    Control{"Label50", K::Label, "", 2160, 7320, 735, 255, "WHO", methodCaption},
    Control{"whordacal", K::TextField, "", 3000, 7320, 800, 360, "whordacal", right},
    Control{"whorda", K::TextField, "", 3840, 7320, 800, 360, "whorda", right},
    Control{"wholose", K::TextField, "", 4920, 7320, 800, 375, "wholose", right},
    Control{"whogain", K::TextField, "", 5760, 7320, 800, 360, "whogain", right},

    // Region 6: echo row
    Control{"Label24", K::Label, "", 1920, 7920, 1455, 255, "weight kg", centred},
    Control{"showWeight", K::TextField, "", 1920, 8280, 1455, 360, "show weight", centred},
    Control{"Label26", K::Label, "", 3480, 7920, 1455, 255, "height cm", centred},
    Control{"showHeight", K::TextField, "", 3480, 8280, 1455, 375, "show height cm", centred},
    Control{"Label29", K::Label, "", 5040, 7920, 1335, 255, "activity factor", centred},
    Control{"showactivity", K::TextField, "", 5040, 8280, 1335, 360, "show activity", centred},
    Control{"Label40", K::Label, "", 6480, 7920, 1455, 255, "age years", centred},
    Control{"showAge", K::TextField, "", 6480, 8280, 1455, 360, "show age", centred},
    Control{"Label41", K::Label, "", 8040, 7920, 1335, 255, "gender", centred},
    Control{"showGender", K::TextField, "", 8040, 8280, 1335, 375, "show gender", centred},
    Control{"Label48", K::Label, "", 10200, 7920, 255, 375, "08", {.background = SystemHighlightText}},

    // What the BMI means for the client's age and sex, in the free band below
    // the designed sheet, so that no designed control moves; as wide as its
    // longest text ("Check height and weight (z +12.34)").
    Control{"bmiClassLabel", K::Label, "", 1920, 8760, 1455, 255, "BMI class", right},
    Control{"bmiClass", K::TextField, "", 3480, 8700, 4455, 360, "", plain},

    // Region 7: commands
    Control{"printbutton", K::PushButton, "", 9600, 6960, 1455, 375, "Print Form", {.background = White}},
    Control{"ResetCmd", K::PushButton, "", 9600, 7440, 1455, 375, "Reset Form"},

    // Region 8: formula panels, hidden until a help trigger is held
    Control{"hbFrame", K::Panel, "", 1320, 1920, 8535, 2415, "Harris Benedict Equation"},
    Control{"Text5", K::FixedText, "hbFrame", 240, 480, 1455, 255, "Male Cal ="},
    Control{"Label57", K::Label, "hbFrame", 360, 840, 7815, 255,
            "(66.47 + 13.75 X (weight in kg) + 5 X (height in cm) - 6.76 X (age in years)) X activity factor"},
    Control{"Label55", K::Label, "hbFrame", 240, 1200, 1455, 255, "Female Cal ="},
    Control{"Label56", K::Label, "hbFrame", 360, 1560, 7935, 375,
            "(665.1 + 9.56 X (weight in kg) + 1.85 X (height in cm) - 4.68 X (age in years)) X activity factor"},

    Control{"owenFrame", K::Panel, "", 1320, 1920, 8535, 2415, " Owen's Formula "},
    Control{"Text1", K::FixedText, "owenFrame", 240, 480, 1455, 255, "Male Cal ="},
    Control{"Label42", K::Label, "owenFrame", 360, 840, 7815, 255,
            "(10 X (weight in kg) + 900)  X  activity factor"},
    Control{"Label45", K::Label, "owenFrame", 240, 1200, 1455, 255, "Female Cal ="},
    Control{"Label44", K::Label, "owenFrame", 360, 1560, 7935, 375,
            "( 7 X (weight in kg) + 800) X activity factor"},

    Control{"mifFrame", K::Panel, "", 1320, 1920, 8535, 2415, "Mifflin Method "},
    Control{"Label43", K::Label, "mifFrame", 240, 480, 1575, 255, "Male kj ="},
    Control{"Label47", K::Label, "mifFrame", 480, 840, 7455, 255,
            " ( 5 + 10 X (weight in kg) + 6.25 X  (height in cm) - 5 X ( age in years)) X (activity factor)"},
    Control{"Label46", K::Label, "mifFrame", 240, 1200, 1335, 255, "Female kj ="},
    Control{"Label58", K::Label, "mifFrame", 480, 1560, 7935, 375,
            " ( -161 + 10 * (weight in kg) + 6.25 X (height in cm) - 5 X ( age in years)) X (activity factor)"},

    Control{"lastFrame", K::Panel, "", 1320, 1920, 8535, 2415, "Another Formula "},
    Control{"Text3", K::FixedText, "lastFrame", 240, 480, 2175, 255, "Male & Female Cal ="},
    Control{"Label51", K::Label, "lastFrame", 360, 840, 7815, 255,
            " (weight in lb) X 10 + (weight in lb)  X  (activity factor)"},

    Control{"whoFrame", K::Panel, "", 1320, 1920, 8535, 2415, "WHO Basal Energy Estimation  age>60",
            {.text = SystemWindow, .background = SystemWindow, .flat = true}},
    Control{"Label62", K::Label, "whoFrame", 240, 480, 1575, 255, "Male Kcal/day ="},
    Control{"Label60", K::Label, "whoFrame", 480, 840, 7815, 255,
            "( ( 8.8 X (weight in kg)) + (1128 X (height in m )) - 1071 ) X activity factor"},
    Control{"Label61", K::Label, "whoFrame", 240, 1200, 1695, 375, "Female Kcal/day="},
    Control{"Label59", K::Label, "whoFrame", 480, 1560, 6495, 375,
            "( ( 9.2 X (weight in kg)) + ( 657 X (height in m )) - 302) X activity factor"},
    Control{"Text4", K::FixedText, "whoFrame", 3240, 1920, 4455, 375,
            "There are similar formulas for other age groups"},
};

constexpr auto focusOrder = std::to_array<std::string_view>({
    "protprot", "protfat", "protcho", "starchprot", "starchfat", "starchcho", "prottot", "Text2",
    "fattot", "chotot", "milkprot(0)", "milkfat(0)", "milkcho(0)", "fruitvegprot", "fruitvegfat",
    "fruitvegcho", "fatoilprot", "fatoilfat", "fatoilcho", "extraprot", "extrafat", "extracho",
    "kjprottot", "kjfattot", "kjchotot", "calprottot", "calfattot", "calchotot", "kjtot", "caltot",
    "protper", "fatper", "choper", "showWeight", "bmi", "bmiClass", "hbrda", "owenrda", "mifrda", "lastrda",
    "hblose", "owenlose", "miflose", "lastlose", "hbgain", "owengain", "mifgain", "lastgain",
    "hbrdacal", "owenrdacal", "mifrdacal", "lastrdacal", "activityCombo", "wtCombo", "htCombo",
    "ageCombo", "showHeight", "showactivity", "showAge", "showGender", "hbhelp", "owenhelp",
    "mifhelp", "lasthelp", "apple", "whohelp", "whordacal", "whogain", "wholose", "whorda",
    "printbutton", "sex", "Option1", "Option6", "Option5", "Option2", "milkCombo", "Option3",
    "Option4", "Text5", "Text1", "Text3", "ResetCmd", "Text4",
});

constexpr std::array triggers = {
    HelpTrigger{"hbhelp", "hbFrame"},   HelpTrigger{"Label27", "hbFrame"},
    HelpTrigger{"owenhelp", "owenFrame"}, HelpTrigger{"mifhelp", "mifFrame"},
    HelpTrigger{"lasthelp", "lastFrame"}, HelpTrigger{"whohelp", "whoFrame"},
};
// clang-format on

} // namespace

std::span<const Control> windowControls() { return controls; }
std::span<const std::string_view> tabOrder() { return focusOrder; }
std::span<const HelpTrigger> helpTriggers() { return triggers; }

} // namespace nutrovo::layout
