// Renders vector art to a PNG at build time: the window icon for icon themes
// that want a fixed-size bitmap, and the window's pictures at each device
// pixel ratio, so that the program itself never loads the SVG engine.
// Usage: render_icon IN.svg SIZE OUT.png, SIZE as N (square) or WxH.
// Painting into a QImage needs no display, so no application object is made.
#include <QImage>
#include <QPainter>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QSvgRenderer>

#include <cstdio>
#include <optional>

namespace {

int fail(const char *message, const QString &detail)
{
    std::fprintf(stderr, "render_icon: %s: %s\n", message, qPrintable(detail));
    return 1;
}

bool isSide(int pixels) { return pixels >= 16 && pixels <= 1024; }

std::optional<QSize> sizeFrom(const QString &text)
{
    const QStringList sides = text.split(u'x');
    if (sides.size() > 2)
        return std::nullopt;
    bool widthIsNumber = false;
    bool heightIsNumber = false;
    const int width = sides.first().toInt(&widthIsNumber);
    const int height = sides.last().toInt(&heightIsNumber);
    if (!widthIsNumber || !heightIsNumber || !isSide(width) || !isSide(height))
        return std::nullopt;
    return QSize(width, height);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: render_icon IN.svg SIZE|WIDTHxHEIGHT OUT.png\n");
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    const QString sizeText = QString::fromLocal8Bit(argv[2]);
    const QString output = QString::fromLocal8Bit(argv[3]);

    const std::optional<QSize> size = sizeFrom(sizeText);
    if (!size)
        return fail("each side must be a whole number from 16 to 1024", sizeText);

    QSvgRenderer renderer(input);
    if (!renderer.isValid())
        return fail("cannot read SVG", input);

    QImage image(*size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();

    if (!image.save(output, "PNG"))
        return fail("cannot write PNG", output);
    return 0;
}
