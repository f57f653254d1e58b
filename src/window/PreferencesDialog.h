// Preferences…: the dietitian's name and credentials for the header, kept
// in the user's settings.
#pragma once

#include "window/Practitioner.h"

#include <functional>

class QWidget;

namespace nutrovo::ui {

// Opens the dialog over the window; once OK has written the settings, `kept`
// runs with the dietitian they now name.
void askForPreferences(QWidget &window, std::function<void(const Practitioner &)> kept);

} // namespace nutrovo::ui
