#include "window/WindowCommand.h"

#include <QAction>
#include <QWidget>

namespace nutrovo::ui {

QAction *addMenuCommand(QWidget &window, const char *name, const QString &text, const QKeySequence &keys,
                        std::function<void()> run)
{
    auto *action = new QAction(text, &window);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    // The context menu names the keys too, as the menu bar does.
    action->setShortcutVisibleInContextMenu(true);
    QObject::connect(action, &QAction::triggered, &window, std::move(run));
    return action;
}

QAction *addWindowCommand(QWidget &window, const char *name, const QString &text, const QKeySequence &keys,
                          std::function<void()> run)
{
    QAction *action = addMenuCommand(window, name, text, keys, std::move(run));
    window.addAction(action);
    return action;
}

void addCommandSeparator(QWidget &window)
{
    auto *separator = new QAction(&window);
    separator->setSeparator(true);
    window.addAction(separator);
}

} // namespace nutrovo::ui
