#include "window/PictureBox.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <array>
#include <utility>

namespace nutrovo::ui {

namespace {

struct Scale {
    qreal ratio = 1;
    QLatin1StringView ending;
};

constexpr std::array scales = {Scale{1, QLatin1StringView(".png")},
                               Scale{1.5, QLatin1StringView("@1.5x.png")},
                               Scale{2, QLatin1StringView("@2x.png")}};

// The coarsest bitmap at least as fine as the screen, else the finest:
// drawn smaller, a bitmap stays sharp; drawn larger, it blurs.
const Scale &scaleFor(qreal ratio)
{
    for (const Scale &scale : scales)
        if (scale.ratio >= ratio - 0.01)
            return scale;
    return scales.back();
}

// How QPixmap::load writes a number into its cache key: each byte, lowest
// first, as two hexadecimal digits, the low one first.
template <typename Number> QString keyDigits(Number value)
{
    constexpr char digits[] = "0123456789abcdef";
    QString text;
    for (std::size_t i = 0; i < sizeof value; ++i) {
        const auto byte = static_cast<unsigned>(value >> (8 * i)) & 0xffu;
        text += QLatin1Char(digits[byte & 0xfu]);
        text += QLatin1Char(digits[byte >> 4]);
    }
    return text;
}

} // namespace

QPixmap pngPicture(const QString &path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

// The Fusion style reads the frame of a group box with QPixmap::load, which
// looks in the cache first, under a key of the path, its time, its size and
// the pixmap type. Should a later toolkit build its key otherwise, the style
// reads the file itself, as before.
void cacheStyleBitmaps()
{
    static const bool cached = [] {
        const QFileInfo frame(QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png"));
        if (!frame.exists())
            return false;
        const QString key = QLatin1StringView("qt_pixmap") + frame.absoluteFilePath() +
                            keyDigits(static_cast<quint32>(frame.lastModified().toSecsSinceEpoch())) +
                            keyDigits(static_cast<quint64>(frame.size())) +
                            keyDigits(quint32{0}); // a pixmap, not a bitmap
        return QPixmapCache::insert(key, pngPicture(frame.absoluteFilePath()));
    }();
    Q_UNUSED(cached);
}

PictureBox::PictureBox(QString name, QSize imageSize, QWidget *parent)
    : QWidget(parent), name_(std::move(name)), imageSize_(imageSize)
{
    setAutoFillBackground(true);
}

QPixmap PictureBox::pixmap() const
{
    const Scale &scale = scaleFor(devicePixelRatioF());
    const QString path = name_ + scale.ending;
    QPixmap pixmap;
    if (!QPixmapCache::find(path, &pixmap)) {
        pixmap = pngPicture(path);
        QPixmapCache::insert(path, pixmap);
    }
    pixmap.setDevicePixelRatio(scale.ratio);
    return pixmap;
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPixmap image = pixmap();
    painter.drawPixmap(QRectF(QPointF(0, 0), imageSize_), image, QRectF(image.rect()));
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = QRect(QPoint(0, 0), imageSize_).adjusted(-1, -1, 1, 1) & rect();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

} // namespace nutrovo::ui
