// What assistive technology gets from the real window: the name a screen
// reader speaks for each control, the label each control is announced with,
// and a whole consultation done with the keyboard alone, finding each
// control by its spoken name.
#include "WindowProbe.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QtTest>

#include <memory>

using namespace nutrovo;
using namespace nutrovo::test;

namespace {

QAccessibleInterface *accessible(QWidget *widget)
{
    return QAccessible::queryAccessibleInterface(widget);
}

QAccessibleInterface *labelOf(QAccessibleInterface *iface)
{
    const auto labels = iface->relations(QAccessible::Label);
    return labels.isEmpty() ? nullptr : labels.constFirst().first;
}

// What a screen reader announces a control as, through the accessibility
// layer. On Linux a list's name is its picked row; the reader announces it
// by the label linked to it.
QString spokenName(QWidget *widget)
{
    QAccessibleInterface *iface = accessible(widget);
    if (!iface)
        return {};
    if (iface->role() != QAccessible::ComboBox)
        return iface->text(QAccessible::Name);
    QAccessibleInterface *label = labelOf(iface);
    return label ? label->text(QAccessible::Name) : QString();
}

// Controls that a user reads or operates: pickers, option buttons, push
// buttons, help pictures and every editable text field. Fixed texts inside
// the formula panels are read-only design text and speak their own text.
QList<QWidget *> operableOrReadable(const QWidget &window)
{
    QList<QWidget *> found;
    for (QWidget *w : window.findChildren<QWidget *>()) {
        const auto *edit = qobject_cast<QLineEdit *>(w);
        if ((edit && !edit->isReadOnly()) || qobject_cast<QComboBox *>(w) ||
            qobject_cast<QAbstractButton *>(w) || w->objectName().endsWith(u"help"))
            found.append(w);
    }
    return found;
}

// Presses Tab until the control whose spoken name is `name` has the focus,
// as a keyboard user listening to a screen reader does.
QWidget *tabTo(const QString &name)
{
    for (int presses = 0; presses < 200; ++presses) {
        QWidget *focus = QApplication::focusWidget();
        if (focus && spokenName(focus) == name)
            return focus;
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    return nullptr;
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void namesAScreenReaderSpeaks_data();
    void namesAScreenReaderSpeaks();
    void everyControlHasItsOwnName();
    void optionButtonsSayGroupAndCount_data();
    void optionButtonsSayGroupAndCount();
    void labelsAnnounceTheirControl_data();
    void labelsAnnounceTheirControl();

    void rowPickedThroughAccessibility_data();
    void rowPickedThroughAccessibility();
    void browsingAnOpenListPicksNothing();
    void optionPickedThroughAccessibility_data();
    void optionPickedThroughAccessibility();

    void everyInputReachableByTab();
    void keyboardOnly_data();
    void keyboardOnly();
    void resetByKeyboard();

private:
    std::unique_ptr<PlannerForm> form_;
};

void TestAccessibility::init()
{
    form_ = testWindow();
    form_->show();
    QApplication::setActiveWindow(form_.get());
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
}

void TestAccessibility::cleanup() { form_.reset(); }

void TestAccessibility::namesAScreenReaderSpeaks_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::newRow("age picker") << "ageCombo" << "Age";
    QTest::newRow("weight picker") << "wtCombo" << "Current Weight";
    QTest::newRow("height picker") << "htCombo" << "Current Height";
    QTest::newRow("activity picker") << "activityCombo" << "Activity";
    QTest::newRow("milk picker") << "milkCombo" << "Dairy 1/2 cup";
    QTest::newRow("sex button 0") << "sex(0)" << "Male";
    QTest::newRow("sex button 1") << "sex(1)" << "Female";
    QTest::newRow("HB kcal") << "hbrdacal"
                             << "Harris-Benedict maintenance, kilocalories per day";
    QTest::newRow("HB kJ") << "hbrda" << "Harris-Benedict maintenance, kilojoules per day";
    QTest::newRow("Owen loss") << "owenlose" << "Owen loss target, kilocalories per day";
    QTest::newRow("WHO gain") << "whogain" << "WHO gain target, kilocalories per day";
    QTest::newRow("starch protein") << "starchprot" << "Protein grams per day from starches";
    QTest::newRow("dairy fat") << "milkfat(0)" << "Fat grams per day from dairy";
    QTest::newRow("BMI") << "bmi" << "Body mass index";
    QTest::newRow("BMI class") << "bmiClass" << "BMI class";
    QTest::newRow("weight echo") << "showWeight" << "Weight in kilograms used";
    QTest::newRow("HB help") << "hbhelp" << "Harris-Benedict formula help";
    QTest::newRow("WHO help") << "whohelp" << "WHO formula help";
    QTest::newRow("print") << "printbutton" << "Print Form";
    QTest::newRow("reset") << "ResetCmd" << "Reset Form";
    QTest::newRow("client name") << "Text2" << "Client name";
}

void TestAccessibility::namesAScreenReaderSpeaks()
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    QCOMPARE(spokenName(nutrovo::test::control(*form_, control)), name);
}

// A name shared by two controls leaves the listener unable to tell them
// apart; an empty one makes the reader say only "edit" or "radio button".
void TestAccessibility::everyControlHasItsOwnName()
{
    QMap<QString, QString> ownerOf;
    const QList<QWidget *> controls = operableOrReadable(*form_);
    QVERIFY(controls.size() > 100);
    for (QWidget *w : controls) {
        const QString name = spokenName(w);
        QVERIFY2(!name.trimmed().isEmpty(), qPrintable(w->objectName() + " has no spoken name"));
        QVERIFY2(!ownerOf.contains(name),
                 qPrintable(QStringLiteral("%1 and %2 are both spoken as \"%3\"")
                                .arg(ownerOf.value(name), w->objectName(), name)));
        ownerOf.insert(name, w->objectName());
    }
}

void TestAccessibility::optionButtonsSayGroupAndCount_data()
{
    QTest::addColumn<QString>("array");
    QTest::addColumn<QString>("group");
    QTest::newRow("Option1") << "Option1" << "Starches";
    QTest::newRow("Option2") << "Option2" << "Protein";
    QTest::newRow("Option3") << "Option3" << "Dairy";
    QTest::newRow("Option4") << "Option4" << "Fruits and vegetables";
    QTest::newRow("Option5") << "Option5" << "Fats and oils";
    QTest::newRow("Option6") << "Option6" << "Extras";
}

// The count a button stands for is its column number, which sits far above
// it on screen; the spoken name has to carry it.
void TestAccessibility::optionButtonsSayGroupAndCount()
{
    QFETCH(QString, array);
    QFETCH(QString, group);
    for (int i = 0; i < 16; ++i) {
        QWidget *button = control(*form_, QStringLiteral("%1(%2)").arg(array).arg(i));
        QCOMPARE(spokenName(button), QStringLiteral("%1 servings: %2").arg(group).arg(i));
    }
}

void TestAccessibility::labelsAnnounceTheirControl_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("control");
    QTest::newRow("Age") << "Label23" << "ageCombo";
    QTest::newRow("Current Weight") << "Label25" << "wtCombo";
    QTest::newRow("Current Height") << "Label28" << "htCombo";
    QTest::newRow("Activity") << "Label30" << "activityCombo";
    QTest::newRow("Dairy 1/2 cup") << "Label12(0)" << "milkCombo";
    QTest::newRow("Dietary Consult for") << "Label3" << "Text2";
    QTest::newRow("BMI") << "Label31" << "bmi";
    QTest::newRow("BMI class") << "bmiClassLabel" << "bmiClass";
    QTest::newRow("M") << "Label20" << "sex(0)";
    QTest::newRow("F") << "Label21" << "sex(1)";
    QTest::newRow("weight kg") << "Label24" << "showWeight";
    QTest::newRow("gender") << "Label41" << "showGender";
}

// The link a screen reader follows from a control to the label that names
// it ("labelled by"), not merely the label's buddy pointer.
void TestAccessibility::labelsAnnounceTheirControl()
{
    QFETCH(QString, label);
    QFETCH(QString, control);
    QAccessibleInterface *controlIface = accessible(nutrovo::test::control(*form_, control));
    QAccessibleInterface *labelIface = accessible(nutrovo::test::control<QLabel>(*form_, label));
    QVERIFY(controlIface && labelIface);
    bool labelled = false;
    for (const auto &[other, relation] : controlIface->relations(QAccessible::Label))
        labelled = labelled || other == labelIface;
    QVERIFY2(labelled, qPrintable(control + " is not labelled by " + label));
}

void TestAccessibility::rowPickedThroughAccessibility_data()
{
    QTest::addColumn<QString>("picker");
    QTest::addColumn<QString>("row");
    QTest::addColumn<bool>("byToggle"); // the row's Toggle action, else the list's selectRow
    QTest::addColumn<QString>("echoField");
    QTest::addColumn<QString>("echo");
    QTest::newRow("55 yrs by selectRow") << "ageCombo" << "55 yrs" << false << "showAge" << "55";
    QTest::newRow("10 yrs by Toggle") << "ageCombo" << "10 yrs" << true << "showAge" << "10";
    // 67 in x 2.54 = 170.18 cm, to one decimal.
    QTest::newRow("5 - 7 by selectRow") << "htCombo" << "5 - 7 - 170cm" << false << "showHeight"
                                        << "170.2";
    // 200 lb / 2.2 = 90.9 kg, a whole 91.
    QTest::newRow("200lb by Toggle") << "wtCombo" << "200lb - 91kg" << true << "showWeight"
                                     << "91";
    QTest::newRow("1.5 by selectRow") << "activityCombo" << "1.5 X active" << false
                                      << "showactivity" << "1.5";
    QTest::newRow("Homogenized by Toggle") << "milkCombo" << "Homogenized" << true << "" << "";
}

// What an AT-SPI client does to pick a row without opening the list.
void TestAccessibility::rowPickedThroughAccessibility()
{
    QFETCH(QString, picker);
    QFETCH(QString, row);
    QFETCH(bool, byToggle);
    QFETCH(QString, echoField);
    QFETCH(QString, echo);
    auto *combo = control<QComboBox>(*form_, picker);
    const int index = combo->findText(row);
    QVERIFY(index >= 0);
    QAccessibleInterface *list = accessible(combo)->child(0);
    QVERIFY(list && list->tableInterface());
    if (byToggle) {
        QAccessibleInterface *cell = list->tableInterface()->cellAt(index, 0);
        QVERIFY(cell && cell->actionInterface());
        cell->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    } else {
        QVERIFY(list->tableInterface()->selectRow(index));
    }
    QCOMPARE(combo->currentText(), row);
    if (!echoField.isEmpty())
        QCOMPARE(fieldText(*form_, echoField), echo);
}

// Moving through an open list is reading it: only Enter or a click picks.
void TestAccessibility::browsingAnOpenListPicksNothing()
{
    auto *combo = control<QComboBox>(*form_, "ageCombo");
    combo->showPopup();
    QTRY_VERIFY(combo->view()->isVisible());
    QVERIFY(accessible(combo)->child(0)->tableInterface()->selectRow(combo->findText("70 yrs")));
    QCOMPARE(fieldText(*form_, "showAge"), QStringLiteral("40"));
    QTest::keyClick(combo->view(), Qt::Key_Escape);
    QTRY_VERIFY(!combo->view()->isVisible());
    QCOMPARE(combo->currentText(), QStringLiteral("40 yrs"));
    QCOMPARE(fieldText(*form_, "showAge"), QStringLiteral("40"));
}

void TestAccessibility::optionPickedThroughAccessibility_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("shown");
    // 3 servings of 7 g protein.
    QTest::newRow("Protein servings: 3 by Toggle") << "Option2(3)" << "toggle" << "protprot"
                                                    << "21";
    // 2 servings of 15 g carbohydrate.
    QTest::newRow("Starches servings: 2 by Press") << "Option1(2)" << "press" << "starchcho"
                                                    << "30";
    QTest::newRow("Female by Toggle") << "sex(1)" << "toggle" << "showGender" << "Female";
}

// A button picked through its accessible action is a pick like a click:
// the figures follow, and the button reports itself checked.
void TestAccessibility::optionPickedThroughAccessibility()
{
    QFETCH(QString, button);
    QFETCH(QString, action);
    QFETCH(QString, field);
    QFETCH(QString, shown);
    QAccessibleInterface *iface = accessible(control(*form_, button));
    QVERIFY(iface && iface->actionInterface());
    QVERIFY(!iface->state().checked);
    iface->actionInterface()->doAction(action == "toggle"
                                           ? QAccessibleActionInterface::toggleAction()
                                           : QAccessibleActionInterface::pressAction());
    QVERIFY(iface->state().checked);
    QCOMPARE(fieldText(*form_, field), shown);
}

// One trip round the focus chain reaches every picker, every option group,
// both commands, every help picture and the client's name.
void TestAccessibility::everyInputReachableByTab()
{
    QSet<QString> reached;
    QWidget *start = QApplication::focusWidget();
    QVERIFY(start);
    QWidget *focus = start;
    do {
        reached.insert(focus->objectName().section(u'(', 0, 0)); // a group counts once
        QTest::keyClick(focus, Qt::Key_Tab);
        focus = QApplication::focusWidget();
    } while (focus != start && reached.size() < 500);

    QSet<QString> inputs{"Text2", "sex", "printbutton", "ResetCmd"};
    for (const QComboBox *combo : form_->findChildren<QComboBox *>())
        inputs.insert(combo->objectName());
    for (int i = 1; i <= 6; ++i)
        inputs.insert(QStringLiteral("Option%1").arg(i));
    for (const char *help : {"hbhelp", "owenhelp", "mifhelp", "lasthelp", "whohelp"})
        inputs.insert(help);
    const QSet<QString> missed = inputs - reached;
    QVERIFY2(missed.isEmpty(), qPrintable("not reachable by Tab: " + missed.values().join(", ")));
}

void TestAccessibility::keyboardOnly_data()
{
    QTest::addColumn<QString>("target"); // spoken name of the control tabbed to
    QTest::addColumn<QString>("keys");   // typed text, or <space> <right> <down> <up> <end>
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("shown");
    QTest::newRow("Right in the sex group picks female") << "Male" << "<right>" << "showGender"
                                                         << "Female";
    QTest::newRow("typing 55 in Age") << "Age" << "55" << "showAge" << "55";
    // 400 lb / 2.2 = 181.8 kg, cut to tenths, rounded to a whole kilogram.
    QTest::newRow("End in Current Weight") << "Current Weight" << "<end>" << "showWeight" << "182";
    // 59 in x 2.54 = 149.86 cm, to one decimal.
    QTest::newRow("Down in Current Height") << "Current Height" << "<down>" << "showHeight"
                                            << "149.9";
    QTest::newRow("Up in Activity") << "Activity" << "<up>" << "showactivity" << "1.2";
    // Space picks the group's first button, each Right the next: 3 servings of 7 g protein.
    QTest::newRow("protein servings by arrows") << "Protein servings: 0"
                                                << "<space> <right> <right> <right>"
                                                << "protprot" << "21";
    // 4 dairy servings of the start-up milk, 1%: 1 g of fat each.
    QTest::newRow("dairy servings by arrows") << "Dairy servings: 0"
                                              << "<space> <right> <right> <right> <right>"
                                              << "milkfat(0)" << "4";
}

void TestAccessibility::keyboardOnly()
{
    QFETCH(QString, target);
    QFETCH(QString, keys);
    QFETCH(QString, field);
    QFETCH(QString, shown);
    QWidget *reached = tabTo(target);
    QVERIFY2(reached, qPrintable("Tab never reaches \"" + target + "\""));
    pressKeys(keys);
    QCOMPARE(fieldText(*form_, field), shown);
}

void TestAccessibility::resetByKeyboard()
{
    QVERIFY(tabTo("Age"));
    pressKeys("<end>");
    QCOMPARE(fieldText(*form_, "showAge"), QStringLiteral("100"));
    QVERIFY(tabTo("Reset Form"));
    pressKeys("<space>");
    QCOMPARE(fieldText(*form_, "showAge"), QStringLiteral("40"));
    QCOMPARE(control<QComboBox>(*form_, "ageCombo")->currentText(), QStringLiteral("40 yrs"));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
