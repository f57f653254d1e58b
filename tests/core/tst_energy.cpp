// Body mass index and its reading, the five maintenance methods and the
// targets, through the recalculation exactly as the window gets them.
#include "BmiForAgeFile.h"
#include "RecordingSink.h"
#include "growth/BmiReading.h"
#include "pickers/Pickers.h"

#include <QtTest>

#include <algorithm>

using namespace nutrovo;
using nutrovo::test::differences;
using nutrovo::test::recalculated;

namespace {

ConsultState client(int sex, int age, double heightCm, int weightKg, double activity)
{
    ConsultState s;
    s.sexIndex = std::int16_t(sex);
    s.ageYears = age;
    s.heightCm = heightCm;
    s.weightKg = weightKg;
    s.activity = activity;
    return s;
}

// The activity factors exactly as the picker stores them.
double factor(int row) { return pickers::activityFromRow(std::int16_t(row)); }

} // namespace

Q_DECLARE_METATYPE(nutrovo::ConsultState)

class TestEnergy : public QObject {
    Q_OBJECT
private slots:
    void clients_data();
    void clients();
    void zeroHeightLeavesBmiUnwritten();
    void owenIgnoresHeightAndAge();
    void kilojoulesComeBeforeKilocalories();
    void bmiForAgeZ_data();
    void bmiForAgeZ();
    void bmiClassesAsShown_data();
    void bmiClassesAsShown();
    void embeddedTableIsTheFile();
};

void TestEnergy::clients_data()
{
    QTest::addColumn<ConsultState>("state");
    QTest::addColumn<QString>("expected");

    const ConsultState startUp = client(0, 40, 147.3, 54, factor(1));
    QTest::newRow("start-up client")
        << startUp
        << "bmi=24.8 hbrda=6940 owenrda=7837 mifrda=6888 whorda=8353 lastrda=5620 hbrdacal=1657 "
           "owenrdacal=1872 mifrdacal=1645 whordacal=1995 lastrdacal=1342 hblose=1157 "
           "owenlose=1372 miflose=1145 lastlose=1207 wholose=1495 hbgain=2157 owengain=2372 "
           "mifgain=2145 lastgain=1476 whogain=2495 showGender=Male";

    const struct {
        const char *name;
        int age;
        const char *expected;
    } whoBands[] = {
        {"WHO at 17: preliminary row", 17, "whorda=5800 whordacal=1385 wholose=885 whogain=1885"},
        {"WHO at 18: band 18-29", 18, "whorda=8212 whordacal=1961 wholose=1461 whogain=2461"},
        {"WHO at 29: band 18-29", 29, "whorda=8212 whordacal=1961"},
        {"WHO at 30: band 30-60", 30, "whorda=8353 whordacal=1995"},
        {"WHO at 60: band 30-60", 60, "whorda=8353 whordacal=1995"},
        {"WHO at 61: band 61+", 61, "whorda=5800 whordacal=1385"},
        {"WHO at 100", 100, "whorda=5800 whordacal=1385"},
        {"WHO at 10", 10, "whorda=5800 whordacal=1385"},
    };
    for (const auto &band : whoBands)
        QTest::newRow(band.name) << client(0, band.age, 147.3, 54, factor(1)) << band.expected;

    QTest::newRow("man 30 y 170 cm 70 kg: WHO kcal from the kJ shown")
        << client(0, 30, 170.0, 70, factor(1))
        << "bmi=24.2 hbrda=9123 owenrda=8708 mifrda=8803 whorda=9357 lastrda=7285 hbrdacal=2179 "
           "owenrdacal=2080 mifrdacal=2102 whordacal=2235 lastrdacal=1740 hblose=1679 "
           "owenlose=1580 miflose=1602 lastlose=1566 wholose=1735 hbgain=2679 owengain=2580 "
           "mifgain=2602 lastgain=1914 whogain=2735";
    QTest::newRow("woman at 17: 657 in the preliminary row")
        << client(1, 17, 165.1, 60, factor(1)) << "whorda=7264 whordacal=1735 bmi=22";
    QTest::newRow("woman at 61: 637 in the band")
        << client(1, 61, 165.1, 60, factor(1)) << "whorda=7084 whordacal=1692 showGender=Female";
    QTest::newRow("sex index 2 is female")
        << client(2, 61, 165.1, 60, factor(1)) << "whorda=7084 whordacal=1692 showGender=Female";
    QTest::newRow("rule of thumb targets are cut, not rounded")
        << client(0, 40, 147.3, 65, factor(1)) << "lastrdacal=1615 lastlose=1453 lastgain=1776";
    // A fused multiply-add would give 2867 here.
    QTest::newRow("man 22 y 132.1 cm 97 kg X active: no contraction")
        << client(0, 22, pickers::heightCmFromRow(4), 97, factor(3)) << "hbrdacal=2868";
    QTest::newRow("lightest, shortest, youngest woman, quiet")
        << client(1, 10, 121.9, 41, factor(0))
        << "bmi=27.5 hbrdacal=1482 owenrdacal=1304 mifrdacal=1153 lastrdacal=1010 lastlose=909 "
           "lastgain=1111";
    QTest::newRow("heaviest, tallest, oldest man, XX active")
        << client(0, 100, 241.3, 182, factor(4))
        << "bmi=31.2 hbrdacal=4959 owenrdacal=4352 mifrdacal=4533 lastrdacal=4644 lastlose=4179 "
           "lastgain=5108";
}

void TestEnergy::clients()
{
    QFETCH(ConsultState, state);
    QFETCH(QString, expected);
    const QStringList wrong = differences(recalculated(state), expected);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));
}

void TestEnergy::zeroHeightLeavesBmiUnwritten()
{
    for (double height : {0.0, -5.0}) {
        const auto sink = recalculated(client(0, 40, height, 54, factor(1)));
        QVERIFY(std::find(sink.order.begin(), sink.order.end(), Output::bmi) == sink.order.end());
        QCOMPARE(sink.text(Output::owenrdacal), QStringLiteral("1872"));
        QVERIFY(!sink.text(Output::hbrdacal).isEmpty());
    }
}

void TestEnergy::owenIgnoresHeightAndAge()
{
    const auto reference = recalculated(client(1, 25, 150.0, 80, factor(2)));
    for (double height : {121.9, 170.2, 241.3}) {
        for (int age : {10, 45, 100}) {
            const auto sink = recalculated(client(1, age, height, 80, factor(2)));
            for (Output f : {Output::owenrda, Output::owenrdacal, Output::lastrda, Output::lastrdacal})
                QCOMPARE(sink.text(f), reference.text(f));
        }
    }
}

void TestEnergy::kilojoulesComeBeforeKilocalories()
{
    const auto sink = recalculated(client(0, 40, 147.3, 54, factor(1)));
    std::vector<Output> energy;
    std::copy_if(sink.order.begin(), sink.order.end(), std::back_inserter(energy), [](Output f) {
        return f >= Output::hbrda && f <= Output::whogain;
    });
    const std::vector<Output> expected = {
        Output::hbrda,    Output::owenrda,    Output::mifrda,   Output::whorda,     Output::lastrda,
        Output::hbrdacal, Output::owenrdacal, Output::mifrdacal, Output::whorda,   Output::whordacal,
        Output::lastrdacal, Output::hblose,   Output::owenlose, Output::miflose,    Output::lastlose,
        Output::wholose,  Output::hbgain,     Output::owengain, Output::mifgain,    Output::lastgain,
        Output::whogain};
    QCOMPARE(energy, expected);
}

// Points built from the file's own rows: z at the median, at k SD, beyond
// +/-3 SD by the restricted rule, and between two whole months.
void TestEnergy::bmiForAgeZ_data()
{
    QTest::addColumn<int>("sexIndex");
    QTest::addColumn<double>("months");
    QTest::addColumn<double>("bmi");
    QTest::addColumn<double>("z");
    for (const auto &[sex, month] : {std::pair{0, 150}, std::pair{1, 200}, std::pair{0, 228}}) {
        const test::FileLms p = test::bmiForAgeFile().at({sex + 1, month});
        const QByteArray at = QByteArray(sex == 0 ? "boy " : "girl ") + QByteArray::number(month) + " months";
        QTest::addRow("%s: median", at.data()) << sex << double(month) << p.m << 0.0;
        for (double k : {-2.0, -1.0, 1.0, 2.0})
            QTest::addRow("%s: %+g SD", at.data(), k) << sex << double(month) << test::bmiAtSd(p, k) << k;
        for (double k : {3.0, -3.0}) // half the step between 2 and 3 SD beyond 3 SD
            QTest::addRow("%s: %+g SD and half a step", at.data(), k)
                << sex << double(month) << test::bmiAtSd(p, k) * 1.5 - test::bmiAtSd(p, k * 2 / 3) / 2 << k * 7 / 6;
    }
    const test::FileLms a = test::bmiForAgeFile().at({2, 150}), b = test::bmiForAgeFile().at({2, 151});
    const test::FileLms quarter{a.l + (b.l - a.l) / 4, a.m + (b.m - a.m) / 4, a.s + (b.s - a.s) / 4};
    QTest::newRow("girl 150.25 months: median a quarter of the way") << 1 << 150.25 << quarter.m << 0.0;
    QTest::newRow("girl 150.25 months: +2 SD a quarter of the way")
        << 1 << 150.25 << test::bmiAtSd(quarter, 2) << 2.0;
    QTest::newRow("past the reference's end: read at 228 months")
        << 0 << 240.0 << test::bmiAtSd(test::bmiForAgeFile().at({1, 228}), 1) << 1.0;
}

void TestEnergy::bmiForAgeZ()
{
    QFETCH(int, sexIndex);
    QFETCH(double, months);
    QFETCH(double, bmi);
    QFETCH(double, z);
    const double read = growth::bmiForAgeZ(bmi, std::int16_t(sexIndex), months);
    QVERIFY2(std::fabs(read - z) < 1e-9, qPrintable(QString::number(read, 'g', 17)));
}

// Each class boundary from both sides, read from the value as shown, and the
// z-score's rounding (the whole text: the random events' oracle).
void TestEnergy::bmiClassesAsShown_data()
{
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("actual");
    const std::pair<const char *, const char *> adult[] = {
        {"18.4", "Underweight"},      {"18.5", "Normal weight"},    {"24.9", "Normal weight"},
        {"25", "Pre-obesity"},        {"29.9", "Pre-obesity"},      {"30", "Obesity class I"},
        {"34.9", "Obesity class I"},  {"35", "Obesity class II"},   {"39.9", "Obesity class II"},
        {"40", "Obesity class III"}};
    for (const auto &[bmi, name] : adult)
        QTest::addRow("adult BMI %s", bmi) << QString::fromLatin1(name)
                                           << QString::fromStdString(std::string(growth::adultClass(std::stod(bmi))));
    const std::pair<double, const char *> child[] = {
        {-5.01, "Check height and weight"}, {-5.00, "Severe thinness"}, {-3.01, "Severe thinness"}, {-3.00, "Thinness"},
        {-2.01, "Thinness"}, {-2.00, "Normal"}, {1.00, "Normal"}, {1.01, "Overweight"}, {2.00, "Overweight"},
        {2.01, "Obesity"}, {5.00, "Obesity"}, {5.01, "Check height and weight"}};
    for (const auto &[z, name] : child)
        QTest::addRow("z %+.2f", z) << QString::fromLatin1(name)
                                    << QString::fromStdString(std::string(growth::childClass(z)));
    for (const auto &[z, text] : {std::pair{1.234, "+1.23"}, std::pair{-0.395, "-0.40"},
                                  std::pair{-0.004, "0.00"}, std::pair{0.005, "+0.01"}})
        QTest::addRow("z %g shown", z) << QString::fromLatin1(text) << QString::fromStdString(growth::zText(z));
}

void TestEnergy::bmiClassesAsShown()
{
    QFETCH(QString, expected);
    QFETCH(QString, actual);
    QCOMPARE(actual, expected);
}

void TestEnergy::embeddedTableIsTheFile()
{
    const std::string_view embedded = growth::bmiForAgeTableText();
    QCOMPARE(QByteArray(embedded.data(), qsizetype(embedded.size())), test::bmiForAgeFileBytes());
    QCOMPARE(growth::bmiForAgeRows().size(), test::bmiForAgeFile().size());
    for (const growth::LmsRow &row : growth::bmiForAgeRows())
        QVERIFY(test::bmiForAgeFile().at({row.sex, row.ageMonths}) == test::FileLms({row.l, row.m, row.s}));
}

QTEST_APPLESS_MAIN(TestEnergy)
#include "tst_energy.moc"
