// The window as a user sees it on a real X server: PNGs of the start-up
// window, of every formula panel held open, and of the register's dialog with
// a client of five visits, checked pixel by pixel where a fault would show
// (colours of the rows, a panel over the grid, sharp art, the chart's lines).
#include "BmiForAgeFile.h"
#include "TestRegister.h"
#include "WindowProbe.h"

#include <QAbstractItemView>
#include <QAction>
#include <QChartView>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

#include <memory>

using namespace nutrovo;
using namespace nutrovo::test;

class TestScreenshots : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void startUpWindow();
    void panelsHeldOpen_data();
    void panelsHeldOpen();
    void bmiReadings();
    void registerDialogWithFiveVisits();

private:
    QImage grab() const;
    QString pathFor(const QString &name) const;
    QColor pixelAt(const QImage &image, const QWidget *w, QPoint offset) const;

    std::unique_ptr<PlannerForm> form_;
    QDir folder_;
    qreal scale_ = 1;
};

void TestScreenshots::initTestCase()
{
    QVERIFY2(QGuiApplication::platformName() == u"xcb", "run under a real X server (with-xvfb.sh)");
    folder_ = QDir(qEnvironmentVariable("NUTROVO_SCREENSHOTS", QDir::currentPath()));
    QVERIFY(folder_.mkpath("."));
    form_ = testWindow();
    form_->move(0, 0);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    scale_ = form_->devicePixelRatioF();
    QTest::qWait(200); // let the X server finish drawing the first frame
}

// The window's pixels as the X server holds them.
QImage TestScreenshots::grab() const
{
    QCoreApplication::processEvents();
    QTest::qWait(50);
    return form_->screen()->grabWindow(form_->winId()).toImage();
}

QString TestScreenshots::pathFor(const QString &name) const
{
    const QString suffix = scale_ == 1 ? QString() : QStringLiteral("@%1x").arg(scale_);
    return folder_.filePath(name + suffix + ".png");
}

QColor TestScreenshots::pixelAt(const QImage &image, const QWidget *w, QPoint offset) const
{
    const QPoint p = w->mapTo(form_.get(), offset) * scale_;
    return image.pixelColor(p);
}

void TestScreenshots::startUpWindow()
{
    const QImage image = grab();
    QCOMPARE(image.size(), form_->size() * scale_);
    QVERIFY(image.save(pathFor("startup")));
    // Row labels and buttons on their group's colour; the sheet white.
    QCOMPARE(pixelAt(image, control(*form_, "Label7"), {2, 20}), QColor(252, 88, 113));
    QCOMPARE(pixelAt(image, control(*form_, "Label13"), {2, 20}), QColor(45, 184, 29));
    QCOMPARE(pixelAt(image, control(*form_, "Option3(15)"), {22, 2}), QColor(122, 191, 254));
    QCOMPARE(image.pixelColor(QPoint(750, 640) * scale_), QColor(Qt::white));
    // Red heading text somewhere in "Energy Assessment".
    bool red = false;
    const QRect heading(control(*form_, "Label2")->geometry().topLeft() * scale_,
                        control(*form_, "Label2")->size() * scale_);
    for (int y = heading.top(); y < heading.bottom() && !red; ++y)
        for (int x = heading.left(); x < heading.right() && !red; ++x)
            red = image.pixelColor(x, y) == QColor(255, 0, 0);
    QVERIFY(red);
}

void TestScreenshots::panelsHeldOpen_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("panel");
    QTest::newRow("Harris-Benedict") << "hbhelp" << "hbFrame";
    QTest::newRow("Owen") << "owenhelp" << "owenFrame";
    QTest::newRow("Mifflin") << "mifhelp" << "mifFrame";
    QTest::newRow("rule of thumb") << "lasthelp" << "lastFrame";
    QTest::newRow("WHO") << "whohelp" << "whoFrame";
}

void TestScreenshots::panelsHeldOpen()
{
    QFETCH(QString, trigger);
    QFETCH(QString, panel);
    QWidget *help = control(*form_, trigger);
    QWidget *box = control(*form_, panel);
    // The lower part of a protein button, which the panel covers: coloured
    // before, the panel's background while it is held, coloured again after.
    QWidget *covered = control(*form_, "Option2(8)");
    const QPoint underPanel(22, 20);
    QCOMPARE(pixelAt(grab(), covered, underPanel), QColor(252, 88, 113));

    QTest::mousePress(help, Qt::LeftButton, {}, QPoint(10, 10));
    QTRY_VERIFY(box->isVisible());
    const QImage held = grab();
    QVERIFY(held.save(pathFor("panel-" + panel)));
    QCOMPARE(pixelAt(held, covered, underPanel), box->palette().color(QPalette::Window));
    QTest::mouseRelease(help, Qt::LeftButton, {}, QPoint(10, 10));
    QTRY_VERIFY(!box->isVisible());
    QCOMPARE(pixelAt(grab(), covered, underPanel), QColor(252, 88, 113));
}

// The BMI's reading for a boy of 12 (55 kg, 152.4 cm) and a woman of 45 (80 kg, 165.1 cm).
void TestScreenshots::bmiReadings()
{
    for (const auto &[sex, age, weightRow, heightRow] : {std::tuple{0, 12, 31, 12}, std::tuple{1, 45, 86, 17}}) {
        control<QAbstractButton>(*form_, QStringLiteral("sex(%1)").arg(sex))->click();
        control<QComboBox>(*form_, "ageCombo")->setCurrentIndex(age - 10);
        control<QComboBox>(*form_, "wtCombo")->setCurrentIndex(weightRow);
        control<QComboBox>(*form_, "htCombo")->setCurrentIndex(heightRow);
        QCOMPARE(fieldText(*form_, "bmiClass"), expectedBmiReading(fieldText(*form_, "bmi").toDouble(), sex, age));
        QVERIFY(grab().save(pathFor(QStringLiteral("bmi-%1-%2").arg(sex == 0 ? "boy" : "woman").arg(age))));
    }
}

// Five visits a month apart, the weight going down: the visit list and a
// chart whose weight line falls from left to right, beside a boy's z-scores,
// drawn at the screen's own resolution.
void TestScreenshots::registerDialogWithFiveVisits()
{
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
    TestRegister reg(Engine::SQLite);
    control<QLineEdit>(*form_, "Text2")->setText("Ada Lovelace");
    control<QAbstractButton>(*form_, "sex(0)")->click();
    control<QComboBox>(*form_, "ageCombo")->setCurrentIndex(2);
    for (int visit = 0; visit < 5; ++visit) {
        control<QComboBox>(*form_, "wtCombo")->setCurrentIndex(110 - 8 * visit);
        control<QAbstractButton>(*form_, QStringLiteral("Option1(%1)").arg(visit + 2))->click();
        form_->findChild<QAction *>("saveVisitAction")->trigger();
        const QString day = QDate::currentDate().addMonths(visit - 4).toString(Qt::ISODate);
        reg.sql("UPDATE visits SET visit_day = ? WHERE visit_day = ?", {day, QDate::currentDate().toString(Qt::ISODate)});
    }
    reg.closeOwnConnection();
    form_->findChild<QAction *>("openRegisterAction")->trigger();
    auto *dialog = form_->findChild<QDialog *>("registerDialog");
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QCOMPARE(control<QAbstractItemView>(*dialog, "visitList")->model()->rowCount(), 5);
    QTest::qWait(200);
    const QImage image = dialog->screen()->grabWindow(dialog->winId()).toImage();
    QVERIFY(image.save(pathFor("register-dialog")));
    // At the screen's resolution, not enlarged: as many pixels as the scale gives.
    QCOMPARE(image.size(), dialog->size() * scale_);
    // The weight line, in the chart's first colour, higher on the left.
    auto *chart = control<QChartView>(*dialog, "trendChart");
    const QRect plot = chart->chart()->plotArea().toRect().translated(chart->mapTo(dialog, QPoint(0, 0)));
    const QRect area(plot.topLeft() * scale_, plot.size() * scale_);
    QList<QPoint> line; // in the first colour of the charts' light theme, left to right
    for (int x = area.left(); x < area.right(); ++x)
        for (int y = area.top(); y < area.bottom(); ++y)
            if (image.pixelColor(x, y) == QColor(32, 159, 223))
                line.append({x, y});
    QVERIFY2(!line.isEmpty() && line.first().y() < line.last().y(), "no weight line falling in the chart");
    QCOMPARE(chart->chart()->series().at(1)->name(), QStringLiteral("BMI-for-age z"));
    dialog->reject();
}

QTEST_MAIN(TestScreenshots)
#include "tst_screenshots.moc"
