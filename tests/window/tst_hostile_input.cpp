// Hostile input on the real window: 100,000 characters pasted into the
// client's name and into display fields, control characters, right-to-left
// and bidirectional text, piles of combining marks, broken surrogates. The
// window must neither hang nor crash, keep the name as the toolkit took it,
// and the next pick must still recalculate every field.
#include "WindowOracle.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>
#include <memory>

using namespace nutrovo;
using namespace nutrovo::test;

namespace {

constexpr qsizetype pastedLength = 100'000;

QString repeatedTo(const QString &unit, qsizetype length)
{
    QString text;
    text.reserve(length);
    while (text.size() < length)
        text += unit;
    text.truncate(length);
    return text;
}

QString controlCharacters()
{
    QString unit;
    for (char16_t c = 0; c < 0x20; ++c)
        unit += QChar(c);
    for (char16_t c = 0x7f; c < 0xa0; ++c)
        unit += QChar(c);
    return unit;
}

// The kinds of text a paste can bring, each 100,000 UTF-16 units long.
QString payload(const QString &kind)
{
    if (kind == "digits")
        return repeatedTo(QStringLiteral("0123456789"), pastedLength);
    if (kind == "lines")
        return repeatedTo(QStringLiteral("Mrs. O'Brien-Ngata, 42 yrs\r\n\t"), pastedLength);
    if (kind == "control")
        return repeatedTo(controlCharacters(), pastedLength);
    if (kind == "right-to-left")
        return repeatedTo(QStringLiteral(u"שלום עליכם 123 مرحبا بكم ٤٥٦ "), pastedLength);
    if (kind == "bidi controls")
        return repeatedTo(
            QStringLiteral(
                u"\u202eabc\u202d\u05d0\u202c\u2067x\u2069\u200f\u200e\u200d\u200c\u061c"),
            pastedLength);
    if (kind == "combining marks")
        return repeatedTo(QStringLiteral(u"a") +
                              repeatedTo(QStringLiteral(u"\u0301\u0316\u0489"), 999),
                          pastedLength);
    if (kind == "broken surrogates")
        return repeatedTo(QStringLiteral(u"\xd83d x \xde00 ") + QString::fromUcs4(U"\U0001F600 "),
                          pastedLength);
    qFatal("no payload named %s", qPrintable(kind));
}

void paste(QWidget *field, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    QTest::mouseClick(field, Qt::LeftButton, {}, field->rect().center());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    // The long text is laid out and painted, as on a user's screen.
    QCoreApplication::processEvents();
}

} // namespace

class TestHostileInput : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void pasteThenPick_data();
    void pasteThenPick();
    void typeThenPick_data();
    void typeThenPick();

private:
    // A pick that changes a servings count and the age: every calculated
    // field and the age's echo field must be rewritten.
    void pickServingsAndAge();

    std::unique_ptr<PlannerForm> form_;
};

void TestHostileInput::init()
{
    form_ = testWindow();
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
}

void TestHostileInput::cleanup() { form_.reset(); }

void TestHostileInput::pickServingsAndAge()
{
    clickCentre(control(*form_, "Option4(3)"));
    auto *age = control<QComboBox>(*form_, "ageCombo");
    age->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCoreApplication::processEvents();
}

void TestHostileInput::pasteThenPick_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("kind");
    const char *const kinds[] = {"digits",           "lines",         "control",
                                 "right-to-left",    "bidi controls", "combining marks",
                                 "broken surrogates"};
    // The client's name, a calculated field, and an echo field that only its
    // picker rewrites.
    for (const char *field : {"Text2", "caltot", "showAge"})
        for (const char *kind : kinds)
            QTest::addRow("%s into %s", kind, field) << field << kind;
}

void TestHostileInput::pasteThenPick()
{
    QFETCH(QString, field);
    QFETCH(QString, kind);
    auto *target = control<QLineEdit>(*form_, field);
    auto *name = control<QLineEdit>(*form_, "Text2");
    auto before = snapshot(*form_);

    const qsizetype lengthBefore = target->text().size();
    paste(target, payload(kind));
    QVERIFY(target->text().size() <= target->maxLength());
    QVERIFY2(target->text().size() > lengthBefore || kind == "control",
             "nothing of the paste arrived");
    auto after = snapshot(*form_);
    before.remove(field);
    after.remove(field);
    QCOMPARE(after, before); // the paste touched its own field only
    const QString nameAfterPaste = name->text();

    pickServingsAndAge();
    NUTROVO_VERIFY_WINDOW_MATCHES_CORE(*form_);
    QCOMPARE(name->text(), nameAfterPaste);

    clickCentre(control(*form_, "ResetCmd"));
    NUTROVO_VERIFY_WINDOW_MATCHES_CORE(*form_);
    QCOMPARE(name->text(), nameAfterPaste);
}

void TestHostileInput::typeThenPick_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown"); // what the field adds to its text
    const QString controls = controlCharacters();
    const QString rightToLeft = QStringLiteral(u"דנה כהן-לוי عائشة");
    const QString marks = QStringLiteral(u"\u202eNgata\u202c \u200f");
    for (const char *field : {"Text2", "bmi"}) {
        QTest::addRow("control characters into %s", field) << field << controls << QString();
        QTest::addRow("right-to-left into %s", field) << field << rightToLeft << rightToLeft;
        QTest::addRow("bidi marks into %s", field) << field << marks << marks;
    }
}

// Keys carrying control characters insert nothing; printable text of any
// direction is inserted as typed.
void TestHostileInput::typeThenPick()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    auto *target = control<QLineEdit>(*form_, field);
    QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    const QString textBefore = target->text();
    typeText(QApplication::focusWidget(), typed);
    QCoreApplication::processEvents();
    QCOMPARE(target->text(), textBefore + shown);

    const QString name = control<QLineEdit>(*form_, "Text2")->text();
    pickServingsAndAge();
    NUTROVO_VERIFY_WINDOW_MATCHES_CORE(*form_);
    QCOMPARE(control<QLineEdit>(*form_, "Text2")->text(), name);
}

QTEST_MAIN(TestHostileInput)
#include "tst_hostile_input.moc"
