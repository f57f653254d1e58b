// Every row of every list: its text, the value it stores and the echo text.
// Expected values come from exact integer arithmetic, independent of the
// double-precision steps the conversions use.
#include "numeric/DisplayText.h"
#include "pickers/Pickers.h"

#include <QtTest>

using namespace nutrovo;
using pickers::Picker;

Q_DECLARE_METATYPE(nutrovo::pickers::Picker)

namespace {

QString shownRow(Picker picker, int row)
{
    return QString::fromStdString(pickers::rowText(picker, row));
}

QString echo(std::int64_t value) { return QString::fromStdString(displayText(value)); }
QString echo(double value) { return QString::fromStdString(displayText(value)); }

// Height in tenths of a centimetre, rounded half up, exactly.
int heightTenths(int inches) { return (inches * 254 + 5) / 10; }

QString tenthsText(int tenths)
{
    return tenths % 10 == 0 ? QString::number(tenths / 10)
                            : QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10);
}

// Pounds to kilograms: cut to tenths, then halves to the even whole number.
int weightKg(int pounds)
{
    const int tenths = pounds * 100 / 22;
    const int whole = tenths / 10;
    const int fraction = tenths % 10;
    return (fraction > 5 || (fraction == 5 && whole % 2 == 1)) ? whole + 1 : whole;
}

} // namespace

class TestPickers : public QObject {
    Q_OBJECT
private slots:
    void rowCounts_data();
    void rowCounts();
    void everyAgeRow();
    void everyHeightRow();
    void everyWeightRow();
    void weightRowFiguresDifferOnlyWhereKnown();
    void activityRows_data();
    void activityRows();
    void milkRows_data();
    void milkRows();
    void namedRows_data();
    void namedRows();
};

void TestPickers::rowCounts_data()
{
    QTest::addColumn<Picker>("picker");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("age") << Picker::Age << 91 << "10 yrs" << "100 yrs";
    QTest::newRow("height") << Picker::Height << 48 << "4-0 - 122cm" << "7 -11 - 241cm";
    QTest::newRow("weight") << Picker::Weight << 311 << "90lb - 41kg" << "400lb - 182kg";
    QTest::newRow("activity") << Picker::Activity << 5 << "1.2 quiet" << "1.6 XX active";
    QTest::newRow("milk") << Picker::Milk << 5 << "Skim" << "Homogenized";
}

void TestPickers::rowCounts()
{
    QFETCH(Picker, picker);
    QFETCH(int, rows);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QCOMPARE(pickers::rowCount(picker), rows);
    QCOMPARE(shownRow(picker, 0), first);
    QCOMPARE(shownRow(picker, rows - 1), last);
}

void TestPickers::everyAgeRow()
{
    for (int row = 0; row < 91; ++row) {
        const std::int32_t age = pickers::ageYearsFromRow(std::int16_t(row));
        QCOMPARE(shownRow(Picker::Age, row), QStringLiteral("%1 yrs").arg(row + 10));
        QCOMPARE(age, row + 10);
        QCOMPARE(echo(std::int64_t{age}), QString::number(row + 10));
    }
}

void TestPickers::everyHeightRow()
{
    for (int row = 0; row < 48; ++row) {
        const int inches = row + 48;
        const int feet = inches / 12;
        const int rest = inches % 12;
        const int cm = (inches * 254 + 50) / 100;
        QString feetAndInches;
        if (feet == 4)
            feetAndInches = QStringLiteral("4-%1").arg(rest);
        else
            feetAndInches = QStringLiteral("%1 - %2").arg(feet).arg(rest);
        if (feet > 4 && rest == 10)
            feetAndInches = QStringLiteral("%1- 10").arg(feet);
        if (feet > 4 && rest == 11)
            feetAndInches = QStringLiteral("%1 -11").arg(feet);
        if (feet > 4)
            QCOMPARE(feetAndInches.size(), 5);
        QCOMPARE(shownRow(Picker::Height, row), QStringLiteral("%1 - %2cm").arg(feetAndInches).arg(cm));

        const double stored = pickers::heightCmFromRow(std::int16_t(row));
        QCOMPARE(stored, heightTenths(inches) / 10.0);
        QCOMPARE(echo(stored), tenthsText(heightTenths(inches)));
    }
}

void TestPickers::everyWeightRow()
{
    for (int row = 0; row < 311; ++row) {
        const int pounds = row + 90;
        const QString text = shownRow(Picker::Weight, row);
        const QString prefix = QStringLiteral("%1lb - ").arg(pounds);
        QVERIFY2(text.startsWith(prefix) && text.endsWith(u"kg"), qPrintable(text));
        const std::int32_t stored = pickers::weightKgFromRow(std::int16_t(row));
        QCOMPARE(stored, weightKg(pounds));
        QCOMPARE(echo(std::int64_t{stored}), QString::number(weightKg(pounds)));
    }
}

void TestPickers::weightRowFiguresDifferOnlyWhereKnown()
{
    int oneLess = 0;
    QList<int> oneMore;
    for (int row = 0; row < 311; ++row) {
        const QString text = shownRow(Picker::Weight, row);
        const int shown = text.mid(text.indexOf(u"- ") + 2).chopped(2).toInt();
        const int stored = pickers::weightKgFromRow(std::int16_t(row));
        QVERIFY2(std::abs(shown - stored) <= 1, qPrintable(text));
        if (shown == stored - 1)
            ++oneLess;
        if (shown == stored + 1)
            oneMore.append(row + 90);
    }
    QCOMPARE(oneLess, 74);
    QCOMPARE(oneMore, (QList<int>{318, 340, 362, 384, 397}));
}

void TestPickers::activityRows_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("factor");
    QTest::addColumn<QString>("echoText");
    QTest::newRow("quiet") << 0 << "1.2 quiet" << 1.2 << "1.2";
    QTest::newRow("normal") << 1 << "1.3 normal" << 1.3 << "1.3";
    QTest::newRow("active") << 2 << "1.4 active" << 1.4 << "1.4";
    QTest::newRow("X active") << 3 << "1.5 X active" << 1.5 << "1.5";
    QTest::newRow("XX active") << 4 << "1.6 XX active" << 1.6 << "1.6";
}

void TestPickers::activityRows()
{
    QFETCH(int, row);
    QFETCH(QString, text);
    QFETCH(double, factor);
    QFETCH(QString, echoText);
    QCOMPARE(shownRow(Picker::Activity, row), text);
    const double stored = pickers::activityFromRow(std::int16_t(row));
    QVERIFY(std::abs(stored - factor) <= 2.3e-16);
    QCOMPARE(echo(stored), echoText);
}

void TestPickers::milkRows_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::newRow("skim") << 0 << "Skim";
    QTest::newRow("1%") << 1 << "1%";
    QTest::newRow("2%") << 2 << "2%";
    QTest::newRow("blank fourth row") << 3 << "";
    QTest::newRow("homogenized") << 4 << "Homogenized";
}

void TestPickers::milkRows()
{
    QFETCH(int, row);
    QFETCH(QString, text);
    QCOMPARE(shownRow(Picker::Milk, row), text);
    QCOMPARE(int(pickers::milkTypeFromRow(std::int16_t(row))), row);
}

// Rows the dietitians' own examples name.
void TestPickers::namedRows_data()
{
    QTest::addColumn<Picker>("picker");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("echoText");
    QTest::newRow("109 lb stores 50") << Picker::Weight << "109lb - 49kg" << "50";
    QTest::newRow("96 lb stores 44") << Picker::Weight << "96lb - 43kg" << "44";
    QTest::newRow("120 lb: 54.5 to even 54") << Picker::Weight << "120lb - 54kg" << "54";
    QTest::newRow("98 lb: 44.5 to even 44") << Picker::Weight << "98lb - 44kg" << "44";
    QTest::newRow("110 lb: 49.99.. cut to 49.9") << Picker::Weight << "110lb - 50kg" << "50";
    QTest::newRow("121 lb") << Picker::Weight << "121lb - 55kg" << "55";
    QTest::newRow("400 lb") << Picker::Weight << "400lb - 182kg" << "182";
    QTest::newRow("213 lb stores 97") << Picker::Weight << "213lb - 96kg" << "97";
    QTest::newRow("5 ft 7") << Picker::Height << "5 - 7 - 170cm" << "170.2";
    QTest::newRow("4 ft 10") << Picker::Height << "4-10 - 147cm" << "147.3";
    QTest::newRow("75 in is 190.5 cm, label rounds up") << Picker::Height << "6 - 3 - 191cm" << "190.5";
    QTest::newRow("5 ft 10") << Picker::Height << "5- 10 - 178cm" << "177.8";
    QTest::newRow("5 ft 11") << Picker::Height << "5 -11 - 180cm" << "180.3";
    QTest::newRow("shortest") << Picker::Height << "4-0 - 122cm" << "121.9";
    QTest::newRow("tallest") << Picker::Height << "7 -11 - 241cm" << "241.3";
}

void TestPickers::namedRows()
{
    QFETCH(Picker, picker);
    QFETCH(QString, text);
    QFETCH(QString, echoText);
    int row = -1;
    for (int i = 0; i < pickers::rowCount(picker); ++i)
        if (shownRow(picker, i) == text)
            row = i;
    QVERIFY2(row >= 0, qPrintable(text));
    const auto r = std::int16_t(row);
    const QString shown = picker == Picker::Weight ? echo(std::int64_t{pickers::weightKgFromRow(r)})
                                                   : echo(pickers::heightCmFromRow(r));
    QCOMPARE(shown, echoText);
}

QTEST_APPLESS_MAIN(TestPickers)
#include "tst_pickers.moc"
