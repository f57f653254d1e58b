// The visit's note on the sheet: after the page that shows the window, pages
// of real text (searchable and selectable in a PDF), headed with the client,
// the visit's date and the dietitian, as many as the note needs.
#pragma once

#include <QString>

class QPagedPaintDevice;
class QPainter;
class QWidget;

namespace nutrovo::print {

struct NotePage {
    QString client;
    QString visitDate; // yyyy-MM-dd
    QString dietitian; // empty while none is named
    QString note;      // empty: the sheet is the window's page alone
};

// A window whose sheet carries a note implements this beside QWidget.
class NoteSource {
public:
    virtual ~NoteSource() = default;
    virtual NotePage notePage() const = 0;
};

// The note the window gives its sheet; none for any other widget.
NotePage notePageOf(const QWidget &window);

// Adds the note's pages to a device the painter is painting on, each begun
// on a new page; false when the device refused a page.
bool paintNotePages(QPagedPaintDevice &device, QPainter &painter, const NotePage &page);

} // namespace nutrovo::print
