#include "window/WindowAtRest.h"

#include "window/QtText.h"
#include "window/WindowLayout.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include <utility>

namespace nutrovo::ui {

namespace {

bool belongsTo(const QWidget *widget, const QWidget &window)
{
    for (; widget != nullptr; widget = widget->parentWidget())
        if (widget == &window)
            return true;
    return false;
}

} // namespace

WindowAtRest::WindowAtRest(QWidget &window) : window_(window)
{
    // In this order: a panel held open with Space closes for good once its
    // picture loses the focus; a closed list gives the focus back to the
    // window; a field loses its selection once it no longer has the focus.
    hidePanels();
    closeOpenLists();
    clearSelections();
    takeFocus();
    clearPointerStates();
}

WindowAtRest::~WindowAtRest()
{
    for (const QPointer<QWidget> &panel : std::as_const(panels_))
        if (panel)
            panel->show();
    for (const QPointer<QWidget> &button : std::as_const(pressed_))
        if (auto *pressed = qobject_cast<QAbstractButton *>(button.data()))
            pressed->setDown(true);
    for (const QPointer<QWidget> &widget : std::as_const(hovered_))
        if (widget)
            widget->setAttribute(Qt::WA_UnderMouse, true);
    if (focus_) {
        const QSignalBlocker quiet(focus_.data());
        focus_->setFocus(Qt::OtherFocusReason);
    }
    for (const Selection &selection : std::as_const(selections_)) {
        if (!selection.field)
            continue;
        const QSignalBlocker quiet(selection.field.data());
        if (selection.cursorAtStart)
            selection.field->setSelection(selection.start + selection.length, -selection.length);
        else
            selection.field->setSelection(selection.start, selection.length);
    }
    // The list comes back where it was, on the row it showed.
    for (const QPointer<QWidget> &list : std::as_const(openLists_))
        if (list)
            list->show();
}

// A picker's list is a window of its own, so it never shows on the page, but
// while it is open its picker is drawn pressed.
void WindowAtRest::closeOpenLists()
{
    QWidget *popup = QApplication::activePopupWidget();
    if (popup == nullptr || qobject_cast<QComboBox *>(popup->parentWidget()) == nullptr ||
        !belongsTo(popup, window_))
        return;
    openLists_.append(popup);
    popup->hide();
}

void WindowAtRest::clearSelections()
{
    for (QLineEdit *field : window_.findChildren<QLineEdit *>()) {
        if (!field->hasSelectedText())
            continue;
        const int start = field->selectionStart();
        selections_.append({field, start, field->selectionLength(), field->cursorPosition() == start});
        const QSignalBlocker quiet(field);
        field->deselect();
    }
}

// The focus moves to the window itself, which draws no focus of its own.
// The field it leaves would report its editing finished: it is not.
void WindowAtRest::takeFocus()
{
    QWidget *focused = QApplication::focusWidget();
    if (focused == nullptr || focused == &window_ || !belongsTo(focused, window_))
        return;
    focus_ = focused;
    const QSignalBlocker quiet(focused);
    window_.setFocus(Qt::OtherFocusReason);
}

void WindowAtRest::clearPointerStates()
{
    for (QWidget *widget : window_.findChildren<QWidget *>()) {
        if (widget->testAttribute(Qt::WA_UnderMouse)) {
            hovered_.append(widget);
            widget->setAttribute(Qt::WA_UnderMouse, false);
        }
        if (auto *button = qobject_cast<QAbstractButton *>(widget); button && button->isDown()) {
            pressed_.append(button);
            button->setDown(false);
        }
    }
}

void WindowAtRest::hidePanels()
{
    for (const layout::HelpTrigger &trigger : layout::helpTriggers()) {
        QWidget *panel = window_.findChild<QWidget *>(qs(trigger.panel));
        if (panel != nullptr && panel->isVisible() && !panels_.contains(panel)) {
            panels_.append(panel);
            panel->hide();
        }
    }
}

} // namespace nutrovo::ui
