#include "print/PrintPage.h"

#include "print/NotePages.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QComboBox>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QWidget>
#include <QtMath>
#include <algorithm>

namespace nutrovo::print {

namespace {

// Screen pixels would show as blocks on paper. The window is drawn afresh at
// the smallest whole multiple of its size that gives at least this on the
// page (3 on A4, 4 on Letter): each step up costs a third more time to make
// and compress the image.
constexpr qreal printDotsPerInch = 300;
constexpr int largestImageScale = 6;
constexpr qreal marginMillimetres = 10;
constexpr qreal footerPoints = 8;

// One text as the window shows it, in window coordinates.
struct ShownText {
    QRect rect;
    QString text;
    QFont font;
    int flags = 0;
};

bool textOf(const QWidget &widget, QString &text, int &flags)
{
    if (const auto *label = qobject_cast<const QLabel *>(&widget)) {
        text = label->text();
        flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    } else if (const auto *field = qobject_cast<const QLineEdit *>(&widget)) {
        text = field->text();
        flags = int(field->alignment());
    } else if (const auto *push = qobject_cast<const QPushButton *>(&widget)) {
        text = push->text();
        flags = Qt::AlignCenter;
    } else if (const auto *button = qobject_cast<const QAbstractButton *>(&widget)) {
        text = button->text();
        flags = Qt::AlignRight | Qt::AlignVCenter;
    } else if (const auto *combo = qobject_cast<const QComboBox *>(&widget)) {
        text = combo->currentText();
        flags = Qt::AlignLeft | Qt::AlignVCenter;
    } else if (const auto *frame = qobject_cast<const QGroupBox *>(&widget)) {
        text = frame->title();
        flags = Qt::AlignLeft | Qt::AlignTop;
    }
    return !text.trimmed().isEmpty();
}

QList<ShownText> shownTexts(const QWidget &window)
{
    QList<ShownText> texts;
    for (const QWidget *widget : window.findChildren<QWidget *>()) {
        ShownText shown;
        // A dialog open beside the window (its note) is no part of the page.
        if (widget->window() != window.window() || !widget->isVisibleTo(&window) ||
            !textOf(*widget, shown.text, shown.flags))
            continue;
        shown.rect = QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
        // In window pixels, so that the text scales with the image.
        shown.font = widget->font();
        shown.font.setPixelSize(QFontInfo(widget->font()).pixelSize());
        texts.append(shown);
    }
    return texts;
}

int imageScaleFor(qreal imageWidthInches, int windowWidth)
{
    const int scale = qCeil(printDotsPerInch * imageWidthInches / windowWidth);
    return std::clamp(scale, 1, largestImageScale);
}

QImage windowImage(QWidget &window, int scale)
{
    QImage image(window.size() * scale, QImage::Format_RGB32);
    if (image.isNull())
        return image; // too large to allocate
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    window.render(&image);
    return image;
}

QPageSize paperOf(QSizeF paperMillimetres)
{
    return paperMillimetres.isEmpty() ? QPageSize(QPageSize::A4)
                                      : QPageSize(paperMillimetres, QPageSize::Millimeter);
}

QFont footerFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(footerPoints);
    return font;
}

// The image as large as the page allows above the footer, its proportions kept.
QRectF imageArea(QSizeF windowSize, QRectF printable, qreal footerHeight)
{
    const qreal scale = std::min(printable.width() / windowSize.width(),
                                 (printable.height() - footerHeight) / windowSize.height());
    const QSizeF size = windowSize * scale;
    return {printable.left() + (printable.width() - size.width()) / 2, printable.top(),
            size.width(), size.height()};
}

struct PagePlan {
    QRectF printable;
    QRectF imageArea;
    QFont footer;
    qreal footerHeight = 0;
};

// Where things go on the page, in the device's units.
PagePlan planPage(const QPaintDevice &device, QSize windowSize)
{
    PagePlan plan;
    plan.printable = QRectF(0, 0, device.width(), device.height());
    plan.footer = footerFont();
    plan.footerHeight = 2 * QFontMetricsF(plan.footer, &device).height();
    plan.imageArea = imageArea(windowSize, plan.printable, plan.footerHeight);
    return plan;
}

void paintPage(QPainter &painter, const PagePlan &plan, QWidget &window, const QImage &image,
               const PageDate &date)
{
    const QRectF &area = plan.imageArea;
    painter.save();
    painter.translate(area.topLeft());
    painter.scale(area.width() / window.width(), area.height() / window.height());
    // The texts first: the image, painted over them, is what the page shows.
    for (const ShownText &shown : shownTexts(window)) {
        painter.setFont(shown.font);
        painter.drawText(shown.rect, shown.flags | Qt::TextDontClip, shown.text);
    }
    painter.drawImage(QRectF(QPointF(0, 0), window.size()), image, QRectF(image.rect()));
    painter.restore();

    painter.setFont(plan.footer);
    painter.setPen(Qt::black);
    const QRectF footer(plan.printable.left(), area.bottom(), plan.printable.width(),
                        plan.footerHeight);
    painter.drawText(footer, Qt::AlignLeft | Qt::AlignBottom, footerLine(date));
}

} // namespace

QString footerLine(const PageDate &date)
{
    const QString format = date.made == PageDate::Made::Saved
                               ? QStringLiteral("'Saved on 'yyyy-MM-dd' at 'HH:mm")
                               : QStringLiteral("'Printed on 'yyyy-MM-dd' at 'HH:mm");
    return QLocale::c().toString(date.at, format);
}

bool paintWindowPage(QPagedPaintDevice &device, QWidget &window, const PageDate &date)
{
    const QMarginsF margins(marginMillimetres, marginMillimetres, marginMillimetres,
                            marginMillimetres);
    device.setPageMargins(margins, QPageLayout::Millimeter);
    const PagePlan plan = planPage(device, window.size());
    const QImage image = windowImage(
        window, imageScaleFor(plan.imageArea.width() / device.logicalDpiX(), window.width()));
    if (image.isNull())
        return false;

    QPainter painter;
    if (!painter.begin(&device))
        return false;
    // Without it a PDF would store the image as JPEG, blurring the figures.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    paintPage(painter, plan, window, image, date);
    // No note: the window's page alone, as always.
    const NotePage note = notePageOf(window);
    if (!note.note.isEmpty() && !paintNotePages(device, painter, note)) {
        painter.end();
        return false;
    }
    return painter.end();
}

QByteArray windowPagePdf(QWidget &window, QSizeF paperMillimetres, const PageDate &date,
                         const QString &documentTitle)
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setTitle(documentTitle.isEmpty() ? window.windowTitle() : documentTitle);
    writer.setCreator(window.windowTitle());
    if (!writer.setPageSize(paperOf(paperMillimetres)) || !paintWindowPage(writer, window, date))
        return {};
    return pdf;
}

} // namespace nutrovo::print
