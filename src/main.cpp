#include "window/ApplicationFonts.h"
#include "window/PlannerForm.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    nutrovo::ui::ApplicationFonts fonts;
    QApplication app(argc, argv);
#ifdef NUTROVO_APP_ID
    QApplication::setApplicationVersion(QStringLiteral(NUTROVO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(NUTROVO_APP_ID));
#endif
    fonts.apply();
    nutrovo::PlannerForm form;
    form.show();
    return QApplication::exec();
}
