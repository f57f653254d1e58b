#include "window/ApplicationFonts.h"
#include "window/MainWindow.h"
#include "window/ProgramStyle.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    nutrovo::ui::ApplicationFonts fonts;
    QApplication app(argc, argv);
#ifdef NUTROVO_APP_ID
    QApplication::setApplicationVersion(QStringLiteral(NUTROVO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(NUTROVO_APP_ID));
#endif
    nutrovo::ui::useProgramStyle();
    fonts.apply();
    nutrovo::MainWindow window;
    window.show();
    return QApplication::exec();
}
