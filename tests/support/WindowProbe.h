// Reads the real window through its object names, as a user sees it.
#pragma once

#include "print/Printer.h"
#include "window/PlannerForm.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include <sys/stat.h>

namespace nutrovo::test {

// A printer for window tests: no spooler, no paper; it answers every print
// with the outcome it was given.
class FakePrinter final : public print::Printer {
public:
    explicit FakePrinter(print::PrintOutcome answer) : answer_(std::move(answer)) {}
    print::PrintOutcome print(QWidget &) noexcept override { return answer_; }

private:
    print::PrintOutcome answer_;
};

// The window as the tests use it: every print fails, as on a machine with
// no printer, so that no test ever reaches a real one.
inline std::unique_ptr<PlannerForm> testWindow()
{
    return std::make_unique<PlannerForm>(
        std::make_unique<FakePrinter>(print::PrintOutcome{QStringLiteral("no printer in tests")}));
}

// A file's permission bits, or 0xffff when there is no such file.
inline unsigned modeOf(const QString &path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0xffffu;
}

template <typename T = QWidget> T *control(const QWidget &window, const QString &name)
{
    auto *found = window.findChild<T *>(name);
    if (!found)
        qFatal("no control named %s", qPrintable(name));
    return found;
}

inline QString fieldText(const QWidget &window, const QString &name)
{
    return control<QLineEdit>(window, name)->text();
}

// Everything a user can see change: texts, picked rows, picked buttons, panels.
inline QMap<QString, QString> snapshot(const QWidget &window)
{
    QMap<QString, QString> state;
    for (const QLineEdit *edit : window.findChildren<QLineEdit *>())
        if (!edit->objectName().isEmpty())
            state.insert(edit->objectName(), edit->text());
    for (const QComboBox *combo : window.findChildren<QComboBox *>())
        state.insert(combo->objectName(), QString::number(combo->currentIndex()) + u':' + combo->currentText());
    for (const QRadioButton *button : window.findChildren<QRadioButton *>())
        state.insert(button->objectName(), button->isChecked() ? "checked" : "clear");
    for (const char *panel : {"hbFrame", "owenFrame", "mifFrame", "lastFrame", "whoFrame"})
        state.insert(panel, control(window, panel)->isVisibleTo(&window) ? "shown" : "hidden");
    return state;
}

inline void clickCentre(QWidget *widget, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(widget, button, {}, widget->rect().center());
}

// Types text as key presses, one per character, each carrying its text.
inline void typeText(QWidget *target, const QString &text)
{
    for (QChar c : text) {
        const Qt::Key key = c == u' ' ? Qt::Key_Space
                            : c.unicode() < 0x80 && c.isLetterOrNumber()
                                ? Qt::Key(c.toUpper().unicode())
                                : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, target, key, QString(c), Qt::NoModifier);
    }
}

// Keys for the target (else the focused control), blank-separated: <space>
// <right> <down> <up> <home> <end>, or text typed as it stands.
inline void pressKeys(const QString &keys, QWidget *target = nullptr)
{
    static const QMap<QString, Qt::Key> named = {
        {"<space>", Qt::Key_Space}, {"<right>", Qt::Key_Right}, {"<down>", Qt::Key_Down},
        {"<up>", Qt::Key_Up},       {"<home>", Qt::Key_Home},   {"<end>", Qt::Key_End}};
    for (const QString &key : keys.split(u' ', Qt::SkipEmptyParts)) {
        QWidget *focus = target ? target : QApplication::focusWidget();
        if (named.contains(key))
            QTest::keyClick(focus, named.value(key));
        else
            QTest::keyClicks(focus, key);
    }
}

// A note as a dietitian may write one: lines, a tab, quotes, a semicolon,
// Greek, Hebrew and an emoji.
inline QString noteInEveryScript()
{
    return QStringLiteral("Weight \"stable\";\tBMI checked\nΔιατροφή: λιγότερη ζάχαρη\n"
                          "תזונה מאוזנת\nOne apple 🍎 a day\n");
}

// Types the note into the Visit Note dialog, opened by its action.
inline QPlainTextEdit *writeNote(QWidget &window, const QString &note)
{
    window.findChild<QAction *>(QStringLiteral("visitNoteAction"))->trigger();
    auto *edit = control<QPlainTextEdit>(window, QStringLiteral("visitNoteEdit"));
    edit->insertPlainText(note);
    return edit;
}

// Names the dietitian through Preferences… and its OK button.
inline void nameDietitian(QWidget &window, const QString &name, const QString &credentials)
{
    window.findChild<QAction *>(QStringLiteral("preferencesAction"))->trigger();
    auto *dialog = control<QDialog>(window, QStringLiteral("preferencesDialog"));
    control<QLineEdit>(*dialog, QStringLiteral("practitionerNameEdit"))->setText(name);
    control<QLineEdit>(*dialog, QStringLiteral("practitionerCredentialsEdit"))->setText(credentials);
    control<QAbstractButton>(*dialog, QStringLiteral("preferencesOkButton"))->click();
}

} // namespace nutrovo::test
