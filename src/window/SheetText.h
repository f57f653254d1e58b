// The consultation sheet as text for a chart note: the client, the date, the
// measurements, the BMI, the energy table and the meal pattern, every figure
// exactly as the window shows it, and the visit's note after them. Each row
// is tab-separated so that the tables paste into a spreadsheet; the same rows
// also come as HTML tables for editors that take rich text, the note as a
// paragraph.
#pragma once

#include <QDate>
#include <QString>

class QWidget;

namespace nutrovo::ui {

struct SheetText {
    QString plain;
    QString html;
};

// Reads the window's displayed fields by their object names.
SheetText sheetText(const QWidget &window, const QDate &today);

} // namespace nutrovo::ui
