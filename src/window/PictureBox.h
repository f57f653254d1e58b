// A fixed image drawn at the top-left corner of its rectangle on its
// background colour. Drawn from vector artwork so it stays sharp at any scale.
#pragma once

#include <QSize>
#include <QSvgRenderer>
#include <QWidget>

namespace nutrovo::ui {

class PictureBox : public QWidget {
    Q_OBJECT
public:
    PictureBox(const QString &resource, QSize imageSize, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QSvgRenderer renderer_;
    QSize imageSize_;
};

} // namespace nutrovo::ui
