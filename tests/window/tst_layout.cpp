// Layout faults a user would see: misplaced buttons, controls off the sheet,
// panels that do not cover their area or misquote a formula, a broken focus
// chain, help triggers that do not show their panel, text that no longer fits.
#include "WindowProbe.h"
#include "consult/Outputs.h"
#include "window/QtText.h"
#include "window/WindowLayout.h"

#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QtTest>

#include <memory>

using namespace nutrovo;
using namespace nutrovo::test;
using nutrovo::ui::qs;

namespace {

QRect onWindow(const QWidget &window, const QWidget *w)
{
    return QRect(w->mapTo(&window, QPoint(0, 0)), w->size());
}

const QStringList panels = {"hbFrame", "owenFrame", "mifFrame", "lastFrame", "whoFrame"};

// What breaks the window table: a child before its parent, a name twice, an
// output without exactly one text field, a tab stop or help trigger naming
// no control. The builder relies on none of these happening.
QStringList tableProblems()
{
    QStringList problems;
    QStringList built;      // object names, array members one by one, in table order
    QSet<QString> controls; // names as the table spells them, arrays by their own name
    QStringList textFields;
    for (const layout::Control &c : layout::windowControls()) {
        if (!c.parent.empty() && !built.contains(qs(c.parent)))
            problems << qs(c.name) + " before its parent";
        for (int i = 0; i < std::max(c.count, 1); ++i) {
            const QString name = c.count > 0 ? QStringLiteral("%1(%2)").arg(qs(c.name)).arg(i) : qs(c.name);
            if (built.contains(name))
                problems << name + " twice";
            built << name;
            if (c.kind == layout::Kind::TextField)
                textFields << name;
        }
        controls.insert(qs(c.name));
    }
    for (std::string_view output : outputNames)
        if (textFields.count(qs(output)) != 1)
            problems << qs(output) + " not one text field";
    for (std::string_view stop : layout::tabOrder())
        if (!controls.contains(qs(stop)))
            problems << qs(stop) + " in the tab order";
    for (const layout::HelpTrigger &t : layout::helpTriggers())
        if (!controls.contains(qs(t.trigger)) || !panels.contains(qs(t.panel)))
            problems << qs(t.trigger) + " -> " + qs(t.panel);
    return problems;
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void tableHoldsTogether();

    void buttonsSitUnderTheirColumnNumbers_data();
    void buttonsSitUnderTheirColumnNumbers();
    void everythingInsideTheSheet();
    void clientArea();
    void panelsShareOneRectangle();
    void panelTexts_data();
    void panelTexts();
    void blanksInCaptionsKept_data();
    void blanksInCaptionsKept();
    void focusChainFollowsTheSheet();
    void optionGroupIsOneTabStop();
    void hiddenPanelTakesNoFocus();
    void helpTriggers_data();
    void helpTriggers();
    void releaseOutsideTriggerStillHides();
    void spaceHoldsPanelFromKeyboard();
    void pickedButtonsSurviveShownPanel();
    void fontsAreRealFaces_data();
    void fontsAreRealFaces();
    void captionsFitTheirLabels();

private:
    std::unique_ptr<PlannerForm> form_;
};

void TestLayout::init()
{
    form_ = testWindow();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void TestLayout::cleanup() { form_.reset(); }

void TestLayout::tableHoldsTogether()
{
    const QStringList problems = tableProblems();
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
}

void TestLayout::buttonsSitUnderTheirColumnNumbers_data()
{
    QTest::addColumn<int>("group");
    for (int group = 1; group <= 6; ++group)
        QTest::addRow("Option%d", group) << group;
}

void TestLayout::buttonsSitUnderTheirColumnNumbers()
{
    QFETCH(int, group);
    for (int i = 0; i < 16; ++i) {
        const QRect number = onWindow(*form_, control(*form_, QStringLiteral("Label1(%1)").arg(i)));
        const QRect button =
            onWindow(*form_, control(*form_, QStringLiteral("Option%1(%2)").arg(group).arg(i)));
        QCOMPARE(button.left(), number.left());
        QCOMPARE(button.width(), number.width());
        QVERIFY(button.top() > number.bottom());
    }
}

// Only the row frames start left of the client area (and are clipped there).
// The controls added below the designed sheet lie inside the window, overlap
// nothing, and show their longest text whole.
void TestLayout::everythingInsideTheSheet()
{
    const QStringList added = {"bmiClassLabel", "bmiClass"};
    const QRect sheet(0, 0, layout::usedWidthTwips / layout::twipsPerPixel,
                      layout::usedHeightTwips / layout::twipsPerPixel);
    for (const QWidget *w : form_->findChildren<QWidget *>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(u"qt_") || w->isWindow())
            continue;
        const QRect visible = onWindow(*form_, w) & form_->rect();
        const bool isAdded = added.contains(w->objectName());
        QVERIFY2((isAdded ? form_->rect() : sheet).contains(isAdded ? onWindow(*form_, w) : visible),
                 qPrintable(w->objectName()));
        for (const QString &name : added)
            QVERIFY2(w->objectName() == name || w->isAncestorOf(control(*form_, name)) ||
                         !onWindow(*form_, w).intersects(onWindow(*form_, control(*form_, name))),
                     qPrintable(name + " overlaps " + w->objectName()));
    }
    auto *reading = control<QLineEdit>(*form_, "bmiClass");
    const int room = reading->contentsRect().width() - 2 * reading->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) - 4;
    QVERIFY(reading->fontMetrics().horizontalAdvance("Check height and weight (z +12.34)") <= room);
}

void TestLayout::clientArea()
{
    QCOMPARE(form_->size(), QSize(765, 664));
    QCOMPARE(form_->palette().color(QPalette::Window), QColor(Qt::white));
    QVERIFY(!form_->windowIcon().isNull());
    QCOMPARE(onWindow(*form_, control(*form_, "protframe")).topLeft(), QPoint(-8, 112));
}

void TestLayout::panelsShareOneRectangle()
{
    for (const QString &name : panels) {
        QWidget *panel = control(*form_, name);
        QCOMPARE(panel->geometry(), QRect(88, 128, 569, 161));
        QVERIFY(!panel->isVisible());
        // Over everything: the last child of the window, or just before another panel.
        const auto siblings = form_->children();
        QVERIFY(siblings.indexOf(panel) >= siblings.size() - panels.size());
    }
}

void TestLayout::panelTexts_data()
{
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("Harris-Benedict")
        << "hbFrame" << "Harris Benedict Equation"
        << QStringList{"Male Cal =",
                       "(66.47 + 13.75 X (weight in kg) + 5 X (height in cm) - 6.76 X (age in years)) X activity factor",
                       "Female Cal =",
                       "(665.1 + 9.56 X (weight in kg) + 1.85 X (height in cm) - 4.68 X (age in years)) X activity factor"};
    QTest::newRow("Owen") << "owenFrame" << " Owen's Formula "
                          << QStringList{"Male Cal =", "(10 X (weight in kg) + 900)  X  activity factor",
                                         "Female Cal =", "( 7 X (weight in kg) + 800) X activity factor"};
    QTest::newRow("Mifflin")
        << "mifFrame" << "Mifflin Method "
        << QStringList{"Male kj =",
                       " ( 5 + 10 X (weight in kg) + 6.25 X  (height in cm) - 5 X ( age in years)) X (activity factor)",
                       "Female kj =",
                       " ( -161 + 10 * (weight in kg) + 6.25 X (height in cm) - 5 X ( age in years)) X (activity factor)"};
    QTest::newRow("rule of thumb")
        << "lastFrame" << "Another Formula "
        << QStringList{"Male & Female Cal =", " (weight in lb) X 10 + (weight in lb)  X  (activity factor)"};
    QTest::newRow("WHO")
        << "whoFrame" << "WHO Basal Energy Estimation  age>60"
        << QStringList{"Male Kcal/day =",
                       "( ( 8.8 X (weight in kg)) + (1128 X (height in m )) - 1071 ) X activity factor",
                       "Female Kcal/day=",
                       "( ( 9.2 X (weight in kg)) + ( 657 X (height in m )) - 302) X activity factor",
                       "There are similar formulas for other age groups"};
}

// The panel's lines, read from top to bottom as a user reads them.
void TestLayout::panelTexts()
{
    QFETCH(QString, panel);
    QFETCH(QString, title);
    QFETCH(QStringList, lines);
    auto *box = control<QGroupBox>(*form_, panel);
    QCOMPARE(box->title(), title);
    QList<QPair<int, QString>> shown;
    for (const QWidget *w : box->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (const auto *label = qobject_cast<const QLabel *>(w))
            shown.append({w->y() * 10000 + w->x(), label->text()});
        else if (const auto *edit = qobject_cast<const QLineEdit *>(w))
            shown.append({w->y() * 10000 + w->x(), edit->text()});
    }
    std::sort(shown.begin(), shown.end());
    QStringList texts;
    for (const auto &line : shown)
        texts.append(line.second);
    QCOMPARE(texts, lines);
}

void TestLayout::blanksInCaptionsKept_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Grams") << "Label16(0)" << "Grams ";
    QTest::newRow("kilojoules") << "Label17" << "kilojoules ";
    QTest::newRow("Calories") << "Label18" << "Calories ";
    QTest::newRow("column 0") << "Label1(0)" << " 0";
    QTest::newRow("column 15") << "Label1(15)" << " 15";
    QTest::newRow("dairy") << "Label12(0)" << "Dairy 1/2 cup";
}

void TestLayout::blanksInCaptionsKept()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QCOMPARE(control<QLabel>(*form_, name)->text(), caption);
}

void TestLayout::focusChainFollowsTheSheet()
{
    QStringList expected;
    for (std::string_view name : layout::tabOrder()) {
        const QString n = qs(name);
        if (n == "apple" || (n.startsWith(u"Text") && n != "Text2"))
            continue; // decoration, and fixed texts inside hidden panels
        if (n == "sex" || n.startsWith(u"Option"))
            expected.append(n + "(0)"); // no button picked: the group's first button
        else
            expected.append(n);
    }
    expected.replace(expected.indexOf("sex(0)"), "sex(0)"); // sex(0) is picked at start-up

    QWidget *first = control(*form_, expected.first());
    first->setFocus();
    QStringList visited{first->objectName()};
    for (qsizetype i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(visited, expected);
}

void TestLayout::optionGroupIsOneTabStop()
{
    auto *button = control<QRadioButton>(*form_, "Option1(5)");
    clickCentre(button);
    control(*form_, "printbutton")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // sex group
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("sex(0)"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // starches group: its picked button
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Option1(5)"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Option1(6)"));
    QVERIFY(control<QRadioButton>(*form_, "Option1(6)")->isChecked());
    QCOMPARE(fieldText(*form_, "starchcho"), QStringLiteral("90"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Option6(0)"));
}

void TestLayout::hiddenPanelTakesNoFocus()
{
    for (const QString &name : panels)
        for (QWidget *w : control(*form_, name)->findChildren<QWidget *>())
            QVERIFY2(!w->isVisible() || w->focusPolicy() == Qt::NoFocus, qPrintable(w->objectName()));
    control(*form_, "ResetCmd")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(!control(*form_, "whoFrame")->isAncestorOf(QApplication::focusWidget()));
}

void TestLayout::helpTriggers_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("panel"); // empty: shows none
    const QList<QPair<QString, QString>> triggers = {
        {"hbhelp", "hbFrame"},     {"Label27", "hbFrame"},    {"owenhelp", "owenFrame"},
        {"mifhelp", "mifFrame"},   {"lasthelp", "lastFrame"}, {"whohelp", "whoFrame"},
        {"Label32", ""},           {"Label33", ""},           {"Label34", ""},
        {"Label50", ""},           {"apple", ""}};
    const QList<QPair<const char *, Qt::MouseButton>> buttons = {
        {"left", Qt::LeftButton}, {"right", Qt::RightButton}, {"middle", Qt::MiddleButton}};
    QTest::addColumn<Qt::MouseButton>("button");
    for (const auto &t : triggers)
        for (const auto &b : buttons)
            QTest::addRow("%s %s", qPrintable(t.first), b.first) << t.first << t.second << b.second;
}

void TestLayout::helpTriggers()
{
    QFETCH(QString, trigger);
    QFETCH(QString, panel);
    QFETCH(Qt::MouseButton, button);
    const auto before = snapshot(*form_);
    QWidget *source = control(*form_, trigger);
    QTest::mousePress(source, button, Qt::ShiftModifier, QPoint(3, 3));
    for (const QString &name : panels)
        QCOMPARE(control(*form_, name)->isVisible(), name == panel);
    QTest::mouseRelease(source, button, {}, QPoint(3, 3));
    QCOMPARE(snapshot(*form_), before);
}

void TestLayout::releaseOutsideTriggerStillHides()
{
    QWidget *help = control(*form_, "mifhelp");
    QTest::mousePress(help, Qt::LeftButton);
    QVERIFY(control(*form_, "mifFrame")->isVisible());
    QTest::mouseMove(help, QPoint(200, -100));
    QTest::mouseRelease(help, Qt::LeftButton, {}, QPoint(200, -100));
    QVERIFY(!control(*form_, "mifFrame")->isVisible());
}

void TestLayout::spaceHoldsPanelFromKeyboard()
{
    QWidget *help = control(*form_, "whohelp");
    help->setFocus();
    QTest::keyPress(help, Qt::Key_Space);
    QVERIFY(control(*form_, "whoFrame")->isVisible());
    QTest::keyRelease(help, Qt::Key_Space);
    QVERIFY(!control(*form_, "whoFrame")->isVisible());
    QTest::keyPress(help, Qt::Key_Space);
    control(*form_, "printbutton")->setFocus();
    QVERIFY(!control(*form_, "whoFrame")->isVisible());
}

void TestLayout::pickedButtonsSurviveShownPanel()
{
    clickCentre(control(*form_, "Option2(6)"));
    clickCentre(control(*form_, "Option5(15)"));
    const auto before = snapshot(*form_);
    QTest::mousePress(control(*form_, "hbhelp"), Qt::LeftButton);
    QTest::mouseRelease(control(*form_, "hbhelp"), Qt::LeftButton);
    QCOMPARE(snapshot(*form_), before);
    QVERIFY(control<QRadioButton>(*form_, "Option2(6)")->isChecked());
}

void TestLayout::fontsAreRealFaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("families");
    QTest::addColumn<double>("points");
    const QStringList sans{"MS Sans Serif", "Liberation Sans"};
    const QStringList serif{"MS Serif", "Liberation Serif"};
    const QStringList comic{"Comic Sans MS", "Comic Neue"};
    QTest::newRow("heading") << "Label2" << comic << 24.0;
    QTest::newRow("sub-heading") << "Label49" << comic << 14.25;
    QTest::newRow("dietitian") << "Label4" << serif << 13.5;
    QTest::newRow("consult for") << "Label3" << serif << 9.75;
    QTest::newRow("client name") << "Text2" << sans << 12.0;
    QTest::newRow("column number") << "Label1(3)" << sans << 8.25;
    QTest::newRow("display field") << "hbrdacal" << sans << 9.75;
}

void TestLayout::fontsAreRealFaces()
{
    QFETCH(QString, name);
    QFETCH(QStringList, families);
    QFETCH(double, points);
    const QWidget *w = control(*form_, name);
    const QFontInfo info(w->font());
    QVERIFY2(families.contains(info.family()), qPrintable(info.family()));
    QCOMPARE(w->font().pointSizeF(), points);
}

// At every scale a single-line caption fits its label's width, and a wrapped
// one its height.
void TestLayout::captionsFitTheirLabels()
{
    QStringList overflowing;
    for (const QLabel *label : form_->findChildren<QLabel *>()) {
        if (label->objectName().isEmpty() || label->text().isEmpty())
            continue;
        const QFontMetrics metrics(label->font());
        const QRect needed = metrics.boundingRect(QRect(0, 0, label->width(), 1000),
                                                  Qt::TextWordWrap, label->text());
        // One line: the glyphs themselves must fit (an unused descent may be clipped).
        const int height = needed.height() > metrics.lineSpacing()
                               ? needed.height()
                               : metrics.tightBoundingRect(label->text()).height();
        if (needed.width() > label->width() || height > label->height())
            overflowing.append(QStringLiteral("%1 needs %2x%3, has %4x%5")
                                   .arg(label->objectName())
                                   .arg(needed.width())
                                   .arg(needed.height())
                                   .arg(label->width())
                                   .arg(label->height()));
    }
    QVERIFY2(overflowing.isEmpty(), qPrintable(overflowing.join(u"; ")));
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
