#include "consult/PictureBox.h"

#include <QPainter>

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
}

} // namespace nutrovo::ui
