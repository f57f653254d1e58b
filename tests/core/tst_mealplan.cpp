// Gram grid, totals, energies and percentages, through the recalculation
// exactly as the window gets them.
#include "RecordingSink.h"
#include "mealplan/MealPlan.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace nutrovo;
using nutrovo::test::differences;
using nutrovo::test::recalculated;

namespace {

// "starch prot milk veg fat sugar / milkType"
ConsultState stateFor(const QString &servings)
{
    const QStringList parts = servings.split(u'/');
    const QStringList counts = parts[0].split(u' ', Qt::SkipEmptyParts);
    ConsultState s;
    s.starchServ = std::int16_t(counts[0].toShort());
    s.protServ = std::int16_t(counts[1].toShort());
    s.milkServ = std::int16_t(counts[2].toShort());
    s.vegServ = std::int16_t(counts[3].toShort());
    s.fatServ = std::int16_t(counts[4].toShort());
    s.sugarServ = std::int16_t(counts[5].toShort());
    s.milkType = std::int16_t(parts[1].trimmed().toShort());
    return s;
}

} // namespace

class TestMealPlan : public QObject {
    Q_OBJECT
private slots:
    void patterns_data();
    void patterns();
    void gridIsWrittenGroupByGroup();
    void kilojoulesRoundHalfUpExactly();
    void percentagesRoundHalfUpExactly();
};

void TestMealPlan::patterns_data()
{
    QTest::addColumn<QString>("servings");
    QTest::addColumn<QString>("expected"); // field=text pairs

    const QString zeros = "protprot=0 protfat=0 protcho=0 starchprot=0 starchfat=0 starchcho=0 "
                          "milkprot(0)=0 milkfat(0)=0 milkcho(0)=0 fruitvegprot=0 fruitvegfat=0 "
                          "fruitvegcho=0 fatoilprot=0 fatoilfat=0 fatoilcho=0 extraprot=0 "
                          "extrafat=0 extracho=0 ";
    QTest::newRow("no servings: everything 0, no division")
        << "0 0 0 0 0 0 / 1"
        << zeros + "prottot=0 fattot=0 chotot=0 calprottot=0 calfattot=0 calchotot=0 caltot=0 "
                   "kjprottot=0 kjfattot=0 kjchotot=0 kjtot=0 protper=0 fatper=0 choper=0";
    QTest::newRow("one dairy, 1%: kjtot is the sum of rounded values")
        << "0 0 1 0 0 0 / 1"
        << "milkprot(0)=4 milkfat(0)=1 milkcho(0)=7.5 prottot=4 fattot=1 chotot=7.5 calprottot=16 "
           "calfattot=9 calchotot=30 caltot=55 kjprottot=67 kjfattot=38 kjchotot=126 kjtot=231 "
           "protper=29.1 fatper=16.4 choper=54.5";
    QTest::newRow("three dairy, homogenized")
        << "0 0 3 0 0 0 / 4" << "milkprot(0)=12 milkfat(0)=12 milkcho(0)=22.5";
    QTest::newRow("dairy with skim has no fat")
        << "0 0 5 0 0 0 / 0" << "milkprot(0)=20 milkfat(0)=0 milkcho(0)=37.5 fattot=0";
    QTest::newRow("blank milk row counts 3 g fat")
        << "0 0 2 0 0 0 / 3" << "milkfat(0)=6";
    QTest::newRow("milk type without dairy servings") << "0 0 0 0 0 0 / 4" << "milkfat(0)=0";
    QTest::newRow("one fruit/veg: percentages total 100.1")
        << "0 0 0 1 0 0 / 1"
        << "fruitvegprot=1 fruitvegcho=15 prottot=1 fattot=0 chotot=15 calprottot=4 calfattot=0 "
           "calchotot=60 caltot=64 kjprottot=17 kjfattot=0 kjchotot=251 kjtot=268 protper=6.3 "
           "fatper=0 choper=93.8";
    QTest::newRow("one starch: kjtot not caltot converted")
        << "1 0 0 0 0 0 / 1"
        << "caltot=68 kjprottot=33 kjchotot=251 kjtot=284 protper=11.8 fatper=0 choper=88.2";
    QTest::newRow("one protein")
        << "0 1 0 0 0 0 / 1"
        << "prottot=7 fattot=3 chotot=0 caltot=55 kjprottot=117 kjfattot=113 kjtot=230 "
           "protper=50.9 fatper=49.1 choper=0";
    QTest::newRow("fats only: 100 percent fat")
        << "0 0 0 0 4 0 / 1" << "fatoilfat=20 fatper=100 protper=0 choper=0";
    QTest::newRow("fifteen everywhere, homogenized: the largest values")
        << "15 15 15 15 15 15 / 4"
        << "protprot=105 protfat=45 protcho=0 starchprot=30 starchfat=0 starchcho=225 "
           "milkprot(0)=60 milkfat(0)=60 milkcho(0)=112.5 fruitvegprot=15 fruitvegfat=0 "
           "fruitvegcho=225 fatoilprot=0 fatoilfat=75 fatoilcho=0 extraprot=0 extrafat=0 "
           "extracho=225 prottot=210 fattot=180 chotot=787.5 calprottot=840 calfattot=1620 "
           "calchotot=3150 caltot=5610 kjprottot=3517 kjfattot=6783 kjchotot=13188 kjtot=23488 "
           "protper=15 fatper=28.9 choper=56.1";
}

void TestMealPlan::patterns()
{
    QFETCH(QString, servings);
    QFETCH(QString, expected);
    const QStringList wrong = differences(recalculated(stateFor(servings)), expected);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));
}

void TestMealPlan::gridIsWrittenGroupByGroup()
{
    const auto sink = recalculated(ConsultState{});
    const std::vector<Output> expected = {
        Output::protprot,     Output::protfat,     Output::protcho,     Output::starchprot,
        Output::starchfat,    Output::starchcho,   Output::milkprot,    Output::milkfat,
        Output::milkcho,      Output::fruitvegprot, Output::fruitvegfat, Output::fruitvegcho,
        Output::fatoilprot,   Output::fatoilfat,   Output::fatoilcho,   Output::extraprot,
        Output::extrafat,     Output::extracho};
    // bmi and its reading come first, then the grid.
    QCOMPARE(std::vector<Output>(sink.order.begin(), sink.order.begin() + 2),
             (std::vector<Output>{Output::bmi, Output::bmiClass}));
    const std::vector<Output> grid(sink.order.begin() + 2, sink.order.begin() + 20);
    QCOMPARE(grid, expected);
}

// Every gram total the grid can produce, against exact decimal arithmetic.
void TestMealPlan::kilojoulesRoundHalfUpExactly()
{
    using mealplan::Nutrient;
    for (int halves = 0; halves <= 2 * 787 + 1; ++halves) {
        const double grams = halves / 2.0;
        for (Nutrient n : mealplan::nutrients) {
            const long long k = mealplan::kilocaloriesPerGram(n);
            // grams x k x 4.1868, rounded half up: (halves x k x 41868 + 10000) / 20000
            const long long exact = (halves * k * 41868 + 10000) / 20000;
            QCOMPARE(mealplan::kilojoules(n, grams), double(exact));
        }
    }
}

// Random meal patterns over the whole input range, against exact rationals.
void TestMealPlan::percentagesRoundHalfUpExactly()
{
    QRandomGenerator random(20261208);
    for (int i = 0; i < 100000; ++i) {
        ConsultState s;
        s.starchServ = std::int16_t(random.bounded(16));
        s.protServ = std::int16_t(random.bounded(16));
        s.milkServ = std::int16_t(random.bounded(16));
        s.vegServ = std::int16_t(random.bounded(16));
        s.fatServ = std::int16_t(random.bounded(16));
        s.sugarServ = std::int16_t(random.bounded(16));
        s.milkType = std::int16_t(random.bounded(5));
        const auto sink = recalculated(s);
        const long long total = sink.text(Output::caltot).toLongLong();
        if (total == 0)
            continue;
        const std::array<Output, 3> kcal = {Output::calprottot, Output::calfattot, Output::calchotot};
        const std::array<Output, 3> percent = {Output::protper, Output::fatper, Output::choper};
        for (std::size_t n = 0; n < 3; ++n) {
            const long long part = sink.text(kcal[n]).toLongLong();
            const long long tenths = (2 * part * 1000 + total) / (2 * total);
            const QString exact = tenths % 10 == 0
                                      ? QString::number(tenths / 10)
                                      : QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10);
            QCOMPARE(sink.text(percent[n]), exact);
        }
    }
}

QTEST_APPLESS_MAIN(TestMealPlan)
#include "tst_mealplan.moc"
