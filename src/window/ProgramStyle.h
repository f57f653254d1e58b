// The toolkit's own style for the whole program, but for one icon: the menu
// bar's overflow button (shown only when the window is narrower than its
// menus). The toolkit reads that icon from a PNG after trying every image
// plugin on it, the SVG one with its library: milliseconds and most of a
// mebibyte at start-up. Here it is read as PNG alone.
#pragma once

namespace nutrovo::ui {

// Before the first window is made.
void useProgramStyle();

} // namespace nutrovo::ui
