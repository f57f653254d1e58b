// The printed page: an image of the window, sharp on paper, fitted to the
// page width, with the date and time of printing (or saving) underneath. The
// page also carries the window's texts as a text layer under the image, so
// that the document can be searched and read back by programs. A window that
// keeps a note (NoteSource) adds the note's pages after it.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSizeF>
#include <QString>

class QPagedPaintDevice;
class QWidget;

namespace nutrovo::print {

// What the page's footer says happened to it, and when.
struct PageDate {
    enum class Made { Printed, Saved };
    Made made = Made::Printed;
    QDateTime at;
};

// The footer line that dates the consultation: "Printed on …" or "Saved on …".
QString footerLine(const PageDate &date);

// Paints that page onto a device whose paper is chosen, within margins of its
// own; false when the page could not be made.
bool paintWindowPage(QPagedPaintDevice &device, QWidget &window, const PageDate &date);

// A PDF of the window's page (and its note's pages) as it is displayed now, on paper of the given
// size (A4 when empty), titled with the window's own title unless given one.
// Empty when the page could not be made.
QByteArray windowPagePdf(QWidget &window, QSizeF paperMillimetres, const PageDate &date,
                         const QString &documentTitle = {});

} // namespace nutrovo::print
