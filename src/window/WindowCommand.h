// A command of the window with no control of its own: an action named for
// outside tools. A window command's shortcut works wherever the focus is in
// the window, and the window's context menu offers it; a menu command is the
// window's too, but only the menu bar offers it (and its shortcut works
// through the menu bar).
#pragma once

#include <QKeySequence>
#include <QString>

#include <functional>

class QAction;
class QWidget;

namespace nutrovo::ui {

QAction *addWindowCommand(QWidget &window, const char *name, const QString &text, const QKeySequence &keys,
                          std::function<void()> run);

QAction *addMenuCommand(QWidget &window, const char *name, const QString &text, const QKeySequence &keys,
                        std::function<void()> run);

// A line between groups of commands in the context menu.
void addCommandSeparator(QWidget &window);

} // namespace nutrovo::ui
