#include "window/PictureBox.h"

#include <QPainter>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <array>

namespace nutrovo::ui {

namespace {

struct Scale {
    qreal ratio;
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

} // namespace

PictureBox::PictureBox(const QString &name, QSize imageSize, QWidget *parent)
    : QWidget(parent), name_(name), imageSize_(imageSize)
{
    setAutoFillBackground(true);
}

QPixmap PictureBox::pixmap() const
{
    const Scale &scale = scaleFor(devicePixelRatioF());
    const QString path = name_ + scale.ending;
    QPixmap pixmap;
    if (!QPixmapCache::find(path, &pixmap) && pixmap.load(path))
        QPixmapCache::insert(path, pixmap);
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
