// The window described as data: every control with its name, kind,
// container, twip rectangle, caption or initial text, font, colours and
// alignment, in the order of the window's regions. WindowBuilder turns the
// table into widgets; nothing else places a control.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace nutrovo::layout {

enum class Kind : std::uint8_t {
    Label,
    TextField,    // display field or the client's name: editable single-line text
    FixedText,    // text field showing its design text for the life of the window
    RowFrame,     // borderless, captionless strip holding one food group's row
    Frame,        // bordered frame without caption
    Panel,        // captioned formula panel, hidden at start
    OptionButton, // member of an option array; its frame is its group
    DropDown,
    Picture,
    PushButton,
};

enum class Family : std::uint8_t { Sans, Serif, Comic };

struct Font {
    Family family = Family::Sans;
    double points = 9.75;
    bool bold = false;
    bool italic = false;
};

enum class Align : std::uint8_t { Left, Center, Right };

// 0xRRGGBB, or one of the markers below.
using Colour = std::uint32_t;
inline constexpr Colour KindDefault = 0xFF000000; // white for labels and frames, system otherwise
inline constexpr Colour SystemWindow = 0xFF000001; // the system window (base) colour
inline constexpr Colour SystemHighlightText = 0xFF000002;
inline constexpr Colour White = 0xFFFFFF;
inline constexpr Colour Red = 0xFF0000;
inline constexpr Colour Black = 0x000000;

// Pictures: the image drawn at the picture's top-left corner.
enum class Image : std::uint8_t { None, Apple, Help };

struct Look {
    Font font{};
    Align align = Align::Left;
    Colour text = KindDefault;
    Colour background = KindDefault;
    bool flat = false; // panels: flat look instead of the usual frame border
    Image image = Image::None;
};

struct Control {
    std::string_view name;
    Kind kind;
    std::string_view parent; // empty: the window's client area
    int left, top, width, height; // twips, relative to the parent
    std::string_view text;        // caption or initial text
    Look look{};
    // A control array laid out in a row: members name(0) .. name(count - 1),
    // member i at left + pitch x i. Zero for a single control.
    int count = 0;
    int pitch = 0;
    std::string_view toolTip{};
    // Members of the array show a blank and their index (" 0" .. " 15").
    bool captionIsIndex = false;
};

inline constexpr int twipsPerPixel = 15;
inline constexpr int clientWidthTwips = 11475;
inline constexpr int clientHeightTwips = 9960;
// Everything designed lies inside this part of the client area; the
// controls added since lie in the band below it.
inline constexpr int usedWidthTwips = 11175;
inline constexpr int usedHeightTwips = 8655;

inline constexpr std::string_view windowTitle = "Nutrovo - Meal Planner";

std::span<const Control> windowControls();

// Keyboard focus order; an option array's name stands for its whole group.
std::span<const std::string_view> tabOrder();

// Help triggers and the panel each shows while a mouse button is held on it.
struct HelpTrigger {
    std::string_view trigger;
    std::string_view panel;
};
std::span<const HelpTrigger> helpTriggers();

} // namespace nutrovo::layout
