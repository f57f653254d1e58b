// Start-up harness: shows one window, prints on standard output the monotonic
// times (ns) at which main() was entered, the application object was made,
// the window was made, and its first frame had been painted and handed to the
// platform, and its peak resident memory (KiB) by then, then quits. Built
// three times from this file: showing the planner (under its menu bar, as
// main() shows it), an empty window of the same size and title, and that
// window with one line of text in each of the planner's font families, so
// that they differ only in what the window holds.
#include "Clock.h"
#include "window/WindowLayout.h"

#ifdef NUTROVO_BENCH_FORM
#include "window/ApplicationFonts.h"
#include "window/MainWindow.h"
#include "window/ProgramStyle.h"
#endif
#ifdef NUTROVO_BENCH_FONTS
#include "window/ApplicationFonts.h"
#include "window/Fonts.h"

#include <QLabel>
#endif

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

namespace {

using nutrovo::bench::monotonicNanoseconds;

// The process's own high-water mark. Its ru_maxrss, as the parent reads it,
// would count the parent's memory from before the exec.
long peakResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string field;
    long kib = 0;
    while (status >> field)
        if (field == "VmHWM:" && status >> kib)
            return kib;
    return 0;
}

// Qt paints a window's widgets and flushes the result to the platform inside
// one outer event (an expose or an update request), or inside show() itself.
// The first frame is complete when the outermost call in which the first
// paint happened has returned.
class FirstFrameApplication : public QApplication {
public:
    FirstFrameApplication(int &argc, char **argv, long long mainEnteredNs)
        : QApplication(argc, argv), mainEnteredNs_(mainEnteredNs), madeNs_(monotonicNanoseconds())
    {
    }

    void windowMade() { windowMadeNs_ = monotonicNanoseconds(); }

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted_ = true;
        ++depth_;
        const bool handled = QApplication::notify(receiver, event);
        --depth_;
        if (depth_ == 0)
            reportIfPainted();
        return handled;
    }

    void reportIfPainted()
    {
        if (!painted_ || reported_)
            return;
        reported_ = true;
        const long long frameNs = monotonicNanoseconds();
        std::printf("%lld %lld %lld %lld %ld\n", mainEnteredNs_, madeNs_, windowMadeNs_, frameNs,
                    peakResidentKiB());
        std::fflush(stdout);
        QMetaObject::invokeMethod(this, &QCoreApplication::quit, Qt::QueuedConnection);
    }

private:
    long long mainEnteredNs_;
    long long madeNs_;
    long long windowMadeNs_ = 0;
    int depth_ = 0;
    bool painted_ = false;
    bool reported_ = false;
};

std::unique_ptr<QWidget> createWindow()
{
#ifdef NUTROVO_BENCH_FORM
    return std::make_unique<nutrovo::MainWindow>();
#else
    namespace layout = nutrovo::layout;
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle(
        QString::fromLatin1(layout::windowTitle.data(), qsizetype(layout::windowTitle.size())));
    window->resize(layout::clientWidthTwips / layout::twipsPerPixel,
                   layout::clientHeightTwips / layout::twipsPerPixel);
#ifdef NUTROVO_BENCH_FONTS
    int top = 0;
    for (const layout::Family family :
         {layout::Family::Sans, layout::Family::Serif, layout::Family::Comic}) {
        auto *line = new QLabel(QStringLiteral("Energy Assessment and meal pattern 2868 kcal"),
                                window.get());
        line->setFont(nutrovo::ui::layoutFont({.family = family}));
        line->adjustSize();
        line->move(8, top);
        top += 40;
    }
#endif
    return window;
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    const long long mainEnteredNs = monotonicNanoseconds();
#if defined(NUTROVO_BENCH_FORM) || defined(NUTROVO_BENCH_FONTS)
    // The windows that show text make their fonts ready as the program does.
    nutrovo::ui::ApplicationFonts fonts;
    FirstFrameApplication app(argc, argv, mainEnteredNs);
#ifdef NUTROVO_BENCH_FORM
    nutrovo::ui::useProgramStyle(); // as main() does
#endif
    fonts.apply();
#else
    FirstFrameApplication app(argc, argv, mainEnteredNs);
#endif
    const std::unique_ptr<QWidget> window = createWindow();
    app.windowMade();
    window->show();
    app.reportIfPainted();
    return QApplication::exec();
}
