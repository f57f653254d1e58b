// Printing the real window through a real spooler: the PDF that the cups-pdf
// queue writes must carry the heading, every value the window shows and the
// date of printing, sharp, and show the window at rest whatever the user was
// doing in it, without the program's menu bar; every way the spooler can
// fail must be told once in the message box and leave the window as it was.
#include "MessageWatcher.h"
#include "WindowProbe.h"
#include "consult/Outputs.h"
#include "print/QtPrinter.h"
#include "window/MainWindow.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

using namespace nutrovo;
using namespace nutrovo::test;

namespace {

QString environment(const char *name)
{
    const QString value = qEnvironmentVariable(name);
    if (value.isEmpty())
        qFatal("%s is not set; run this test through ctest", name);
    return value;
}

QString spoolerDir()
{
    return environment("NUTROVO_SPOOLER_DIR");
}
QString outputDir()
{
    return spoolerDir() + QStringLiteral("/out");
}

// Well inside the 30 s a print test may take to fail: a page takes about a second.
constexpr int pageWaitMs = 20000;

struct Ran {
    int exitCode = -1;
    QString output;
};

Ran run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Ran ran;
    if (process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit)
        ran.exitCode = process.exitCode();
    ran.output = QString::fromLocal8Bit(process.readAll());
    return ran;
}

// The fixture's commands that break and mend the spooler.
QStringList fixture(const QString &action)
{
    return {QStringLiteral("bash"), environment("NUTROVO_SPOOLER_SCRIPT"), action, spoolerDir()};
}

bool runCommand(const QStringList &command)
{
    const Ran ran = run(command.first(), command.mid(1));
    if (ran.exitCode != 0)
        qWarning("%s failed: %s", qPrintable(command.join(u' ')), qPrintable(ran.output));
    return ran.exitCode == 0;
}

// The picture of the window on the page, as the PDF holds it.
QImage pagePicture(const QString &pdf)
{
    const QTemporaryDir folder;
    const Ran pdfimages =
        run(QStringLiteral("pdfimages"), {QStringLiteral("-png"), pdf, folder.filePath("image")});
    if (pdfimages.exitCode != 0)
        qWarning("pdfimages: %s", qPrintable(pdfimages.output));
    return QImage(folder.filePath(QStringLiteral("image-000.png"))).convertToFormat(QImage::Format_RGB32);
}

// The part of a picture of the window that shows one control.
QImage part(const QImage &picture, const QWidget &window, const QWidget &control)
{
    const int scale = picture.width() / window.width();
    return picture.copy(QRect(control.mapTo(&window, QPoint(0, 0)) * scale, control.size() * scale));
}

QStringList pdfsWritten()
{
    return QDir(outputDir()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
}

bool spoolerRunning()
{
    return run(QStringLiteral("lpstat"), {QStringLiteral("-r")}).output.contains("is running");
}

// Jobs the spooler has not finished: held, pending or printing.
QString unfinishedJobs()
{
    return run(QStringLiteral("lpstat"), {QStringLiteral("-o")}).output;
}

QString queueState()
{
    return run(QStringLiteral("lpstat"), {QStringLiteral("-p"), QStringLiteral("PDF")}).output;
}

// The spooler's own account of what went wrong: queue, jobs and error lines.
QString spoolerErrors()
{
    const QStringList report = fixture(QStringLiteral("errors"));
    return QStringLiteral("spooler says:\n") + run(report.first(), report.mid(1)).output;
}

} // namespace

class TestPrint : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void printsTheWindowAsShown_data();
    void printsTheWindowAsShown();
    void toolkitsPrinterPrintsTheWindow();
    void failureIsToldOnceAndChangesNothing_data();
    void failureIsToldOnceAndChangesNothing();
    void saveFailureIsToldOnceAndChangesNothing_data();
    void saveFailureIsToldOnceAndChangesNothing();

private:
    void showForm(std::unique_ptr<PlannerForm> form);
    void changeEveryInput();
    void clickPrint();
    QFileDialog *askToSave();
    void verifySaved(const QString &pdf, const QDateTime &clicked, const QString &pageSize);
    void waitForNewPdf(const QStringList &before, QString &pdf);
    void verifyText(const QString &pdf, const QDateTime &clicked, const QString &made = "Printed");
    void verifyNotePages(const QString &pdf, const QString &note);
    void verifyPicture(const QString &pdf, const QString &pageSize);
    void selectPartOfName();
    void verifyShownAtRest(const QStringList &pdfs);

    std::unique_ptr<MainWindow> window_; // as the program shows the form: under its menu bar
    PlannerForm *form_ = nullptr;
    QTemporaryDir settings_;
};

void TestPrint::initTestCase()
{
    // The file dialog keeps its history in the user's settings: here, in a folder of our own.
    qputenv("XDG_CONFIG_HOME", settings_.path().toLocal8Bit());
    // The default printer is the spooler's own, not a caller's choice.
    qunsetenv("LPDEST");
    qunsetenv("PRINTER");
    QVERIFY2(spoolerRunning(),
             qPrintable("the print spooler of the test fixture is not running\n" + spoolerErrors()));
}

void TestPrint::init() { showForm(std::make_unique<PlannerForm>()); }

void TestPrint::showForm(std::unique_ptr<PlannerForm> form)
{
    window_ = std::make_unique<MainWindow>(std::move(form));
    form_ = &window_->form();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    changeEveryInput();
}

void TestPrint::cleanup()
{
    window_.reset();
    form_ = nullptr;
    QFile::remove(settings_.filePath(QStringLiteral("nutrovo/nutrovo.conf"))); // the dietitian named
    QVERIFY(runCommand(fixture(QStringLiteral("restore"))));
}

// A consultation in progress: nothing left at its start-up value.
void TestPrint::changeEveryInput()
{
    auto *name = control<QLineEdit>(*form_, QStringLiteral("Text2"));
    QTest::mouseClick(name, Qt::LeftButton);
    QTest::keyClicks(name, QStringLiteral("Ada Lovelace"));
    clickCentre(control(*form_, QStringLiteral("sex(1)")));
    control<QComboBox>(*form_, QStringLiteral("ageCombo"))->setCurrentIndex(25);
    control<QComboBox>(*form_, QStringLiteral("htCombo"))->setCurrentIndex(19);
    control<QComboBox>(*form_, QStringLiteral("wtCombo"))->setCurrentIndex(45);
    control<QComboBox>(*form_, QStringLiteral("activityCombo"))->setCurrentIndex(3);
    control<QComboBox>(*form_, QStringLiteral("milkCombo"))->setCurrentIndex(0);
    const QStringList servings = {"Option1(6)", "Option2(5)", "Option3(2)",
                                  "Option4(7)", "Option5(3)", "Option6(1)"};
    for (const QString &button : servings)
        clickCentre(control(*form_, button));
}

void TestPrint::clickPrint()
{
    clickCentre(control(*form_, QStringLiteral("printbutton")));
    // A second message would come right after the first: give it the chance.
    QTest::qWait(200);
}

// Save as PDF's dialog, open, with the suggested name checked.
QFileDialog *TestPrint::askToSave()
{
    form_->findChild<QAction *>(QStringLiteral("savePdfAction"))->trigger();
    auto *dialog = form_->findChild<QFileDialog *>();
    if (dialog == nullptr || !dialog->isVisible())
        qFatal("Save as PDF showed no file dialog");
    const QString suggested = QFileInfo(dialog->selectedFiles().value(0)).fileName();
    const QString expected = "Ada Lovelace-" + QDate::currentDate().toString(Qt::ISODate) + ".pdf";
    if (suggested != expected)
        qWarning("suggested %s", qPrintable(suggested));
    return suggested == expected ? dialog : nullptr;
}

// The saved file is the printed page, titled with the client and the date.
void TestPrint::verifySaved(const QString &pdf, const QDateTime &clicked, const QString &pageSize)
{
    verifyText(pdf, clicked, QStringLiteral("Saved"));
    verifyPicture(pdf, pageSize);
    QCOMPARE(int(QFile::permissions(pdf) & 0x7077), int(QFile::ReadOwner | QFile::WriteOwner));
    const Ran pdfinfo = run(QStringLiteral("pdfinfo"), {pdf});
    const QString title = "Title: +Ada Lovelace, consultation of " + clicked.date().toString(Qt::ISODate);
    QVERIFY2(pdfinfo.output.contains(QRegularExpression(title)), qPrintable(pdfinfo.output));
}

// The one new PDF, once the spooler has finished with it. A job that stops
// the queue never finishes: that ends the wait at once, and the failure
// carries what the spooler said.
void TestPrint::waitForNewPdf(const QStringList &before, QString &pdf)
{
    QStringList added;
    bool queueStopped = false;
    const auto settled = [&] {
        added = pdfsWritten();
        for (const QString &old : before)
            added.removeAll(old);
        queueStopped = queueState().contains(QStringLiteral("disabled"));
        return queueStopped || (!added.isEmpty() && unfinishedJobs().trimmed().isEmpty());
    };
    const bool done = QTest::qWaitFor(settled, pageWaitMs);
    const QString why = !done          ? QStringLiteral("no PDF came out of the queue in %1 s")
                                             .arg(pageWaitMs / 1000)
                        : queueStopped ? QStringLiteral("the queue stopped on the job")
                                       : QString();
    QVERIFY2(why.isEmpty(), qPrintable(why + u'\n' + spoolerErrors()));
    QVERIFY2(added.size() == 1, qPrintable(added.join(u' ')));
    pdf = outputDir() + u'/' + added.first();
}

void TestPrint::printsTheWindowAsShown_data()
{
    QTest::addColumn<QString>("paper");
    QTest::addColumn<QString>("pageSize"); // as pdfinfo names it
    QTest::addColumn<bool>("byShortcut");  // Ctrl+P in the client's name instead of the button
    QTest::addColumn<mode_t>("fileUmask");     // the saved file's
    QTest::addColumn<QString>("note");     // the visit's note, on pages after the window's

    QString longNote;
    for (int line = 1; line <= 40; ++line)
        longNote += QStringLiteral("%1. ").arg(line) + noteInEveryScript();
    QTest::newRow("A4, the queue's own default, umask 022, no note")
        << "A4" << "(A4)" << false << mode_t(022) << QString();
    QTest::newRow("US Letter made the queue's default, Ctrl+P, umask 000, a long note")
        << "Letter" << "(letter)" << true << mode_t(0) << longNote;
}

// Focus (by a click), caret and "Lovelace" selected in the client's name.
void TestPrint::selectPartOfName()
{
    auto *name = control<QLineEdit>(*form_, QStringLiteral("Text2"));
    QTest::mouseClick(name, Qt::LeftButton);
    name->setSelection(4, 8);
}

// Each page's picture of the client's name, a picker and the print button is
// the window's own once the user has let go of it: list closed, nothing
// selected, focus and pointer elsewhere.
void TestPrint::verifyShownAtRest(const QStringList &pdfs)
{
    auto *picker = control<QComboBox>(*form_, QStringLiteral("wtCombo"));
    picker->hidePopup();
    control<QLineEdit>(*form_, QStringLiteral("Text2"))->deselect();
    if (QWidget *focused = QApplication::focusWidget())
        focused->clearFocus();
    QTest::mouseMove(control(*form_, QStringLiteral("Label31")));
    QTRY_COMPARE(QApplication::activePopupWidget(), nullptr);

    for (const QString &pdf : pdfs) {
        const QImage page = pagePicture(pdf);
        QVERIFY2(!page.isNull(), qPrintable(pdf));
        const int scale = page.width() / form_->width();
        QImage rest(form_->size() * scale, QImage::Format_RGB32);
        rest.setDevicePixelRatio(scale);
        rest.fill(Qt::white);
        form_->render(&rest);
        rest.setDevicePixelRatio(1);
        for (const char *name : {"Text2", "wtCombo", "printbutton"}) {
            const QWidget &shown = *control(*form_, name);
            QVERIFY2(part(page, *form_, shown) == part(rest, *form_, shown),
                     qPrintable(QStringLiteral("%1 is not at rest on %2").arg(name, pdf)));
        }
        // The window's top line of pixels: the form's white, not the menu bar's.
        const QRect topLine(0, 0, rest.width(), scale);
        QVERIFY2(page.copy(topLine) == rest.copy(topLine), qPrintable("a menu bar on " + pdf));
    }
}

void TestPrint::printsTheWindowAsShown()
{
    QFETCH(QString, paper);
    QFETCH(QString, pageSize);
    QFETCH(bool, byShortcut);
    QFETCH(mode_t, fileUmask);
    QFETCH(QString, note);
    if (!note.isEmpty()) {
        nameDietitian(*form_, QStringLiteral("Mia Chen"), QStringLiteral("MSc, RD"));
        writeNote(*form_, note);
    }
    QVERIFY(runCommand({"lpadmin", "-p", "PDF", "-o", "PageSize=" + paper}));
    const QMap<QString, QString> shown = snapshot(*form_);
    const QStringList before = pdfsWritten();
    const QDateTime clicked = QDateTime::currentDateTime();
    MessageWatcher watcher;

    // Shortcuts reach only the active window.
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    auto *name = control<QLineEdit>(*form_, QStringLiteral("Text2"));
    if (byShortcut) {
        selectPartOfName();
        QTest::keySequence(name, QKeySequence(QStringLiteral("Ctrl+P")));
        QTest::qWait(200);
        QVERIFY(name->hasFocus());
        QCOMPARE(name->selectedText(), QStringLiteral("Lovelace"));
    } else {
        // Leaves the button with the focus and the pointer on it.
        clickPrint();
    }

    QVERIFY2(watcher.seen().isEmpty(), qPrintable(watcher.seen().value(0).text));
    QCOMPARE(snapshot(*form_), shown);
    QString pdf;
    waitForNewPdf(before, pdf);
    if (QTest::currentTestFailed())
        return;
    verifyText(pdf, clicked);
    verifyPicture(pdf, pageSize);
    if (QTest::currentTestFailed())
        return;

    // The same page saved as a file, on the printer's paper, while part of
    // the name is selected and a list is open (put there past the dialog,
    // which keeps the user's hands off the window).
    const QTemporaryDir folder;
    QFileDialog *dialog = askToSave();
    QVERIFY(dialog);
    dialog->selectFile(folder.filePath(QStringLiteral("sheet.pdf")));
    auto *picker = control<QComboBox>(*form_, QStringLiteral("wtCombo"));
    picker->showPopup();
    name->setSelection(4, 8);
    const mode_t umaskBefore = ::umask(fileUmask);
    static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides its override
    ::umask(umaskBefore);
    QVERIFY2(watcher.seen().isEmpty(), qPrintable(watcher.seen().value(0).text));
    QCOMPARE(snapshot(*form_), shown);
    QVERIFY(picker->view()->isVisible());
    QCOMPARE(name->selectedText(), QStringLiteral("Lovelace"));
    const QString saved = folder.filePath(QStringLiteral("sheet.pdf"));
    verifySaved(saved, clicked, pageSize);
    QCOMPARE(modeOf(saved), 0600u);
    verifyShownAtRest({pdf, saved});
    verifyNotePages(pdf, note);
    verifyNotePages(saved, note);
}

// No note: the window's page alone. A note: after it, headed with the client,
// the visit's date and the dietitian, the note as text, whole, on as many
// pages as it takes.
void TestPrint::verifyNotePages(const QString &pdf, const QString &note)
{
    const Ran pdfinfo = run(QStringLiteral("pdfinfo"), {pdf});
    const int pages = QRegularExpression(QStringLiteral("Pages: +(\\d+)")).match(pdfinfo.output).captured(1).toInt();
    if (note.isEmpty()) {
        QCOMPARE(pages, 1);
        return;
    }
    QVERIFY2(pages >= 3, qPrintable(pdfinfo.output));
    // In the order it was drawn: a tab would make columns of the lines.
    const Ran pdftotext = run(QStringLiteral("pdftotext"),
                              {QStringLiteral("-raw"), QStringLiteral("-f"), QStringLiteral("2"), pdf, QStringLiteral("-")});
    QVERIFY2(pdftotext.exitCode == 0, qPrintable(pdftotext.output));
    const QString heading = "Ada Lovelace\nVisit of " + QDate::currentDate().toString(Qt::ISODate) +
                            QStringLiteral(" \u2014 Mia Chen, MSc, RD\n");
    QVERIFY2(pdftotext.output.startsWith(heading), qPrintable(pdftotext.output.left(200)));
    // Read back, the blanks between words are where the glyphs lie (the
    // spooler's rewriting spaces out right-to-left letters) and right-to-left
    // lines come between direction marks: every character else, in order.
    // The toolkit's PDF writer maps glyphs back to characters of the basic
    // plane only: the emoji is drawn, but not in the text layer.
    static const QRegularExpression layout(QStringLiteral("[\\s\u202A-\u202E]"));
    static const QRegularExpression beyondBasicPlane(QStringLiteral("[\\x{10000}-\\x{10FFFF}]"));
    const QString read = pdftotext.output.mid(heading.size()).remove(layout);
    const QString typed = QString(note).remove(layout).remove(beyondBasicPlane);
    const auto differs = std::ranges::mismatch(read, typed).in1 - read.begin();
    QVERIFY2(read == typed, qPrintable(QStringLiteral("from %1: %2\ntyped: %3")
                                           .arg(differs)
                                           .arg(read.mid(differs - 20, 60), typed.mid(differs - 20, 60))));
}

// The heading, the client's name, every display field's value exactly as
// the window shows it, and the date and time of printing.
void TestPrint::verifyText(const QString &pdf, const QDateTime &clicked, const QString &made)
{
    const Ran pdftotext = run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QVERIFY2(pdftotext.exitCode == 0, qPrintable(pdftotext.output));
    const QString &text = pdftotext.output;

    QVERIFY2(text.contains(QStringLiteral("Energy Assessment")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Ada Lovelace")));
    // Whole words, and a text of several ("Normal weight") as a run of them.
    const QString words = u' ' + text.split(QRegularExpression(QStringLiteral("\\s+"))).join(u' ') + u' ';
    for (std::string_view field : outputNames) {
        const QString name = QString::fromLatin1(field.data(), qsizetype(field.size()));
        const QString value = fieldText(*form_, name);
        QVERIFY2(words.contains(u' ' + value + u' '),
                 qPrintable(QStringLiteral("%1 = %2 not printed").arg(name, value)));
    }
    QVERIFY(words.contains(QStringLiteral(" BMI class ")));

    const QRegularExpression dateLine(made + QStringLiteral(" on (\\d{4}-\\d{2}-\\d{2} at \\d{2}:\\d{2})"));
    const QRegularExpressionMatch date = dateLine.match(text);
    QVERIFY2(date.hasMatch(), "no date line");
    const QDateTime printedAt =
        QDateTime::fromString(date.captured(1), QStringLiteral("yyyy-MM-dd 'at' HH:mm"));
    const QDateTime minuteClicked(clicked.date(),
                                  QTime(clicked.time().hour(), clicked.time().minute()));
    QVERIFY2(printedAt >= minuteClicked && printedAt <= QDateTime::currentDateTime(),
             qPrintable(date.captured(0)));
}

// The picture of the window: one image, in the form's proportions (no menu
// bar above it), at least 300 dots per inch, nearly as wide as the page and not wider.
void TestPrint::verifyPicture(const QString &pdf, const QString &pageSize)
{
    const Ran pdfinfo = run(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpressionMatch page =
        QRegularExpression(QStringLiteral("Page size: +([\\d.]+) x ([\\d.]+) pts (.*)"))
            .match(pdfinfo.output);
    QVERIFY2(page.hasMatch(), qPrintable(pdfinfo.output));
    QCOMPARE(page.captured(3).trimmed(), pageSize);
    const double pageInches = page.captured(1).toDouble() / 72;

    const Ran pdfimages = run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    QVERIFY2(pdfimages.exitCode == 0, qPrintable(pdfimages.output));
    const QStringList imageRows = pdfimages.output.split(u'\n', Qt::SkipEmptyParts).mid(2);
    QCOMPARE(imageRows.size(), 1);
    const QString &image = imageRows.first();
    // page num type width height color comp bpc enc interp object ID x-ppi y-ppi ...
    const QStringList columns = image.simplified().split(u' ');
    QVERIFY(columns.size() >= 14);
    const double width = columns.at(3).toDouble();
    const double height = columns.at(4).toDouble();
    const int xPpi = columns.at(12).toInt();
    QVERIFY2(xPpi >= 300 && columns.at(13).toInt() >= 300, qPrintable(image));
    const double windowAspect = double(form_->width()) / form_->height();
    QVERIFY2(qAbs(width / height - windowAspect) < 0.01, qPrintable(image));
    const double imageInches = width / xPpi;
    QVERIFY2(imageInches <= pageInches && imageInches >= 0.85 * pageInches, qPrintable(image));
}

// The printer of builds without CUPS, on this spooler: it sees no failure, so
// only the page that comes out is checked.
void TestPrint::toolkitsPrinterPrintsTheWindow()
{
    showForm(std::make_unique<PlannerForm>(print::qtPrinter()));
    const QStringList before = pdfsWritten();
    const QDateTime clicked = QDateTime::currentDateTime();
    MessageWatcher watcher;

    clickPrint();

    QVERIFY2(watcher.seen().isEmpty(), qPrintable(watcher.seen().value(0).text));
    QString pdf;
    waitForNewPdf(before, pdf);
    if (!QTest::currentTestFailed())
        verifyText(pdf, clicked);
}

void TestPrint::failureIsToldOnceAndChangesNothing_data()
{
    QTest::addColumn<QStringList>("breakSpooler");
    QTest::addColumn<bool>("spoolerStaysUp");

    const QString queue = QStringLiteral("PDF");
    QTest::newRow("default queue stopped") << QStringList{"cupsdisable", queue} << true;
    QTest::newRow("default queue rejecting jobs") << QStringList{"cupsreject", queue} << true;
    QTest::newRow("no default printer, queue present") << fixture("no-default") << true;
    QTest::newRow("no printer at all") << fixture("no-printer") << true;
    QTest::newRow("spooler not running") << fixture("stop-daemon") << false;
    QTest::newRow("job refused on creation") << fixture("refuse-jobs") << true;
    QTest::newRow("document refused after the job was created")
        << fixture("refuse-documents") << true;
}

void TestPrint::failureIsToldOnceAndChangesNothing()
{
#ifndef NUTROVO_WITH_CUPS
    QSKIP("the toolkit's printer does not learn what the spooler answered");
#endif
    QFETCH(QStringList, breakSpooler);
    QFETCH(bool, spoolerStaysUp);
    QVERIFY(runCommand(breakSpooler));
    const QMap<QString, QString> shown = snapshot(*form_);
    const QStringList before = pdfsWritten();
    MessageWatcher watcher;

    clickPrint();

    QCOMPARE(watcher.seen().size(), 1);
    const MessageWatcher::Seen &message = watcher.seen().first();
    QCOMPARE(message.text, QStringLiteral("The form can't be printed."));
    QCOMPARE(message.title, QStringLiteral("Nutrovo - Meal Planner"));
    QCOMPARE(message.icon, QMessageBox::NoIcon);
    QCOMPARE(message.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(message.buttonCount, 1);
    QCOMPARE(snapshot(*form_), shown);
    // Nothing left behind to come out later, when the queue is mended.
    if (spoolerStaysUp)
        QCOMPARE(unfinishedJobs().trimmed(), QString());
    QCOMPARE(pdfsWritten(), before);
}

void TestPrint::saveFailureIsToldOnceAndChangesNothing_data()
{
    QTest::addColumn<QString>("target"); // <tmp> is a fresh folder holding note.txt and gone/
    QTest::addColumn<bool>("removeFolder");

    QTest::newRow("folder removed after it was picked") << "<tmp>/gone/sheet.pdf" << true;
    QTest::newRow("parent is a regular file") << "<tmp>/note.txt/sheet.pdf" << false;
    // A file name that long the dialog itself refuses; a folder's it lets through.
    QTest::newRow("folder name longer than the file system allows")
        << "<tmp>/" + QString(256, u'a') + "/sheet.pdf" << false;
}

// Root writes into read-only folders, so every case here fails for root too.
// (A read-only file system such as /proc is no case: the dialog, listing it,
// blocks reading a file there before the user can type a name.)
void TestPrint::saveFailureIsToldOnceAndChangesNothing()
{
    QFETCH(QString, target);
    QFETCH(bool, removeFolder);
    const QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("gone")));
    QFile note(folder.filePath(QStringLiteral("note.txt")));
    QVERIFY(note.open(QIODevice::WriteOnly));
    note.close();
    target.replace(QStringLiteral("<tmp>"), folder.path());
    const QMap<QString, QString> shown = snapshot(*form_);

    QFileDialog *dialog = askToSave();
    QVERIFY(dialog);
    // As a user would: in a folder that exists, type the rest.
    if (target.startsWith(folder.path()))
        dialog->setDirectory(folder.path());
    dialog->selectFile(target);
    if (removeFolder)
        QVERIFY(QDir(folder.filePath(QStringLiteral("gone"))).removeRecursively());
    const QStringList before = QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden);
    {
        MessageWatcher watcher;
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides its override
        QTest::qWait(200);
        QCOMPARE(watcher.seen().size(), 1);
        const MessageWatcher::Seen &message = watcher.seen().first();
        QVERIFY2(message.text.startsWith("The sheet can't be saved as " + target + ": "),
                 qPrintable(message.text));
        QCOMPARE(message.title, QStringLiteral("Nutrovo - Meal Planner"));
        QCOMPARE(message.buttonCount, 1);
    }
    QVERIFY(!QFileInfo::exists(target));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    QCOMPARE(snapshot(*form_), shown);

    // A second attempt, somewhere writable, works.
    dialog = askToSave();
    QVERIFY(dialog);
    const QString good = folder.filePath(QStringLiteral("sheet.pdf"));
    dialog->selectFile(good);
    MessageWatcher watcher;
    static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides its override
    QVERIFY2(watcher.seen().isEmpty(), qPrintable(watcher.seen().value(0).text));
    const Ran pdftotext = run(QStringLiteral("pdftotext"), {good, QStringLiteral("-")});
    QVERIFY2(pdftotext.output.contains(QStringLiteral("Ada Lovelace")), qPrintable(pdftotext.output));
}

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
