// The printed page: an image of the window, sharp on paper, fitted to the
// page width, with the date and time of printing underneath. The page also
// carries the window's texts as a text layer under the image, so that the
// printed document can be searched and read back by programs.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSizeF>
#include <QString>

class QPagedPaintDevice;
class QWidget;

namespace nutrovo::print {

// The footer line that dates the printed consultation.
QString printedOnLine(const QDateTime &printedAt);

// Paints that page onto a device whose paper is chosen, within margins of its
// own; false when the page could not be made.
bool paintWindowPage(QPagedPaintDevice &device, QWidget &window, const QDateTime &printedAt);

// A one-page PDF of the window as it is displayed now, on paper of the given
// size (A4 when empty), titled with the window's title unless given one.
// Empty when the page could not be made.
QByteArray windowPagePdf(QWidget &window, QSizeF paperMillimetres, const QDateTime &printedAt,
                         const QString &documentTitle = {});

} // namespace nutrovo::print
