#include "window/PlannerForm.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
#ifdef NUTROVO_APP_ID
    QApplication::setApplicationVersion(QStringLiteral(NUTROVO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(NUTROVO_APP_ID));
#endif
    nutrovo::PlannerForm form;
    form.show();
    return QApplication::exec();
}
