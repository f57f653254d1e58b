#include "window/PlannerForm.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

// The planner alone gives every feature: its figures, and the register,
// whose library it loads on first use.
int main(int argc, char *argv[])
{
    const QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    QApplication app(argc, argv);
    const nutrovo::PlannerForm form;
    const auto *bmi = form.findChild<QLineEdit *>("bmi");
    std::puts(bmi ? qPrintable(bmi->text()) : "no bmi field");
    // A message instead of a save would wait for an answer: it fails the run.
    QTimer::singleShot(10000, [] { QApplication::exit(1); });
    form.findChild<QLineEdit *>("Text2")->setText("Ada Lovelace");
    form.findChild<QAction *>("saveVisitAction")->trigger();
    const bool saved = QFileInfo::exists(home.filePath("nutrovo/register.sqlite"));
    std::puts(saved ? "visit saved" : "no register");
    return bmi && bmi->text() == QLatin1String("24.8") && saved ? 0 : 1;
}
