#include "window/ProgramStyle.h"

#include "window/PictureBox.h"

#include <QApplication>
#include <QIcon>
#include <QProxyStyle>
#include <QStyleOption>

namespace nutrovo::ui {

namespace {

class ProgramStyle final : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption *option, const QWidget *widget) const override
    {
        if (which != SP_ToolBarHorizontalExtensionButton)
            return QProxyStyle::standardIcon(which, option, widget);
        const bool rightToLeft = option != nullptr ? option->direction == Qt::RightToLeft
                                                   : QGuiApplication::isRightToLeft();
        QIcon icon;
        for (int size : {8, 16, 32})
            icon.addPixmap(pngPicture(QStringLiteral(":/qt-project.org/styles/commonstyle/images/toolbar-ext-h-%1%2.png")
                                          .arg(rightToLeft ? QStringLiteral("rtl-") : QString())
                                          .arg(size)));
        return icon;
    }
};

} // namespace

void useProgramStyle()
{
    QApplication::setStyle(new ProgramStyle);
}

} // namespace nutrovo::ui
