#include "register/VisitCsv.h"

#include "register/Schema.h"

#include <QStringList>

namespace nutrovo::reg {

namespace {

// A spreadsheet runs a cell that starts so as a formula; a leading
// apostrophe keeps it text. Numbers such as -5 are numbers, not formulas.
bool readAsFormula(const QString &cell)
{
    if (cell.isEmpty() || !QStringLiteral("=+-@\t\r").contains(cell.front()))
        return false;
    bool isNumber = false;
    static_cast<void>(cell.toDouble(&isNumber));
    return !isNumber;
}

QString csvCell(QString cell)
{
    if (readAsFormula(cell))
        cell.prepend(u'\'');
    if (cell.contains(u'"') || cell.contains(u',') || cell.contains(u'\r') || cell.contains(u'\n')) {
        cell.replace(u'"', QStringLiteral("\"\""));
        return u'"' + cell + u'"';
    }
    return cell;
}

QString csvRow(const QStringList &cells)
{
    QStringList quoted;
    for (const QString &cell : cells)
        quoted.append(csvCell(cell));
    return quoted.join(u',') + QStringLiteral("\r\n");
}

} // namespace

QByteArray visitsCsv(const QList<StoredVisit> &visits)
{
    QString text = csvRow(visitHeadings());
    for (const StoredVisit &stored : visits) {
        QStringList cells;
        for (const QVariant &value : visitValues(stored.day, stored.visit))
            cells.append(value.isNull() ? QString() : value.toString());
        text += csvRow(cells);
    }
    return text.toUtf8();
}

} // namespace nutrovo::reg
