#include "registerui/RegisterSettingsDialog.h"

#include "register/ConnectionString.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace nutrovo::registerui {

RegisterSettingsDialog::RegisterSettingsDialog(QWidget &window, const reg::RegisterLocation &inUse,
                                               RegisterChoice choice)
    : QDialog(&window), choice_(std::move(choice)), inUse_(new QLabel),
      localFile_(new QRadioButton(QStringLiteral("This computer's register file"))),
      server_(new QRadioButton(QStringLiteral("A clinic's register server"))), connection_(new QLineEdit),
      outcome_(new QLabel), use_(new QPushButton(QStringLiteral("&Test and Use"))),
      copy_(new QPushButton(QStringLiteral("&Copy This Computer's Register to the Server")))
{
    setObjectName(QStringLiteral("registerSettingsDialog"));
    setWindowTitle(QStringLiteral("Register"));
    inUse_->setObjectName(QStringLiteral("registerInUse"));
    inUse_->setWordWrap(true);
    inUse_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    localFile_->setObjectName(QStringLiteral("localRegisterButton"));
    server_->setObjectName(QStringLiteral("serverRegisterButton"));
    connection_->setObjectName(QStringLiteral("registerConnection"));
    connection_->setAccessibleName(QStringLiteral("Connection string"));
    connection_->setPlaceholderText(QStringLiteral("service=clinic, or host=db.clinic dbname=nutrovo sslmode=verify-full"));
    connection_->setMinimumWidth(420);
    outcome_->setObjectName(QStringLiteral("registerOutcome"));
    outcome_->setWordWrap(true);
    outcome_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    use_->setObjectName(QStringLiteral("useRegisterButton"));
    copy_->setObjectName(QStringLiteral("copyRegisterButton"));
    copy_->setAccessibleDescription(QStringLiteral("Copies every client and visit of this computer's register "
                                                   "to the server in use, and says how many"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("In use:"), inUse_);
    form->addRow(localFile_);
    form->addRow(server_);
    auto *connectionLabel = new QLabel(QStringLiteral("C&onnection string:"));
    connectionLabel->setBuddy(connection_);
    form->addRow(connectionLabel, connection_);
    auto *passwords = new QLabel(QStringLiteral(
        "Keep the password in ~/.pgpass or in a service file (~/.pg_service.conf). One typed in the "
        "connection string is used for this session only: it is never written, and is not shown again."));
    passwords->setObjectName(QStringLiteral("registerPasswordAdvice"));
    passwords->setWordWrap(true);
    form->addRow(passwords);
    auto *close = new QDialogButtonBox(QDialogButtonBox::Close);
    auto *column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(outcome_);
    auto *actions = new QHBoxLayout;
    actions->addWidget(use_);
    actions->addWidget(copy_);
    actions->addStretch();
    column->addLayout(actions);
    column->addWidget(close);

    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(use_, &QPushButton::clicked, this, [this] { useChosen(); });
    connect(copy_, &QPushButton::clicked, this, [this] { copyLocal(); });
    connect(server_, &QRadioButton::toggled, connection_, &QWidget::setEnabled);
    connect(connection_, &QLineEdit::returnPressed, this, [this] { useChosen(); });
    connection_->setText(inUse.connection);
    showInUse(inUse);
}

void RegisterSettingsDialog::showInUse(const reg::RegisterLocation &location)
{
    const bool onServer = location.engine == reg::Engine::PostgreSQL;
    inUse_->setText(onServer ? QStringLiteral("the register server %1").arg(location.shownName())
                             : QStringLiteral("this computer's register file %1").arg(location.shownName()));
    (onServer ? server_ : localFile_)->setChecked(true);
    connection_->setEnabled(onServer);
    copy_->setEnabled(onServer);
}

void RegisterSettingsDialog::useChosen()
{
    if (server_->isChecked() && connection_->text().trimmed().isEmpty()) {
        outcome_->setText(QStringLiteral("Type the server's connection string first."));
        connection_->setFocus();
        return;
    }
    reg::RegisterLocation chosen = reg::RegisterLocation::localFile();
    if (server_->isChecked()) {
        const reg::Result<reg::ConnectionString> read = reg::ConnectionString::read(connection_->text());
        if (!read.ok()) {
            outcome_->setText(QStringLiteral("Not changed: %1").arg(read.failure().message));
            connection_->setFocus();
            return;
        }
        const QString stored = read.value().withoutSecrets();
        if (read.value().secrets().any() || stored != typedFor_) {
            typed_ = read.value().secrets();
            typedFor_ = stored;
        }
        // The field never shows a password once it has been read.
        connection_->setText(stored);
        chosen = reg::RegisterLocation::server(stored);
    }
    const QString problem = choice_.useIfItWorks(this, chosen, typed_);
    if (!problem.isEmpty()) {
        outcome_->setText(QStringLiteral("Not changed: %1").arg(problem));
        return;
    }
    showInUse(chosen);
    outcome_->setText(QStringLiteral("The register in use is now %1.").arg(chosen.shownName()));
}

void RegisterSettingsDialog::copyLocal() { outcome_->setText(choice_.copyLocalRegister(this)); }

} // namespace nutrovo::registerui
