#include "consult/PlannerForm.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    nutrovo::PlannerForm form;
    form.show();
    return QApplication::exec();
}
