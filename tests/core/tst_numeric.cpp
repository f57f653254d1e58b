// The number-to-text rule and the guarded arithmetic under every figure.
#include "numeric/Checked.h"
#include "numeric/DisplayText.h"

#include <QtTest>

#include <cfloat>
#include <cmath>
#include <limits>

using namespace nutrovo;

class TestNumeric : public QObject {
    Q_OBJECT
private slots:
    void integerText_data();
    void integerText();
    void doubleText_data();
    void doubleText();
    void readBackIsExact_data();
    void readBackIsExact();
    void readBackRejectsForeignText_data();
    void readBackRejectsForeignText();
    void integerChecks();
    void realChecks_data();
    void realChecks();
    void halfEven_data();
    void halfEven();
};

void TestNumeric::integerText_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero is one digit") << qint64(0) << "0";
    QTest::newRow("no grouping") << qint64(9123) << "9123";
    QTest::newRow("negative") << qint64(-343) << "-343";
    QTest::newRow("int16 max") << qint64(32767) << "32767";
    QTest::newRow("int32 min") << qint64(std::numeric_limits<std::int32_t>::min()) << "-2147483648";
}

void TestNumeric::integerText()
{
    QFETCH(qint64, value);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(displayText(std::int64_t{value})), text);
}

void TestNumeric::doubleText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole double has no point") << 170.0 << "170";
    QTest::newRow("one decimal") << 147.3 << "147.3";
    QTest::newRow("22.0") << 22.0 << "22";
    QTest::newRow("half keeps its zero") << 0.5 << "0.5";
    QTest::newRow("0.1 + 0.2 hides the representation error") << 0.1 + 0.2 << "0.3";
    QTest::newRow("0.1 + 1.2") << 0.1 + 1.2 << "1.3";
    QTest::newRow("negative fraction") << -0.5 << "-0.5";
    QTest::newRow("negative whole") << -343.0 << "-343";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("fifteen digits kept") << 123456789.012345 << "123456789.012345";
    QTest::newRow("sixteenth digit rounds up") << 0.12345678901234567 << "0.123456789012346";
    QTest::newRow("rounding carries into a new digit") << 999999.9999999999 << "1000000";
    QTest::newRow("below 0.1") << 0.0123 << "0.0123";
    QTest::newRow("large whole") << 23488.0 << "23488";
    QTest::newRow("bmi cut") << std::floor(24.887 * 10) / 10 << "24.8";
    QTest::newRow("percent") << std::floor(29.09 * 10 + 0.5) / 10 << "29.1";
    QTest::newRow("just under 10^15") << 999999999999999.0 << "999999999999999";
}

void TestNumeric::doubleText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(displayText(value)), text);
}

void TestNumeric::readBackIsExact_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("whole") << 2235.0;
    QTest::newRow("half") << 787.5;
    QTest::newRow("tenths") << 93.8;
    QTest::newRow("negative") << -12.5;
    QTest::newRow("height") << 241.3;
}

void TestNumeric::readBackIsExact()
{
    QFETCH(double, value);
    QCOMPARE(readDisplayedNumber(displayText(value)), value);
}

void TestNumeric::readBackRejectsForeignText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("placeholder") << "hbrdacal";
    QTest::newRow("empty") << "";
    QTest::newRow("comma decimal") << "24,8";
    QTest::newRow("trailing blank") << "24.8 ";
}

void TestNumeric::readBackRejectsForeignText()
{
    QFETCH(QString, text);
    QVERIFY_THROWS_EXCEPTION(ArithmeticFault, readDisplayedNumber(text.toStdString()));
}

void TestNumeric::integerChecks()
{
    QCOMPARE(checkedMul<std::int16_t>(15, 15), std::int16_t(225));
    QCOMPARE(checkedAdd<std::int16_t>(32766, 1), std::int16_t(32767));
    QVERIFY_THROWS_EXCEPTION(ArithmeticFault, checkedAdd<std::int16_t>(32767, 1));
    QVERIFY_THROWS_EXCEPTION(ArithmeticFault, checkedMul<std::int16_t>(256, 128));
    QVERIFY_THROWS_EXCEPTION(ArithmeticFault, checkedSub<std::int16_t>(-32768, 1));
    QVERIFY_THROWS_EXCEPTION(ArithmeticFault, checkedMul<std::int32_t>(214748365, 10));
    QCOMPARE(toInt16(-1), std::int16_t(-1));
    QVERIFY_THROWS_EXCEPTION(ArithmeticFault, toInt16(32768));
}

void TestNumeric::realChecks_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<int>("fault"); // -1: none
    const int none = -1;
    const int overflow = int(FaultKind::Overflow);
    const int byZero = int(FaultKind::DivisionByZero);
    const int invalid = int(FaultKind::InvalidOperation);
    QTest::newRow("ordinary product") << 2 << 1.3 << 4.1868 << none;
    QTest::newRow("product overflows") << 2 << DBL_MAX << 2.0 << overflow;
    QTest::newRow("sum overflows") << 0 << DBL_MAX << DBL_MAX << overflow;
    QTest::newRow("difference overflows") << 1 << -DBL_MAX << DBL_MAX << overflow;
    QTest::newRow("division by zero") << 3 << 1.0 << 0.0 << byZero;
    QTest::newRow("zero by zero is invalid") << 3 << 0.0 << 0.0 << invalid;
    QTest::newRow("quotient overflows") << 3 << DBL_MAX << 0.5 << overflow;
    QTest::newRow("tiny quotient is fine") << 3 << 1.0 << DBL_MAX << none;
}

void TestNumeric::realChecks()
{
    QFETCH(int, operation);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(int, fault);
    const auto apply = [&] {
        const Real x = a;
        switch (operation) {
        case 0:
            return x + b;
        case 1:
            return x - b;
        case 2:
            return x * b;
        default:
            return x / b;
        }
    };
    if (fault < 0) {
        QVERIFY(std::isfinite(apply().value()));
        return;
    }
    try {
        apply();
        QFAIL("no fault raised");
    } catch (const ArithmeticFault &e) {
        QCOMPARE(int(e.kind()), fault);
    }
}

void TestNumeric::halfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("rounded");
    QTest::newRow("54.5 goes down to even") << 54.5 << 54;
    QTest::newRow("49.5 goes up to even") << 49.5 << 50;
    QTest::newRow("44.5 goes down") << 44.5 << 44;
    QTest::newRow("54.9 goes up") << 54.9 << 55;
    QTest::newRow("40.9") << 40.9 << 41;
    QTest::newRow("181.8") << 181.8 << 182;
    QTest::newRow("-0.5 to zero") << -0.5 << 0;
    QTest::newRow("-1.5 to -2") << -1.5 << -2;
}

void TestNumeric::halfEven()
{
    QFETCH(double, value);
    QFETCH(int, rounded);
    QCOMPARE(roundHalfEvenToInt32(value), rounded);
}

QTEST_APPLESS_MAIN(TestNumeric)
#include "tst_numeric.moc"
