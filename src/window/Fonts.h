// The window's typefaces, as the layout table names them.
#pragma once

#include "window/WindowLayout.h"

#include <QFont>

namespace nutrovo::ui {

QFont layoutFont(const layout::Font &wanted);

} // namespace nutrovo::ui
