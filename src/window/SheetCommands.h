// The window's commands beyond its two buttons: Print Form (Ctrl+P), Save as
// PDF… (Ctrl+Shift+S) and Copy Sheet as Text (Ctrl+Shift+C). They add no visible
// control: the shortcuts work wherever the focus is in the window, and a
// context menu offers them on a right-click, the Menu key or Shift+F10 (in a
// text field, below the field's own editing menu). Each page they make shows
// the window at rest.
#pragma once

#include <QDate>
#include <QSizeF>
#include <QString>

#include <functional>

class QWidget;

namespace nutrovo::ui {

// The suggested file name for a saved sheet: the client's name (or
// "consultation") and the date, with what a file name can't hold replaced.
QString pdfFileName(const QString &clientName, const QDate &date);

// What the commands ask of the window's printer: print runs the print
// button's handler; paper names the default printer's paper, if any.
struct SheetPrinting {
    std::function<void()> print;
    std::function<QSizeF()> paper;
};

// Gives the window the three commands as actions of its own, named
// printAction, savePdfAction and copyTextAction.
void addSheetCommands(QWidget &window, SheetPrinting printing);

} // namespace nutrovo::ui
