// The real window: start-up state, picks with mouse and keyboard, typing
// into display fields, reset, and the object-name contract outside tools use.
#include "MessageWatcher.h"
#include "WindowOracle.h"
#include "numeric/Checked.h"
#include "window/FaultGuard.h"
#include "window/SheetCommands.h"

#include <QAbstractItemView>
#include <QAction>
#include <QButtonGroup>
#include <QClipboard>
#include <QFileDialog>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace nutrovo;
using namespace nutrovo::test;

namespace {

QComboBox *combo(const QWidget &w, const char *name) { return control<QComboBox>(w, name); }
QRadioButton *option(const QWidget &w, const QString &name) { return control<QRadioButton>(w, name); }

// A menu's entries as a user reads them ("|" for a separator), the window's
// own actions by their object names.
QStringList menuEntries(const QMenu &menu)
{
    QStringList entries;
    for (const QAction *action : menu.actions()) {
        if (action->isSeparator())
            entries.append(QStringLiteral("|"));
        else if (!action->objectName().isEmpty())
            entries.append(action->objectName());
        else
            entries.append(action->text().section(u'\t', 0, 0).remove(u'&'));
    }
    return entries;
}

} // namespace

class TestPlannerForm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startUpState_data();
    void startUpState();
    void startUpSelections();
    void showChangesNothing();
    void controlKinds_data();
    void controlKinds();

    void servingsClickStoresIndex_data();
    void servingsClickStoresIndex();
    void rowsAreSeparateGroups();
    void sexClick();
    void keyboardPicks_data();
    void keyboardPicks();
    void mousePickFromOpenList();
    void everyPickRewritesEveryField();
    void typingIntoDisplayField();

    void resetAfterEveryInputChanged();
    void resetWithNothingPicked();
    void resetKeepsClientNameAndPanels();

    void faultGuardStopsHandler();

    void commandsFromAnyFocus_data();
    void commandsFromAnyFocus();
    void copiedSheetHoldsWhatIsShown_data();
    void copiedSheetHoldsWhatIsShown();
    void headerNamesTheDietitian_data();
    void headerNamesTheDietitian();
    void unsavedNoteIsAskedAbout_data();
    void unsavedNoteIsAskedAbout();
    void noteBeyondItsLimitIsRefused();
    void pdfFileName_data();
    void pdfFileName();

private:
    std::unique_ptr<PlannerForm> form_;
    QTemporaryDir settings_;
    QTemporaryDir clinic_; // stands for /etc/xdg
};

// The file dialog keeps its history in the user's settings, and the register
// lives in the user's data folder: here, both in a folder of the test's own.
void TestPlannerForm::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", settings_.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", settings_.path().toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", clinic_.path().toLocal8Bit());
}

void TestPlannerForm::init()
{
    form_ = testWindow();
}

void TestPlannerForm::cleanup()
{
    form_.reset();
    for (const QTemporaryDir *folder : {&settings_, &clinic_})
        QFile::remove(folder->filePath("nutrovo/nutrovo.conf"));
}

void TestPlannerForm::startUpState_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    const char *const rows[][2] = {
        {"showAge", "40"},       {"showHeight", "147.3"}, {"showWeight", "54"},
        {"showactivity", "1.3"}, {"showGender", "Male"},  {"bmi", "24.8"},
        {"hbrdacal", "1657"},    {"owenrdacal", "1872"},  {"mifrdacal", "1645"},
        {"whordacal", "1995"},   {"lastrdacal", "1342"},  {"hbrda", "6940"},
        {"owenrda", "7837"},     {"mifrda", "6888"},      {"whorda", "8353"},
        {"lastrda", "5620"},     {"hblose", "1157"},      {"owenlose", "1372"},
        {"miflose", "1145"},     {"lastlose", "1207"},    {"wholose", "1495"},
        {"hbgain", "2157"},      {"owengain", "2372"},    {"mifgain", "2145"},
        {"lastgain", "1476"},    {"whogain", "2495"},     {"Text2", ""},
        {"fatoilcho", "0"},      {"milkcho(0)", "0"},     {"kjtot", "0"},
        {"caltot", "0"},         {"protper", "0"},        {"choper", "0"},
        {"Text5", "Male Cal ="}, {"Text4", "There are similar formulas for other age groups"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << row[0] << row[1];
}

void TestPlannerForm::startUpState()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QCOMPARE(fieldText(*form_, field), text);
}

void TestPlannerForm::startUpSelections()
{
    QCOMPARE(combo(*form_, "ageCombo")->currentText(), QStringLiteral("40 yrs"));
    QCOMPARE(combo(*form_, "htCombo")->currentText(), QStringLiteral("4-10 - 147cm"));
    QCOMPARE(combo(*form_, "wtCombo")->currentText(), QStringLiteral("120lb - 54kg"));
    QCOMPARE(combo(*form_, "activityCombo")->currentText(), QStringLiteral("1.3 normal"));
    QCOMPARE(combo(*form_, "milkCombo")->currentText(), QStringLiteral("1%"));
    QVERIFY(option(*form_, "sex(0)")->isChecked());
    QVERIFY(!option(*form_, "sex(1)")->isChecked());
    for (int group = 1; group <= 6; ++group)
        for (int i = 0; i < 16; ++i)
            QVERIFY(!option(*form_, QStringLiteral("Option%1(%2)").arg(group).arg(i))->isChecked());
    NUTROVO_VERIFY_WINDOW_MATCHES_CORE(*form_);
}

void TestPlannerForm::showChangesNothing()
{
    const auto before = snapshot(*form_);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    QCOMPARE(snapshot(*form_), before);
    QCOMPARE(form_->windowTitle(), QStringLiteral("Nutrovo - Meal Planner"));
}

void TestPlannerForm::controlKinds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    const char *const rows[][2] = {
        {"sex(0)", "QRadioButton"},       {"sex(1)", "QRadioButton"},
        {"Option1(0)", "QRadioButton"},   {"Option6(15)", "QRadioButton"},
        {"ageCombo", "QComboBox"},        {"htCombo", "QComboBox"},
        {"wtCombo", "QComboBox"},         {"activityCombo", "QComboBox"},
        {"milkCombo", "QComboBox"},       {"hbrdacal", "QLineEdit"},
        {"milkprot(0)", "QLineEdit"},     {"Text2", "QLineEdit"},
        {"printbutton", "QPushButton"},   {"ResetCmd", "QPushButton"},
        {"hbFrame", "QGroupBox"},         {"sexframe", "QGroupBox"},
        {"protframe", "QFrame"},          {"Label27", "QLabel"},
        {"Label1(7)", "QLabel"},          {"Label9(1)", "QLabel"},
        {"Label12(0)", "QLabel"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << row[0] << row[1];
}

void TestPlannerForm::controlKinds()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QWidget *widget = control(*form_, name);
    QVERIFY2(widget->inherits(className.toLatin1()), widget->metaObject()->className());
    if (auto *box = qobject_cast<QComboBox *>(widget))
        QVERIFY(!box->isEditable());
}

void TestPlannerForm::servingsClickStoresIndex_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::newRow("fats button 15") << "Option5(15)" << "fatoilfat" << "75";
    QTest::newRow("starch button 0") << "Option1(0)" << "starchcho" << "0";
    QTest::newRow("starch button 3") << "Option1(3)" << "starchcho" << "45";
    QTest::newRow("protein button 1") << "Option2(1)" << "protprot" << "7";
    QTest::newRow("dairy button 1") << "Option3(1)" << "milkcho(0)" << "7.5";
    QTest::newRow("fruit/veg button 1") << "Option4(1)" << "kjtot" << "268";
    QTest::newRow("extras button 15") << "Option6(15)" << "extracho" << "225";
}

void TestPlannerForm::servingsClickStoresIndex()
{
    QFETCH(QString, button);
    QFETCH(QString, field);
    QFETCH(QString, text);
    clickCentre(option(*form_, button));
    QVERIFY(option(*form_, button)->isChecked());
    QCOMPARE(fieldText(*form_, field), text);
    NUTROVO_VERIFY_WINDOW_MATCHES_CORE(*form_);
}

void TestPlannerForm::rowsAreSeparateGroups()
{
    clickCentre(option(*form_, "Option2(4)"));
    clickCentre(option(*form_, "Option1(7)"));
    QVERIFY(option(*form_, "Option2(4)")->isChecked());
    QVERIFY(option(*form_, "Option1(7)")->isChecked());
    clickCentre(option(*form_, "Option1(3)"));
    QVERIFY(!option(*form_, "Option1(7)")->isChecked());
    QVERIFY(option(*form_, "Option2(4)")->isChecked());
    QCOMPARE(form_->state().starchServ, std::int16_t(3));
    QCOMPARE(form_->state().protServ, std::int16_t(4));
}

void TestPlannerForm::sexClick()
{
    clickCentre(option(*form_, "sex(1)"));
    QCOMPARE(fieldText(*form_, "showGender"), QStringLiteral("Female"));
    QVERIFY(!option(*form_, "sex(0)")->isChecked());
    NUTROVO_VERIFY_WINDOW_MATCHES_CORE(*form_);
    option(*form_, "sex(0)")->click();
    QCOMPARE(fieldText(*form_, "showGender"), QStringLiteral("Male"));
}

void TestPlannerForm::keyboardPicks_data()
{
    QTest::addColumn<QString>("picker");
    QTest::addColumn<QString>("keys"); // see pressKeys
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("echoField");
    QTest::addColumn<QString>("echo");
    QTest::newRow("type 55 in age") << "ageCombo" << "55" << "55 yrs" << "showAge" << "55";
    QTest::newRow("home in age") << "ageCombo" << "<home>" << "10 yrs" << "showAge" << "10";
    QTest::newRow("end in age") << "ageCombo" << "<end>" << "100 yrs" << "showAge" << "100";
    QTest::newRow("down in height") << "htCombo" << "<down>" << "4-11 - 150cm" << "showHeight" << "149.9";
    QTest::newRow("end in height") << "htCombo" << "<end>" << "7 -11 - 241cm" << "showHeight" << "241.3";
    QTest::newRow("up in weight") << "wtCombo" << "<up>" << "119lb - 54kg" << "showWeight" << "54";
    QTest::newRow("end in weight") << "wtCombo" << "<end>" << "400lb - 182kg" << "showWeight" << "182";
    QTest::newRow("home in weight") << "wtCombo" << "<home>" << "90lb - 41kg" << "showWeight" << "41";
    QTest::newRow("up in activity") << "activityCombo" << "<up>" << "1.2 quiet" << "showactivity" << "1.2";
    QTest::newRow("end in activity") << "activityCombo" << "<end>" << "1.6 XX active" << "showactivity" << "1.6";
    QTest::newRow("end in milk") << "milkCombo" << "<end>" << "Homogenized" << "" << "";
}

void TestPlannerForm::keyboardPicks()
{
    QFETCH(QString, picker);
    QFETCH(QString, keys);
    QFETCH(QString, row);
    QFETCH(QString, echoField);
    QFETCH(QString, echo);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    QComboBox *box = combo(*form_, picker.toLatin1());
    box->setFocus();
    pressKeys(keys, box);
    QCOMPARE(box->currentText(), row);
    if (!echoField.isEmpty())
        QCOMPARE(fieldText(*form_, echoField), echo);
    NUTROVO_VERIFY_WINDOW_MATCHES_CORE(*form_);
}

void TestPlannerForm::mousePickFromOpenList()
{
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    QComboBox *box = combo(*form_, "milkCombo");
    clickCentre(option(*form_, "Option3(2)"));
    box->showPopup();
    QAbstractItemView *list = box->view();
    QVERIFY(QTest::qWaitForWindowExposed(list->window()));
    const QRect item = list->visualRect(list->model()->index(4, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    QTRY_COMPARE(box->currentText(), QStringLiteral("Homogenized"));
    QCOMPARE(fieldText(*form_, "milkfat(0)"), QStringLiteral("8"));
    NUTROVO_VERIFY_WINDOW_MATCHES_CORE(*form_);
}

// A pick that changes nothing the energy depends on still rewrites every
// output: a field the user typed over is overwritten.
void TestPlannerForm::everyPickRewritesEveryField()
{
    auto *bmi = control<QLineEdit>(*form_, "bmi");
    auto *whogain = control<QLineEdit>(*form_, "whogain");
    bmi->setText("typed");
    whogain->setText("typed");
    combo(*form_, "milkCombo")->setCurrentIndex(0);
    QCOMPARE(bmi->text(), QStringLiteral("24.8"));
    QCOMPARE(whogain->text(), QStringLiteral("2495"));
}

void TestPlannerForm::typingIntoDisplayField()
{
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    auto *caltot = control<QLineEdit>(*form_, "caltot");
    const auto before = snapshot(*form_);
    const ConsultState stateBefore = form_->state();
    caltot->setFocus();
    QTest::keyClicks(caltot, "9999");
    QCOMPARE(caltot->text(), QStringLiteral("09999"));
    auto after = snapshot(*form_);
    after.remove("caltot");
    auto expected = before;
    expected.remove("caltot");
    QCOMPARE(after, expected);
    QCOMPARE(form_->state(), stateBefore);

    clickCentre(option(*form_, "Option4(1)"));
    QCOMPARE(caltot->text(), QStringLiteral("64"));
}

void TestPlannerForm::resetAfterEveryInputChanged()
{
    const auto startUp = snapshot(*form_);
    clickCentre(option(*form_, "sex(1)"));
    combo(*form_, "ageCombo")->setCurrentIndex(5);
    combo(*form_, "htCombo")->setCurrentIndex(40);
    combo(*form_, "wtCombo")->setCurrentIndex(200);
    combo(*form_, "activityCombo")->setCurrentIndex(4);
    combo(*form_, "milkCombo")->setCurrentIndex(3);
    for (int group = 1; group <= 6; ++group)
        clickCentre(option(*form_, QStringLiteral("Option%1(%2)").arg(group).arg(group * 2)));
    QVERIFY(snapshot(*form_) != startUp);

    clickCentre(control(*form_, "ResetCmd"));
    QCOMPARE(snapshot(*form_), startUp);
    QCOMPARE(form_->state().ageYears, 40);
    QCOMPARE(form_->state().heightCm, 147.3);
    QCOMPARE(form_->state().weightKg, 54);
    NUTROVO_VERIFY_WINDOW_MATCHES_CORE(*form_);
}

// Nothing changed since start-up: the pickers already show the default rows,
// yet their handlers must run or the record defaults would remain.
void TestPlannerForm::resetWithNothingPicked()
{
    const auto startUp = snapshot(*form_);
    const ConsultState startState = form_->state();
    clickCentre(control(*form_, "ResetCmd"));
    QCOMPARE(snapshot(*form_), startUp);
    QCOMPARE(form_->state(), startState);
    QCOMPARE(fieldText(*form_, "showAge"), QStringLiteral("40"));
    QCOMPARE(fieldText(*form_, "showHeight"), QStringLiteral("147.3"));
    QCOMPARE(fieldText(*form_, "showWeight"), QStringLiteral("54"));
}

void TestPlannerForm::resetKeepsClientNameAndPanels()
{
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    auto *name = control<QLineEdit>(*form_, "Text2");
    name->setFocus();
    QTest::keyClicks(name, "Mrs. O'Brien-Ngata");
    clickCentre(option(*form_, "Option5(9)"));
    clickCentre(control(*form_, "ResetCmd"));
    QCOMPARE(name->text(), QStringLiteral("Mrs. O'Brien-Ngata"));
    QVERIFY(!control(*form_, "hbFrame")->isVisible());
    QVERIFY(!option(*form_, "Option5(9)")->isChecked());
}

void TestPlannerForm::faultGuardStopsHandler()
{
    QString reported;
    const auto previous = ui::setFaultReporter([&](const std::string &what) { reported = QString::fromStdString(what); });
    bool ranPastFault = false;
    ui::runGuarded([&] {
        checkedMul<std::int16_t>(300, 300);
        ranPastFault = true;
    });
    ui::setFaultReporter(previous);
    QVERIFY(!ranPastFault);
    QCOMPARE(reported, QStringLiteral("Overflow"));
}

void TestPlannerForm::commandsFromAnyFocus_data()
{
    QTest::addColumn<QString>("focus");  // the control with the focus, or one right-clicked
    QTest::addColumn<QString>("keys");   // a key sequence, or <right-click>
    QTest::addColumn<QString>("result"); // clipboard, dialog, message, register, menu, edit menu or no menu
    QTest::newRow("copy, in a picker") << "ageCombo" << "Ctrl+Shift+C" << "clipboard";
    QTest::newRow("copy, in the client's name") << "Text2" << "Ctrl+Shift+C" << "clipboard";
    QTest::newRow("copy, on a servings button") << "Option2(0)" << "Ctrl+Shift+C" << "clipboard";
    QTest::newRow("save as PDF, in a picker") << "htCombo" << "Ctrl+Shift+S" << "dialog";
    QTest::newRow("save as PDF, in a display field") << "caltot" << "Ctrl+Shift+S" << "dialog";
    QTest::newRow("save visit without a name, in a picker") << "ageCombo" << "Ctrl+S" << "message";
    QTest::newRow("clients and visits, in a display field") << "caltot" << "Ctrl+O" << "register";
    QTest::newRow("Menu key, in a picker") << "wtCombo" << "Menu" << "menu";
    QTest::newRow("Shift+F10, in the client's name") << "Text2" << "Shift+F10" << "edit menu";
    QTest::newRow("Menu key, in a display field") << "caltot" << "Menu" << "edit menu";
    QTest::newRow("right-click in a display field") << "caltot" << "<right-click>" << "edit menu";
    QTest::newRow("right-click on a label") << "Label31" << "<right-click>" << "menu";
    QTest::newRow("right-click on a picker") << "milkCombo" << "<right-click>" << "menu";
    QTest::newRow("Menu key, on a help picture") << "hbhelp" << "Menu" << "no menu";
}

void TestPlannerForm::commandsFromAnyFocus()
{
    QFETCH(QString, focus);
    QFETCH(QString, keys);
    QFETCH(QString, result);
    form_->show();
    form_->activateWindow(); // shortcuts reach only the active window
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QWidget *target = control(*form_, focus);
    target->setFocus();
    QTRY_VERIFY(target->hasFocus() || keys == "<right-click>");
    QApplication::clipboard()->setText(QStringLiteral("before"));
    const auto shown = snapshot(*form_);

    const MessageWatcher watcher;
    if (keys == "<right-click>") // through the window, where the toolkit makes the menu event
        QTest::mouseClick(form_->windowHandle(), Qt::RightButton, {},
                          target->mapTo(form_.get(), target->rect().center()));
    else
        QTest::keySequence(target, QKeySequence(keys));
    QCOMPARE(watcher.seen().size(), result == "message" ? 1 : 0);

    if (result == "clipboard") {
        QVERIFY(QApplication::clipboard()->text().startsWith(QStringLiteral("Client\t")));
    } else if (result == "dialog") {
        auto *dialog = form_->findChild<QFileDialog *>();
        QVERIFY(dialog);
        QTRY_VERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowModality(), Qt::WindowModal);
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        const QString suggested = QFileInfo(dialog->selectedFiles().value(0)).fileName();
        QCOMPARE(suggested, "consultation-" + QDate::currentDate().toString(Qt::ISODate) + ".pdf");
        dialog->reject();
        QTRY_VERIFY(!form_->findChild<QFileDialog *>()); // its controls leave with it
    } else if (result == "message") {
        QVERIFY(watcher.seen().first().text.contains("client's name"));
    } else if (result == "register") {
        auto *dialog = form_->findChild<QDialog *>("registerDialog");
        QVERIFY(dialog && dialog->isVisible());
        dialog->reject();
    } else if (result == "no menu") {
        QTest::qWait(100);
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
    } else {
        QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        const QStringList entries = menuEntries(*menu);
        // The sheet's commands, whatever the window adds after them.
        const qsizetype commands = entries.indexOf("printAction");
        QVERIFY2(commands >= 0, qPrintable(entries.join(u' ')));
        QCOMPARE(entries.mid(commands), QStringList({"printAction", "savePdfAction", "copyTextAction", "|",
                                                     "saveVisitAction", "openRegisterAction",
                                                     "registerSettingsAction", "|", "visitNoteAction",
                                                     "preferencesAction"}));
        if (result == "edit menu") {
            const QStringList edit = entries.mid(0, commands);
            for (const char *entry : {"Undo", "Cut", "Copy", "Paste", "Select All"})
                QVERIFY2(edit.contains(entry), qPrintable(entries.join(u' ')));
            QCOMPARE(edit.last(), "|");
        } else {
            QCOMPARE(commands, 0);
        }
        menu->close();
    }
    QCOMPARE(snapshot(*form_), shown);
}

void TestPlannerForm::copiedSheetHoldsWhatIsShown_data()
{
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("dietitian");
    QTest::newRow("no note, nobody named: the figures alone") << "" << "";
    QTest::newRow("a note in every script, a dietitian named") << noteInEveryScript() << "Mia Chen";
}

// Every figure as the window shows it, typed-over text included; the energy
// rows as five tab-separated columns in the window's order; the note after
// them, as typed.
void TestPlannerForm::copiedSheetHoldsWhatIsShown()
{
    QFETCH(QString, note);
    QFETCH(QString, dietitian);
    if (!dietitian.isEmpty())
        nameDietitian(*form_, dietitian, "RD");
    if (!note.isEmpty())
        writeNote(*form_, note);
    control<QLineEdit>(*form_, "Text2")->setText("Ada Lovelace");
    clickCentre(option(*form_, "Option2(5)"));
    clickCentre(option(*form_, "Option3(2)"));
    combo(*form_, "milkCombo")->setCurrentIndex(4);
    control<QLineEdit>(*form_, "kjtot")->setText("typed");
    form_->findChild<QAction *>("copyTextAction")->trigger();

    const QMimeData *copied = QApplication::clipboard()->mimeData();
    QVERIFY(copied && copied->hasHtml());
    const QString text = copied->text();
    QVERIFY2(text.startsWith("Client\tAda Lovelace\nDate\t" + QDate::currentDate().toString(Qt::ISODate) + "\n"),
             qPrintable(text));
    const QStringList cells = text.split(QRegularExpression("[\t\n]"));
    for (std::string_view field : outputNames) {
        const QString name = QString::fromLatin1(field.data(), qsizetype(field.size()));
        QVERIFY2(cells.contains(fieldText(*form_, name)), qPrintable(name));
        QVERIFY2(copied->html().contains("<td>" + fieldText(*form_, name) + "</td>"), qPrintable(name));
    }
    QVERIFY(text.contains("\nBMI class\t" + fieldText(*form_, "bmiClass") + "\n"));
    QVERIFY(text.contains("\nProtein\t5\t"));
    QVERIFY(text.contains("\nDairy 1/2 cup (Homogenized milk)\t2\t"));

    const char *const methods[][2] = {{"Harris-Benedict", "hb"}, {"Owen", "owen"}, {"Mifflin", "mif"},
                                      {"Rule of thumb", "last"}, {"WHO", "who"}};
    const QStringList lines = text.split(u'\n');
    for (const auto &[method, prefix] : methods) {
        const auto line = std::find_if(lines.begin(), lines.end(), [&](const QString &l) {
            return l.startsWith(QLatin1String(method) + u'\t');
        });
        QVERIFY2(line != lines.end(), method);
        const QString p = QLatin1String(prefix);
        const QStringList expected = {QLatin1String(method), fieldText(*form_, p + "rdacal"),
                                      fieldText(*form_, p + "rda"), fieldText(*form_, p + "lose"),
                                      fieldText(*form_, p + "gain")};
        QCOMPARE(line->split(u'\t'), expected);
    }

    const QString lastFigures = "\n%\t\t" + fieldText(*form_, "protper") + '\t' + fieldText(*form_, "fatper") +
                                '\t' + fieldText(*form_, "choper") + '\n';
    QCOMPARE(text.contains("\nDietitian\tMia Chen, RD\n"), !dietitian.isEmpty());
    if (note.isEmpty()) {
        QVERIFY2(text.endsWith(lastFigures), qPrintable(text));
        QVERIFY(!copied->html().contains("<p>"));
        return;
    }
    QVERIFY2(text.endsWith(lastFigures + "\nNote\n" + note + '\n'), qPrintable(text));
    QVERIFY2(copied->html().contains("<p>Weight &quot;stable&quot;;\tBMI checked<br>\nΔιατροφή: λιγότερη ζάχαρη<br>\n"
                                     "תזונה מאוזנת<br>\nOne apple 🍎 a day<br>\n</p>"),
             qPrintable(copied->html()));
}

void TestPlannerForm::headerNamesTheDietitian_data()
{
    QTest::addColumn<QString>("user");   // the user's nutrovo.conf; empty: none
    QTest::addColumn<QString>("clinic"); // the clinic's
    QTest::addColumn<QString>("name");   // Label4, spoken
    QTest::addColumn<QString>("credentials");
    const QString clinic = "[practitioner]\nname=Clinic Dietitian\ncredentials=RD\n";
    QTest::newRow("nothing set: the designed captions") << "" << "" << "Pellacott" << "Dietitian P. Dt.";
    QTest::newRow("the clinic's file alone") << "" << clinic << "Clinic Dietitian" << "RD";
    QTest::newRow("the user's over the clinic's")
        << "[practitioner]\nname=Mia Chen\ncredentials=\"MSc, RD\"\n" << clinic << "Mia Chen" << "MSc, RD";
    QTest::newRow("a name without credentials: an empty caption")
        << "[practitioner]\nname=Mia Chen\ncredentials=\n" << clinic << "Mia Chen" << "";
    QTest::newRow("40 characters: shrunk or shortened, spoken whole")
        << "[practitioner]\nname=Dr Alexandra Konstantinidou-Whitmoreland\n" << "" 
        << "Dr Alexandra Konstantinidou-Whitmoreland" << "";
}

void TestPlannerForm::headerNamesTheDietitian()
{
    QFETCH(QString, user);
    QFETCH(QString, clinic);
    QFETCH(QString, name);
    QFETCH(QString, credentials);
    for (const auto &[folder, conf] : {std::pair{&settings_, user}, std::pair{&clinic_, clinic}}) {
        if (conf.isEmpty())
            continue;
        QVERIFY(QDir(folder->path()).mkpath("nutrovo"));
        QFile file(folder->filePath("nutrovo/nutrovo.conf"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(conf.toUtf8());
    }
    form_ = testWindow();
    auto *nameLabel = control<QLabel>(*form_, "Label4");
    auto *credentialsLabel = control<QLabel>(*form_, "Label5");
    const bool named = name != "Pellacott";
    QCOMPARE(named ? nameLabel->accessibleName() : nameLabel->text(), name);
    QCOMPARE(credentialsLabel->text(), credentials);
    // On one line inside its own place, which lies clear of the apple and the title.
    QVERIFY2(nameLabel->fontMetrics().horizontalAdvance(nameLabel->text()) <= nameLabel->contentsRect().width(),
             qPrintable(nameLabel->text()));
    if (!named)
        return;
    // Kept by Preferences… in a file of this user's alone.
    nameDietitian(*form_, "Ada Dietitian", "");
    QCOMPARE(nameLabel->text(), "Ada Dietitian");
    QCOMPARE(credentialsLabel->text(), "");
    QCOMPARE(int(QFile(settings_.filePath("nutrovo/nutrovo.conf")).permissions() & 0x7077),
             int(QFile::ReadOwner | QFile::WriteOwner));
}

void TestPlannerForm::unsavedNoteIsAskedAbout_data()
{
    QTest::addColumn<QString>("command"); // reset or close
    QTest::addColumn<bool>("noted");      // a note typed since the last save
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("messages");
    QTest::addColumn<bool>("kept");       // the window, its picks and its note as they were
    QTest::newRow("reset over a note, No") << "reset" << true << int(QMessageBox::No) << 1 << true;
    QTest::newRow("reset over a note, Yes") << "reset" << true << int(QMessageBox::Yes) << 1 << false;
    QTest::newRow("reset with no note: not asked") << "reset" << false << int(QMessageBox::No) << 0 << false;
    QTest::newRow("close over a note, Cancel") << "close" << true << int(QMessageBox::Cancel) << 1 << true;
    QTest::newRow("close over a note, Save with no name to save it under")
        << "close" << true << int(QMessageBox::Save) << 2 << true;
    QTest::newRow("close over a note, Discard") << "close" << true << int(QMessageBox::Discard) << 1 << false;
    QTest::newRow("close with no note: not asked") << "close" << false << int(QMessageBox::Cancel) << 0 << false;
}

void TestPlannerForm::unsavedNoteIsAskedAbout()
{
    QFETCH(QString, command);
    QFETCH(bool, noted);
    QFETCH(int, answer);
    QFETCH(int, messages);
    QFETCH(bool, kept);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    clickCentre(option(*form_, "Option2(5)"));
    QPlainTextEdit *edit = writeNote(*form_, {});
    auto *dialog = control<QDialog>(*form_, "visitNoteDialog");
    QVERIFY(dialog->isVisible() && !dialog->isModal() && form_->isVisible());
    if (noted) {
        QTest::keyClicks(edit, "Seen today. ");
        clickCentre(control(*dialog, "adimeButton"));
        QTest::keyClicks(edit, "Eats well");
        QCOMPARE(edit->toPlainText(), "Seen today. \nAssessment\nEats well\nNutrition diagnosis (problem, etiology, "
                                      "signs and symptoms)\n\nIntervention\n\nMonitoring and evaluation\n\n");
    }
    const QString note = edit->toPlainText();
    const auto shown = snapshot(*form_);

    const MessageWatcher watcher(10, QMessageBox::StandardButton(answer));
    if (command == "reset")
        clickCentre(control(*form_, "ResetCmd"));
    else
        form_->close();
    QCOMPARE(watcher.seen().size(), messages);
    QCOMPARE(form_->isVisible(), command == "reset" || kept);
    QCOMPARE(dialog->isVisible(), form_->isVisible()); // the note goes with its window
    if (command == "reset") {
        QCOMPARE(snapshot(*form_) == shown, kept);
        QCOMPARE(edit->toPlainText(), kept ? note : QString());
    }
}

// 64 KiB of UTF-8 is taken whole; one character more is not, and is told beside the note.
void TestPlannerForm::noteBeyondItsLimitIsRefused()
{
    const QString full(qsizetype(32) * 1024, u'é'); // two bytes each
    QPlainTextEdit *edit = writeNote(*form_, full);
    auto *told = control<QLabel>(*form_, "visitNoteRefused");
    QVERIFY(told->isHidden());
    QTest::keyClicks(edit, "x");
    QCOMPARE(edit->toPlainText(), full);
    QVERIFY(!told->isHidden());
    QVERIFY(form_->notePage().note == full);
}

void TestPlannerForm::pdfFileName_data()
{
    QTest::addColumn<QString>("client");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("a name") << "Ada Lovelace" << "Ada Lovelace-2026-03-09.pdf";
    QTest::newRow("no name") << "  " << "consultation-2026-03-09.pdf";
    QTest::newRow("separators and wildcards") << "A/B\\C: *?" << "A_B_C_ __-2026-03-09.pdf";
    QTest::newRow("a leading dot") << ".hidden" << "_hidden-2026-03-09.pdf";
    QTest::newRow("a control character") << "Tab\there" << "Tab_here-2026-03-09.pdf";
    QTest::newRow("a very long name") << QString(300, u'é') << QString(100, u'é') + "-2026-03-09.pdf";
}

void TestPlannerForm::pdfFileName()
{
    QFETCH(QString, client);
    QFETCH(QString, fileName);
    QCOMPARE(ui::pdfFileName(client, QDate(2026, 3, 9)), fileName);
}

QTEST_MAIN(TestPlannerForm)
#include "tst_plannerform.moc"
