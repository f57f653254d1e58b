// The program's own commands, beside the consultation's: Quit (Ctrl+Q),
// Keyboard Shortcuts (F1) and About Nutrovo, as menu commands named
// quitAction, shortcutsAction and aboutAction. Their dialogs, named
// shortcutsDialog and aboutDialog, are made when asked for and go when closed.
#pragma once

class QWidget;

namespace nutrovo::ui {

void addProgramCommands(QWidget &window);

} // namespace nutrovo::ui
