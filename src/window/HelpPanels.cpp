#include "window/HelpPanels.h"

#include "window/QtText.h"
#include "window/WindowLayout.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace nutrovo::ui {

HelpPanels::HelpPanels(const QHash<QString, QWidget *> &controls)
{
    for (const layout::HelpTrigger &t : layout::helpTriggers()) {
        QWidget *trigger = controls.value(qs(t.trigger));
        QWidget *panel = controls.value(qs(t.panel));
        panelOf_.insert(trigger, panel);
        trigger->installEventFilter(this);
    }
}

namespace {

// Space held on a focused help picture works like a held mouse button.
bool isSpace(const QEvent *event)
{
    const auto *key = static_cast<const QKeyEvent *>(event);
    return key->key() == Qt::Key_Space && !key->isAutoRepeat();
}

} // namespace

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
    case QEvent::KeyPress:
        if (!isSpace(event))
            return false;
        heldByKey_ = panel;
        panel->show();
        return true;
    case QEvent::KeyRelease:
        if (!isSpace(event))
            return false;
        heldByKey_ = nullptr;
        panel->hide();
        return true;
    case QEvent::FocusOut:
        // Once the focus has moved on, the Space release goes elsewhere.
        if (heldByKey_ == panel) {
            heldByKey_ = nullptr;
            panel->hide();
        }
        return false;
    default:
        return false;
    }
}

} // namespace nutrovo::ui
