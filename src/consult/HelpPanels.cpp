#include "consult/HelpPanels.h"

#include "consult/WindowLayout.h"

#include <QEvent>
#include <QWidget>

namespace nutrovo::ui {

HelpPanels::HelpPanels(const QHash<QString, QWidget *> &controls)
{
    for (const layout::HelpTrigger &t : layout::helpTriggers()) {
        QWidget *trigger = controls.value(QString::fromLatin1(t.trigger.data(), qsizetype(t.trigger.size())));
        QWidget *panel = controls.value(QString::fromLatin1(t.panel.data(), qsizetype(t.panel.size())));
        Q_ASSERT(trigger && panel);
        panelOf_.insert(trigger, panel);
        trigger->installEventFilter(this);
    }
}

bool HelpPanels::eventFilter(QObject *watched, QEvent *event)
{
    QWidget *panel = panelOf_.value(watched);
    if (!panel)
        return false;
    switch (event->type()) {
    // A quick second press arrives as a double-click, not as a press.
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        panel->show();
        return true;
    case QEvent::MouseButtonRelease:
        // The toolkit sends the release to the widget that got the press,
        // even when the pointer has left it meanwhile.
        panel->hide();
        return true;
    default:
        return false;
    }
}

} // namespace nutrovo::ui
