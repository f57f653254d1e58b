#include "window/PlannerForm.h"

#include <QApplication>
#include <QLineEdit>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const nutrovo::PlannerForm form;
    const auto *bmi = form.findChild<QLineEdit *>("bmi");
    std::puts(bmi ? qPrintable(bmi->text()) : "no bmi field");
    return bmi && bmi->text() == QLatin1String("24.8") ? 0 : 1;
}
