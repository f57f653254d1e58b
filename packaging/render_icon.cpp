// Renders the vector window icon to a square PNG for icon themes that want a
// fixed-size bitmap next to the scalable one. Usage: render_icon IN.svg SIZE OUT.png
// Painting into a QImage needs no display, so no application object is made.
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>

namespace {

int fail(const char *message, const QString &detail)
{
    std::fprintf(stderr, "render_icon: %s: %s\n", message, qPrintable(detail));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: render_icon IN.svg SIZE OUT.png\n");
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    const QString sizeText = QString::fromLocal8Bit(argv[2]);
    const QString output = QString::fromLocal8Bit(argv[3]);

    bool sizeIsNumber = false;
    const int size = sizeText.toInt(&sizeIsNumber);
    if (!sizeIsNumber || size < 16 || size > 1024)
        return fail("size must be a whole number from 16 to 1024", sizeText);

    QSvgRenderer renderer(input);
    if (!renderer.isValid())
        return fail("cannot read SVG", input);

    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();

    if (!image.save(output, "PNG"))
        return fail("cannot write PNG", output);
    return 0;
}
