// A fixed image drawn at the top-left corner of its rectangle on its
// background colour, from the bitmap made for the screen's pixel ratio.
#pragma once

#include <QPixmap>
#include <QSize>
#include <QWidget>

namespace nutrovo::ui {

class PictureBox : public QWidget {
    Q_OBJECT
public:
    // `name` is the bitmaps' resource path without its ending: name.png at
    // 1x, name@1.5x.png and name@2x.png.
    PictureBox(const QString &name, QSize imageSize, QWidget *parent = nullptr);

    QSize imageSize() const { return imageSize_; }
    bool hasImage() const { return !pixmap().isNull(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap pixmap() const;

    QString name_;
    QSize imageSize_;
};

} // namespace nutrovo::ui
