// What a screen reader says for each control of the window. Most controls
// have no caption of their own (the option buttons show only a circle, a
// display field only a number), so without names a reader announces
// "radio button" or "edit" and nothing more.
#pragma once

namespace nutrovo::ui {

struct BuiltWindow;

// Names every picker, option button, display field, push button and help
// picture, links each label that names one control to that control, and
// lets a screen reader pick a row of a list without opening it.
void describeForAssistiveTechnology(const BuiltWindow &built);

} // namespace nutrovo::ui
