#include "window/WindowCommand.h"

#include <QAction>
#include <QWidget>

namespace nutrovo::ui {

QAction *addWindowCommand(QWidget &window, const char *name, const QString &text, const QKeySequence &keys,
                          std::function<void()> run)
{
    auto *action = new QAction(text, &window);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, &window, std::move(run));
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
