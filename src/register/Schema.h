// The register's tables, the same on both engines but for the few words
// each spells its own way, and the steps that bring an older register up to
// this program's layout.
#pragma once

#include "register/RegisterLocation.h"
#include "visits/Visit.h"

#include <QString>
#include <QStringList>
#include <QVariant>

namespace nutrovo::reg {

// The layout this program writes. A register at a higher version was made by
// a newer program and is only read.
inline constexpr int schemaVersion = 3;

// The statements that take a register from version - 1 to version, as that
// version's program ran them: a released layout never changes.
QStringList migrationTo(int version, Engine engine);

// Every stored field of a visit after its id and client: the day, the time,
// the name as typed, version, who saved it, the dietitian named, every pick,
// every field's text, the note.
// The SQL column names, and the headings an export gives them (the window's
// names for the controls).
const QStringList &visitColumns();
const QStringList &visitHeadings();

// The layout whose step added a visit column: 1 for the first layout's.
// Visits saved before it hold NULL there.
int layoutAdding(const QString &column);
// A visit column as a select reads it from a register of the given layout:
// NULL where that layout has no such column yet.
QString readableColumn(const QString &column, int layout, const QString &prefix = {});

// A visit's values in visitColumns' order; "no button", no note and no
// dietitian are NULL.
QVariantList visitValues(const QString &day, const visits::Visit &visit);

// The column of a display field's text.
QString columnOf(Output field);

} // namespace nutrovo::reg
