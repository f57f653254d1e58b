// A command of the window with no control of its own: an action named for
// outside tools, with a shortcut that works wherever the focus is in the
// window, offered in the window's context menu.
#pragma once

#include <QKeySequence>
#include <QString>

#include <functional>

class QAction;
class QWidget;

namespace nutrovo::ui {

QAction *addWindowCommand(QWidget &window, const char *name, const QString &text, const QKeySequence &keys,
                          std::function<void()> run);

// A line between groups of commands in the context menu.
void addCommandSeparator(QWidget &window);

} // namespace nutrovo::ui
