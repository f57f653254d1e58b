#include "print/NotePages.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QWidget>

namespace nutrovo::print {

namespace {

constexpr qreal notePoints = 10.5;
constexpr qreal headingPoints = 14;

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
void fill(QTextDocument &document, const NotePage &page, const QPaintDevice &device)
{
    QTextCursor cursor(&document);
    QTextCharFormat heading;
    heading.setFont(noteFont(headingPoints));
    heading.setFontWeight(QFont::Bold);
    cursor.insertText(page.client.isEmpty() ? QStringLiteral("Consultation") : page.client, heading);
    QTextBlockFormat spaced;
    spaced.setBottomMargin(QFontMetricsF(noteFont(notePoints), &device).height());
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
    const QSizeF body(device.width(), device.height());
    document.setPageSize(body);
    fill(document, page, device);

    for (int index = 0; index < document.pageCount(); ++index) {
        if (!device.newPage())
            return false;
        const QRectF shown(QPointF(0, index * body.height()), body);
        painter.save();
        painter.translate(0, -shown.top());
        painter.setClipRect(shown);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = shown;
        context.palette.setColor(QPalette::Text, Qt::black);
        document.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    return true;
}

} // namespace nutrovo::print
