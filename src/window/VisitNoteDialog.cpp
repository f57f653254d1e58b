#include "window/VisitNoteDialog.h"

#include "visits/Visit.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace nutrovo::ui {

namespace {

constexpr std::array headings = {"Assessment", "Nutrition diagnosis (problem, etiology, signs and symptoms)",
                                 "Intervention", "Monitoring and evaluation"};

std::string utf8(const QString &text)
{
    return text.toUtf8().toStdString();
}

} // namespace

QString adimeHeadings()
{
    QString text;
    for (const char *heading : headings)
        text += QLatin1String(heading) + QStringLiteral("\n\n");
    return text;
}

VisitNoteDialog::VisitNoteDialog(QWidget &window, visits::VisitNote &note)
    : QDialog(&window), note_(note), edit_(new QPlainTextEdit(this)), refused_(new QLabel(this))
{
    setObjectName(QStringLiteral("visitNoteDialog"));
    setWindowTitle(QStringLiteral("Visit Note"));
    setModal(false);

    edit_->setObjectName(QStringLiteral("visitNoteEdit"));
    edit_->setAccessibleName(QStringLiteral("Visit note"));
    edit_->setAccessibleDescription(
        QStringLiteral("Saved with the visit. Tab types a tab; Ctrl+Tab moves to the buttons."));
    edit_->setMinimumSize(420, 360);
    auto *caption = new QLabel(QStringLiteral("&Note of this visit:"), this);
    caption->setBuddy(edit_);

    refused_->setObjectName(QStringLiteral("visitNoteRefused"));
    refused_->setWordWrap(true);
    refused_->hide();

    auto *adime = new QPushButton(QStringLiteral("&Insert ADIME Headings"), this);
    adime->setObjectName(QStringLiteral("adimeButton"));
    adime->setAccessibleName(QStringLiteral("Insert ADIME headings"));
    adime->setAccessibleDescription(QStringLiteral("Puts Assessment, Nutrition diagnosis, Intervention and "
                                                   "Monitoring and evaluation in at the caret"));
    adime->setAutoDefault(false);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("visitNoteCloseButton"));
    buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);

    auto *row = new QHBoxLayout;
    row->addWidget(adime);
    row->addStretch();
    row->addWidget(buttons);
    auto *column = new QVBoxLayout(this);
    column->addWidget(caption);
    column->addWidget(edit_);
    column->addWidget(refused_);
    column->addLayout(row);

    connect(edit_, &QPlainTextEdit::textChanged, this, [this] { takeEdit(); });
    connect(adime, &QPushButton::clicked, this, [this] { insertHeadings(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    showNote();
}

// Beside the window, where the screen has room, rather than over its figures.
void VisitNoteDialog::placeBesideWindow()
{
    const QWidget &window = *parentWidget()->window();
    const QRect screen = window.screen()->availableGeometry();
    const QPoint besides = window.frameGeometry().topRight() + QPoint(8, 0);
    adjustSize();
    if (screen.contains(QRect(besides, frameGeometry().size())))
        move(besides);
}

void VisitNoteDialog::showNote()
{
    const QSignalBlocker quiet(edit_);
    edit_->setPlainText(QString::fromStdString(note_.text()));
    refused_->hide();
}

// A change that would make the note longer than a visit keeps is taken
// back at once, and said so once, beside the note.
void VisitNoteDialog::takeEdit()
{
    if (note_.edit(utf8(edit_->toPlainText()))) {
        refused_->hide();
        return;
    }
    const int caret = edit_->textCursor().position();
    {
        const QSignalBlocker quiet(edit_);
        edit_->setPlainText(QString::fromStdString(note_.text()));
    }
    QTextCursor cursor = edit_->textCursor();
    cursor.setPosition(std::min(caret, int(edit_->document()->characterCount()) - 1));
    edit_->setTextCursor(cursor);
    refused_->setText(QStringLiteral("A note holds at most %1 KiB: that change was not taken.")
                          .arg(visits::noteLimitBytes / 1024));
    refused_->show();
}

// Each heading on a line of its own, the caret left on the line after the
// first, ready for the assessment.
void VisitNoteDialog::insertHeadings()
{
    QTextCursor cursor = edit_->textCursor();
    const bool lineStarted = !cursor.atBlockStart();
    cursor.beginEditBlock();
    if (lineStarted)
        cursor.insertText(QStringLiteral("\n"));
    const int start = cursor.position();
    cursor.insertText(adimeHeadings());
    cursor.endEditBlock();
    const int last = edit_->document()->characterCount() - 1; // less if the headings were refused
    cursor.setPosition(std::min(start + int(qstrlen(headings.front())) + 1, last));
    edit_->setTextCursor(cursor);
    edit_->setFocus(Qt::OtherFocusReason);
}

} // namespace nutrovo::ui
