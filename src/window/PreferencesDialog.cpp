#include "window/PreferencesDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace nutrovo::ui {

namespace {

// As much as anyone's name and letters take, and no more than a settings line should hold.
constexpr int longestEntry = 200;

QLineEdit *entry(QDialog &dialog, const char *name, const QString &spoken, const QString &text)
{
    auto *edit = new QLineEdit(text, &dialog);
    edit->setObjectName(QLatin1String(name));
    edit->setAccessibleName(spoken);
    edit->setMaxLength(longestEntry);
    return edit;
}

} // namespace

void askForPreferences(QWidget &window, std::function<void(const Practitioner &)> kept)
{
    if (auto *open = window.findChild<QDialog *>(QStringLiteral("preferencesDialog"))) {
        open->raise();
        open->activateWindow();
        return;
    }
    const Practitioner now = readPractitioner();
    auto *dialog = new QDialog(&window);
    dialog->setObjectName(QStringLiteral("preferencesDialog"));
    dialog->setWindowTitle(QStringLiteral("Preferences"));
    QLineEdit *name = entry(*dialog, "practitionerNameEdit", QStringLiteral("Dietitian's name"), now.name);
    QLineEdit *credentials = entry(*dialog, "practitionerCredentialsEdit", QStringLiteral("Credentials"),
                                   now.credentials);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Name shown on the sheet:"), name);
    form->addRow(QStringLiteral("&Credentials:"), credentials);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("preferencesOkButton"));
    auto *column = new QVBoxLayout(dialog);
    column->addWidget(new QLabel(QStringLiteral("Left empty, the sheet shows its usual header."), dialog));
    column->addLayout(form);
    column->addWidget(buttons);

    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [dialog, name, credentials, kept = std::move(kept)] {
        const Practitioner chosen{name->text().trimmed(), credentials->text().trimmed()};
        if (const QString failure = savePractitioner(chosen); !failure.isEmpty()) {
            QMessageBox box(QMessageBox::NoIcon, dialog->windowTitle(),
                            QStringLiteral("The preferences were not kept: %1.").arg(failure), QMessageBox::Ok,
                            dialog);
            box.exec();
            return;
        }
        kept(readPractitioner());
        dialog->accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    // Out of the window once answered, so that it no longer counts among the
    // window's controls.
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog] {
        dialog->setParent(nullptr, dialog->windowFlags());
        dialog->deleteLater();
    });
    name->setFocus(Qt::OtherFocusReason);
    dialog->open();
}

} // namespace nutrovo::ui
