// Register…: which register is in use, and the choice of another: this
// computer's file, or a clinic's server by its connection string, tested
// before it is kept. A server in use can receive this computer's register.
#pragma once

#include "register/RegisterLocation.h"
#include "register/RegisterStore.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace nutrovo::registerui {

// What the dialog asks of the commands; `over` is the dialog, for their questions.
struct RegisterChoice {
    // Opens the register with the secrets its string held, and keeps it; an
    // empty answer means it works, else what failed.
    std::function<QString(QWidget *over, const reg::RegisterLocation &, const reg::ServerSecrets &)> useIfItWorks;
    // Copies this computer's register into the one in use; says how it went.
    std::function<QString(QWidget *over)> copyLocalRegister;
};

class RegisterSettingsDialog final : public QDialog {
public:
    RegisterSettingsDialog(QWidget &window, const reg::RegisterLocation &inUse, RegisterChoice choice);

private:
    void showInUse(const reg::RegisterLocation &location);
    void useChosen();
    void copyLocal();

    RegisterChoice choice_;
    QLabel *inUse_;
    QRadioButton *localFile_;
    QRadioButton *server_;
    QLineEdit *connection_;
    QLabel *outcome_;
    QPushButton *use_;
    QPushButton *copy_;
    // Taken out of the field, for the next try with the same string only.
    reg::ServerSecrets typed_;
    QString typedFor_;
};

} // namespace nutrovo::registerui
