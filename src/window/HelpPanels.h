// Shows a method's formula panel while a mouse button is held on one of its
// triggers, and hides it on release.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QWidget;

namespace nutrovo::ui {

class HelpPanels : public QObject {
    Q_OBJECT
public:
    explicit HelpPanels(const QHash<QString, QWidget *> &controls);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QHash<QObject *, QWidget *> panelOf_;
    QWidget *heldByKey_ = nullptr; // panel held open with Space, if any
};

} // namespace nutrovo::ui
