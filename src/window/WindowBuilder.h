// Creates the window's controls from the layout table.
#pragma once

#include <QHash>
#include <QString>

class QButtonGroup;
class QWidget;

namespace nutrovo::ui {

struct BuiltWindow {
    QHash<QString, QWidget *> controls;      // by object name, "Option1(3)" for array members
    QHash<QString, QButtonGroup *> groups;   // option arrays by array name, ids = Index
};

BuiltWindow buildWindow(QWidget &window);

// Gives an option group a single tab stop: its picked button, or its first
// button while none is picked. Arrow keys move inside the group.
void keepOneTabStop(QButtonGroup &group);

QString memberName(QStringView arrayName, int index);

} // namespace nutrovo::ui
