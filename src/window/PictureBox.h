// A fixed image drawn at the top-left corner of its rectangle on its
// background colour, from the bitmap made for the screen's pixel ratio.
#pragma once

#include <QPixmap>
#include <QSize>
#include <QWidget>

namespace nutrovo::ui {

// A PNG of the program's resources. Read as PNG alone: left to guess the
// format, the toolkit loads every image plugin it has, the SVG one included.
QPixmap pngPicture(const QString &path);

// Puts the toolkit's own bitmaps that the window's style draws at start in
// the pixmap cache, read as PNG alone, so that no image plugin is loaded.
void cacheStyleBitmaps();

class PictureBox : public QWidget {
    Q_OBJECT
public:
    // `name` is the bitmaps' resource path without its ending: name.png at
    // 1x, name@1.5x.png and name@2x.png.
    PictureBox(QString name, QSize imageSize, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap pixmap() const;

    QString name_;
    QSize imageSize_;
};

} // namespace nutrovo::ui
