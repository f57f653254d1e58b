#include "print/NotePages.h"

#include <QAbstractTextDocumentLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextLayout>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QWidget>

namespace nutrovo::print {

namespace {

constexpr qreal notePoints = 10.5;
constexpr qreal headingPoints = 14;
constexpr qreal blankLine = 16; // a line of the note, at the layout's 96 dots per inch

QFont noteFont(qreal points)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

QString headingLine(const NotePage &page)
{
    QString line = QStringLiteral("Visit of %1").arg(page.visitDate);
    if (!page.dietitian.isEmpty())
        line += QStringLiteral(" \u2014 %1").arg(page.dietitian);
    return line;
}

// Inserted as text, never read as markup: a note may hold anything.
void fill(QTextDocument &document, const NotePage &page)
{
    QTextCursor cursor(&document);
    QTextCharFormat heading;
    heading.setFont(noteFont(headingPoints));
    heading.setFontWeight(QFont::Bold);
    cursor.insertText(page.client.isEmpty() ? QStringLiteral("Consultation") : page.client, heading);
    QTextBlockFormat spaced;
    spaced.setBottomMargin(blankLine); // in the layout's own units, scaled to the device
    cursor.insertBlock(spaced);
    QTextCharFormat body;
    body.setFont(noteFont(notePoints));
    cursor.insertText(headingLine(page), body);
    cursor.insertBlock(QTextBlockFormat());
    cursor.insertText(page.note, body);
}

} // namespace

NotePage notePageOf(const QWidget &window)
{
    const auto *source = dynamic_cast<const NoteSource *>(&window);
    return source != nullptr ? source->notePage() : NotePage{};
}

bool paintNotePages(QPagedPaintDevice &device, QPainter &painter, const NotePage &page)
{
    QTextDocument document;
    document.documentLayout()->setPaintDevice(&device);
    document.setDefaultFont(noteFont(notePoints));
    document.setDocumentMargin(0);
    document.setTextWidth(device.width());
    fill(document, page);

    // Line by line, each whole on one page: a line cut by the page's edge
    // would be half on each, and its text twice in the document's text.
    qreal pageTop = 0;
    bool pageStarted = false;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QPointF blockAt = document.documentLayout()->blockBoundingRect(block).topLeft();
        const QTextLayout &layout = *block.layout();
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            const qreal top = blockAt.y() + line.y();
            const bool full = top + line.height() - pageTop > device.height();
            if (!pageStarted || full) {
                if (!device.newPage())
                    return false;
                pageTop = pageStarted ? top : 0;
                pageStarted = true;
            }
            painter.setPen(Qt::black);
            line.draw(&painter, blockAt - QPointF(0, pageTop));
        }
    }
    return true;
}

} // namespace nutrovo::print
