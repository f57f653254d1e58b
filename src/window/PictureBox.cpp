#include "window/PictureBox.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace nutrovo::ui {

PictureBox::PictureBox(const QString &resource, QSize imageSize, QWidget *parent)
    : QWidget(parent), renderer_(resource), imageSize_(imageSize)
{
    setAutoFillBackground(true);
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    renderer_.render(&painter, QRectF(QPointF(0, 0), imageSize_));
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = QRect(QPoint(0, 0), imageSize_).adjusted(-1, -1, 1, 1) & rect();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

} // namespace nutrovo::ui
