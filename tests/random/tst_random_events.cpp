// Random sequences of user events on the real window. After every event each
// output field must show what the calculation core gives for the inputs the
// window shows, the right formula panel (or none) must be visible, and the
// client's name must be what was typed into it.
//
// The run is seeded; the seed is printed first and replays the same sequence:
//   NUTROVO_SEED=<seed> [NUTROVO_EVENTS=<count>] tst_random_events
// (or --seed <seed> --events <count> on the command line).

// Mouse events go through the window system interface, as a user's do: the
// widget under the pointer gets the press, the release follows the press, and
// two quick presses make a double-click.
#define QTEST_QPA_MOUSE_HANDLING

#include "MessageWatcher.h"
#include "WindowOracle.h"
#include "window/WindowLayout.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyleHints>
#include <QThread>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>
#include <deque>
#include <memory>
#include <optional>
#include <random>

using namespace nutrovo;
using namespace nutrovo::test;

namespace {

#ifdef __SANITIZE_ADDRESS__
// Every event runs several times slower under the sanitizers; the plain
// build's run of the same suite makes the hundred thousand.
constexpr int defaultEventCount = 20'000;
#else
constexpr int defaultEventCount = 100'000;
#endif
constexpr std::size_t trailLength = 16;
// Painting costs more than everything else an event does, and the look is
// checked by the screenshot tests; the window is painted every so many
// events so that drawing still meets the states the run reaches.
constexpr int paintEvery = 500;
// Longer names are replaced rather than extended: every key press lays out
// the whole text again, and a name is a few dozen characters.
constexpr qsizetype longestName = 40;

QtMessageHandler testLogHandler = nullptr;

// The offscreen platform says, every time a list opens, that it cannot raise
// a window or grab the keyboard; a hundred thousand events would drown the
// log in it. Everything else goes to the test log.
void dropPlatformNotices(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(u"This plugin does not support"))
        return;
    testLogHandler(type, context, message);
}

std::optional<quint64> seedOption;
std::optional<int> eventCountOption;

quint64 chosenSeed()
{
    if (seedOption)
        return *seedOption;
    if (const QByteArray text = qgetenv("NUTROVO_SEED"); !text.isEmpty())
        return text.toULongLong();
    std::random_device device;
    return (quint64(device()) << 32) | device();
}

int chosenEventCount()
{
    if (eventCountOption)
        return *eventCountOption;
    if (const QByteArray text = qgetenv("NUTROVO_EVENTS"); !text.isEmpty())
        return text.toInt();
    return defaultEventCount;
}

// Whether the event must have run a handler and so rewritten every output.
enum class Recalc {
    No,    // nothing was picked
    Yes,   // a pick or a command
    Maybe, // a key whose effect depends on the toolkit's focus rules
};

struct Outcome {
    QString what;
    Recalc recalc = Recalc::No;
    bool reset = false;
    QStringList problems = {}; // seen while the event ran
};

// Characters a dietitian might type: digits, Latin with accents, Greek,
// Hebrew, Arabic (right to left), CJK, punctuation. One UTF-16 unit each.
const QString typedAlphabet =
    QStringLiteral(u"0123456789 abcxyzABCXYZ.,-'/éüñçøÅßΩλשלוםمرحبا中文한");

QString describe(const QWidget *widget)
{
    return widget ? widget->objectName() : QStringLiteral("nothing");
}

QString buttonName(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return QStringLiteral("left");
    case Qt::RightButton:
        return QStringLiteral("right");
    default:
        return QStringLiteral("middle");
    }
}

} // namespace

class TestRandomEvents : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { qInstallMessageHandler(testLogHandler); }
    void init();
    void cleanup();

    void eventsKeepTheWindowRight();
    void checkerNoticesAWrongWindow_data();
    void checkerNoticesAWrongWindow();

private:
    using Event = Outcome (TestRandomEvents::*)();
    struct WeightedEvent {
        int weight;
        Event event;
        const char *kind;
        bool picks; // a run of this kind must change the inputs now and then
    };
    struct KindCount {
        int events = 0;
        int changedInputs = 0;
    };

    // Randomness
    int uniform(int low, int high)
    {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }
    bool chance(double p) { return std::bernoulli_distribution(p)(random_); }
    template <typename T> T pickOne(const QList<T> &items)
    {
        return items.at(uniform(0, int(items.size()) - 1));
    }
    QString randomText(int shortest, int longest);
    QPoint pointInside(const QWidget *widget);
    Qt::MouseButton randomMouseButton();

    // Events
    Outcome nextEvent();
    Outcome pickWithKeys();
    Outcome pickFromOpenListWithKeys();
    Outcome pickWithMouse();
    Outcome pickWithWheel();
    Outcome clickOption();
    Outcome otherButtonOnOption();
    Outcome keyOnOption();
    Outcome resetForm();
    Outcome pressHelp();
    Outcome releaseHelp();
    Outcome doubleClickHelp();
    Outcome pressPlainLabel();
    Outcome typeIntoDisplayField();
    Outcome typeIntoClientName();
    Outcome moveFocusWithTab();
    Outcome printWithFailingPrinter();

    // Checks
    QStringList problemsAfter(const Outcome &outcome, const WindowInputs &before);
    QStringList fieldProblems(const Outcome &outcome, const WindowInputs &before,
                              const WindowInputs &now);
    bool recalculatedBy(const Outcome &outcome, const WindowInputs &before,
                        const WindowInputs &now) const;
    bool echoRewritten(Output echo, const Outcome &outcome) const;
    QStringList panelAndNameProblems() const;
    void giveActivationBack();
    void countEvent(const WindowInputs &before);
    void verifyEveryKindDidItsPart();
    void paintOnce();
    QString failureReport(int event, const QStringList &problems) const;
    void typeInList(const QString &text);

    QComboBox *randomPicker();
    QAbstractButton *randomOption();
    QWidget *panelOf(QWidget *trigger) const { return panelOfTrigger_.value(trigger); }

    quint64 seed_ = chosenSeed();
    int eventCount_ = chosenEventCount();
    std::mt19937_64 random_{seed_};
    std::unique_ptr<PlannerForm> form_;
    std::unique_ptr<WindowOracle> oracle_;
    QList<WeightedEvent> events_;
    int totalWeight_ = 0;
    const WeightedEvent *lastKind_ = nullptr;
    QHash<const char *, KindCount> counts_;

    QList<QAbstractButton *> options_;
    QList<QWidget *> triggers_;
    QHash<QWidget *, QWidget *> panelOfTrigger_;
    QList<QWidget *> panels_;
    QList<QLabel *> plainLabels_;
    QLineEdit *clientName_ = nullptr;
    QAbstractButton *resetButton_ = nullptr;
    QAbstractButton *printButton_ = nullptr;
    WindowInputs startInputs_;

    // What the window must show besides the calculated fields.
    std::array<std::optional<QString>, outputCount> typed_{};
    QString expectedName_;
    QWidget *heldTrigger_ = nullptr;
    Qt::MouseButton heldButton_ = Qt::NoButton;
    std::deque<QString> trail_;
    QElapsedTimer sinceListKey_;
    // Pickers whose row changed at some moment of the current event, even if
    // it changed back: their handler ran.
    std::array<bool, pickerCount> rowChangedDuring_{};
};

void TestRandomEvents::initTestCase()
{
    qInfo("seed %llu, %d events; replay with NUTROVO_SEED=%llu NUTROVO_EVENTS=%d", seed_,
          eventCount_, seed_, eventCount_);
    // A key typed in a list continues the search only within the same
    // millisecond; typeInList() keeps the keys further apart than that, so
    // every key starts a new search and the row it reaches never depends on
    // how fast the machine is.
    QApplication::setKeyboardInputInterval(0);
    testLogHandler = qInstallMessageHandler(dropPlatformNotices);
    events_ = {
        {14, &TestRandomEvents::pickWithKeys, "key in a closed list", true},
        {2, &TestRandomEvents::pickFromOpenListWithKeys, "keys in an open list", true},
        {3, &TestRandomEvents::pickWithMouse, "mouse pick from an open list", true},
        {5, &TestRandomEvents::pickWithWheel, "wheel on a list", true},
        {22, &TestRandomEvents::clickOption, "click on an option button", true},
        {3, &TestRandomEvents::otherButtonOnOption, "other button on an option button", false},
        {8, &TestRandomEvents::keyOnOption, "key on an option button", true},
        {2, &TestRandomEvents::resetForm, "reset", true},
        {8, &TestRandomEvents::pressHelp, "press on a help trigger", false},
        {2, &TestRandomEvents::doubleClickHelp, "double-click on a help trigger", false},
        {3, &TestRandomEvents::pressPlainLabel, "click on a plain label", false},
        {12, &TestRandomEvents::typeIntoDisplayField, "typing into a display field", false},
        {8, &TestRandomEvents::typeIntoClientName, "typing into the client's name", false},
        {4, &TestRandomEvents::moveFocusWithTab, "tab", false},
        {1, &TestRandomEvents::printWithFailingPrinter, "print with a failing printer", false},
    };
    totalWeight_ = 0;
    for (const WeightedEvent &e : events_)
        totalWeight_ += e.weight;
}

void TestRandomEvents::init()
{
    random_.seed(seed_);
    form_ = testWindow();
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    oracle_ = std::make_unique<WindowOracle>(*form_);

    options_.clear();
    for (QAbstractButton *button : form_->findChildren<QAbstractButton *>())
        if (button->objectName().startsWith(u"Option") || button->objectName().startsWith(u"sex("))
            options_.append(button);
    triggers_.clear();
    panels_.clear();
    panelOfTrigger_.clear();
    for (const layout::HelpTrigger &t : layout::helpTriggers()) {
        QWidget *trigger = control(*form_, qs(t.trigger));
        QWidget *panel = control(*form_, qs(t.panel));
        triggers_.append(trigger);
        panelOfTrigger_.insert(trigger, panel);
        if (!panels_.contains(panel))
            panels_.append(panel);
    }
    // Labels whose middle a user can reach: not a trigger, not hidden in a
    // panel, not under another control.
    plainLabels_.clear();
    for (QLabel *label : form_->findChildren<QLabel *>())
        if (!triggers_.contains(label) && label->isVisibleTo(form_.get()) &&
            form_->childAt(label->mapTo(form_.get(), label->rect().center())) == label)
            plainLabels_.append(label);
    clientName_ = control<QLineEdit>(*form_, "Text2");
    resetButton_ = control<QAbstractButton>(*form_, "ResetCmd");
    printButton_ = control<QAbstractButton>(*form_, "printbutton");
    startInputs_ = oracle_->read();
    for (std::size_t slot = 0; slot < pickerCount; ++slot)
        connect(oracle_->picker(slot), &QComboBox::currentIndexChanged, this,
                [this, slot] { rowChangedDuring_[slot] = true; });
    sinceListKey_.start();
    form_->setUpdatesEnabled(false); // see paintEvery

    typed_ = {};
    expectedName_.clear();
    heldTrigger_ = nullptr;
    trail_.clear();
    counts_.clear();
}

void TestRandomEvents::cleanup()
{
    oracle_.reset();
    form_.reset();
}

void TestRandomEvents::eventsKeepTheWindowRight()
{
    QVERIFY2(problemsAfter({QStringLiteral("start-up"), Recalc::Yes}, oracle_->read()).isEmpty(),
             "the window is wrong right after start-up");
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < eventCount_; ++i) {
        const WindowInputs before = oracle_->read();
        rowChangedDuring_ = {};
        lastKind_ = nullptr;
        const Outcome outcome = heldTrigger_ ? releaseHelp() : nextEvent();
        // A right-click outside the text fields opens the window's command menu: closed as a user would.
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            menu != nullptr && menu->actions() == form_->actions())
            QTest::keyClick(menu, Qt::Key_Escape);
        countEvent(before);
        trail_.push_back(outcome.what);
        if (trail_.size() > trailLength)
            trail_.pop_front();
        const QStringList problems = problemsAfter(outcome, before);
        if (!problems.isEmpty())
            QFAIL(qPrintable(failureReport(i, problems)));
        // The toolkit's own timers and posted events run between the user's events.
        QCoreApplication::processEvents();
        giveActivationBack();
        if (i % paintEvery == 0)
            paintOnce();
    }
    qInfo("%d events in %.1f s", eventCount_, double(clock.elapsed()) / 1000.0);
    verifyEveryKindDidItsPart();
}

void TestRandomEvents::countEvent(const WindowInputs &before)
{
    if (!lastKind_)
        return;
    KindCount &count = counts_[lastKind_->kind];
    ++count.events;
    if (oracle_->read() != before)
        ++count.changedInputs;
}

// A kind of pick that never changed an input in a long run is not reaching
// the window: the run would pass while testing less than it claims.
void TestRandomEvents::verifyEveryKindDidItsPart()
{
    for (const WeightedEvent &e : std::as_const(events_)) {
        const KindCount count = counts_.value(e.kind);
        qInfo("%6d x %s, %d of them changed the inputs", count.events, e.kind, count.changedInputs);
        if (e.picks && count.events >= 50)
            QVERIFY2(count.changedInputs > 0, e.kind);
    }
}

Outcome TestRandomEvents::nextEvent()
{
    int ticket = uniform(0, totalWeight_ - 1);
    for (const WeightedEvent &e : std::as_const(events_)) {
        if (ticket < e.weight) {
            lastKind_ = &e;
            return (this->*e.event)();
        }
        ticket -= e.weight;
    }
    Q_UNREACHABLE();
}

// ---- Randomness -------------------------------------------------------------

QString TestRandomEvents::randomText(int shortest, int longest)
{
    QString text;
    const int length = uniform(shortest, longest);
    for (int i = 0; i < length; ++i)
        text += typedAlphabet.at(uniform(0, int(typedAlphabet.size()) - 1));
    return text;
}

QPoint TestRandomEvents::pointInside(const QWidget *widget)
{
    return {uniform(1, std::max(1, widget->width() - 2)),
            uniform(1, std::max(1, widget->height() - 2))};
}

Qt::MouseButton TestRandomEvents::randomMouseButton()
{
    static const QList<Qt::MouseButton> buttons = {Qt::LeftButton, Qt::RightButton,
                                                   Qt::MiddleButton};
    return pickOne(buttons);
}

QComboBox *TestRandomEvents::randomPicker()
{
    return oracle_->picker(std::size_t(uniform(0, int(pickerCount) - 1)));
}

QAbstractButton *TestRandomEvents::randomOption()
{
    return pickOne(options_);
}

// ---- Picks --------------------------------------------------------------------

Outcome TestRandomEvents::pickWithKeys()
{
    QComboBox *box = randomPicker();
    box->setFocus(Qt::TabFocusReason);
    static const QList<Qt::Key> keys = {Qt::Key_Up,       Qt::Key_Down, Qt::Key_PageUp,
                                        Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
    if (chance(0.6)) {
        const Qt::Key key = pickOne(keys);
        QTest::keyClick(QApplication::focusWidget(), key);
        return {
            QStringLiteral("key %1 in %2").arg(QKeySequence(key).toString(), box->objectName())};
    }
    // Each typed key jumps to the next row that starts with it (see
    // initTestCase). A blank would open the list instead, so typing stops
    // before one.
    const QString row = box->itemText(uniform(0, box->count() - 1)).section(u' ', 0, 0);
    const QString typed = row.left(uniform(1, 2));
    typeInList(typed);
    return {QStringLiteral("type \"%1\" in %2").arg(typed, box->objectName())};
}

Outcome TestRandomEvents::pickFromOpenListWithKeys()
{
    QComboBox *box = randomPicker();
    box->setFocus(Qt::TabFocusReason);
    if (chance(0.5))
        QTest::keyClick(box, Qt::Key_Down, Qt::AltModifier);
    else
        QTest::keyClick(box, Qt::Key_F4);
    if (!QApplication::activePopupWidget())
        return {QStringLiteral("open %1 with keys").arg(box->objectName()),
                Recalc::No,
                false,
                {QStringLiteral("the keys did not open the list of %1").arg(box->objectName())}};
    static const QList<Qt::Key> moves = {Qt::Key_Up,       Qt::Key_Down, Qt::Key_PageUp,
                                         Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
    const int count = uniform(0, 4);
    for (int i = 0; i < count; ++i)
        QTest::keyClick(box->view(), pickOne(moves));
    const bool accept = chance(0.8);
    QTest::keyClick(box->view(),
                    accept ? (chance(0.5) ? Qt::Key_Return : Qt::Key_Enter) : Qt::Key_Escape);
    return {QStringLiteral("%1 in the open list of %2 after %3 moves")
                .arg(accept ? "enter" : "escape", box->objectName())
                .arg(count)};
}

Outcome TestRandomEvents::pickWithMouse()
{
    QComboBox *box = randomPicker();
    QTest::mouseClick(box, Qt::LeftButton, {}, pointInside(box));
    if (!QApplication::activePopupWidget())
        return {QStringLiteral("click on %1").arg(box->objectName()),
                Recalc::No,
                false,
                {QStringLiteral("a click did not open the list of %1").arg(box->objectName())}};
    QAbstractItemView *view = box->view();
    QWidget *viewport = view->viewport();
    QList<int> visibleRows;
    for (int row = 0; row < box->count(); ++row)
        if (viewport->rect().contains(view->visualRect(view->model()->index(row, 0)).center()))
            visibleRows.append(row);
    const int row = visibleRows.isEmpty() ? -1 : pickOne(visibleRows);
    if (row < 0) {
        QTest::keyClick(view, Qt::Key_Escape);
        return {QStringLiteral("click on %1").arg(box->objectName()),
                Recalc::No,
                false,
                {QStringLiteral("the open list of %1 shows no row").arg(box->objectName())}};
    }
    const QPoint target = view->visualRect(view->model()->index(row, 0)).center();
    // The pointer travels to the row before the click, as a hand does.
    QTest::mouseMove(viewport, QPoint(viewport->width() - 2, viewport->height() - 2));
    QTest::mouseMove(viewport, target);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, target);
    return {QStringLiteral("mouse pick of row %1 in %2").arg(row).arg(box->objectName())};
}

Outcome TestRandomEvents::pickWithWheel()
{
    QComboBox *box = randomPicker();
    const QPoint at = pointInside(box);
    const int delta = chance(0.5) ? 120 : -120;
    QWheelEvent wheel(at, box->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(box, &wheel);
    return {QStringLiteral("wheel %1 on %2").arg(delta).arg(box->objectName())};
}

Outcome TestRandomEvents::clickOption()
{
    QAbstractButton *button = randomOption();
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    Outcome outcome{QStringLiteral("click %1").arg(button->objectName()), Recalc::Yes};
    if (!button->isChecked())
        outcome.problems
            << QStringLiteral("a click on %1 did not pick it").arg(button->objectName());
    return outcome;
}

Outcome TestRandomEvents::otherButtonOnOption()
{
    QAbstractButton *button = randomOption();
    const Qt::MouseButton mouse = chance(0.5) ? Qt::RightButton : Qt::MiddleButton;
    QTest::mouseClick(button, mouse, {}, button->rect().center());
    return {QStringLiteral("%1 click %2").arg(buttonName(mouse), button->objectName())};
}

Outcome TestRandomEvents::keyOnOption()
{
    QAbstractButton *button = randomOption();
    button->setFocus(Qt::TabFocusReason);
    if (chance(0.5)) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        return {QStringLiteral("space on %1").arg(button->objectName()), Recalc::Yes};
    }
    static const QList<Qt::Key> arrows = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down};
    const Qt::Key key = pickOne(arrows);
    QTest::keyClick(QApplication::focusWidget(), key);
    return {QStringLiteral("key %1 on %2").arg(QKeySequence(key).toString(), button->objectName()),
            Recalc::Maybe};
}

Outcome TestRandomEvents::resetForm()
{
    if (chance(0.5)) {
        QTest::mouseClick(resetButton_, Qt::LeftButton, {}, pointInside(resetButton_));
        return {QStringLiteral("click ResetCmd"), Recalc::Yes, true};
    }
    resetButton_->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    return {QStringLiteral("space on ResetCmd"), Recalc::Yes, true};
}

// ---- Help panels ----------------------------------------------------------------

Outcome TestRandomEvents::pressHelp()
{
    QWidget *trigger = pickOne(triggers_);
    heldButton_ = randomMouseButton();
    heldTrigger_ = trigger;
    const Qt::KeyboardModifiers modifiers = chance(0.2) ? Qt::ShiftModifier : Qt::NoModifier;
    QTest::mousePress(trigger, heldButton_, modifiers, trigger->rect().center());
    return {QStringLiteral("%1 press on %2").arg(buttonName(heldButton_), trigger->objectName())};
}

// The release goes where the press went, even when the pointer has moved off.
Outcome TestRandomEvents::releaseHelp()
{
    QWidget *trigger = std::exchange(heldTrigger_, nullptr);
    const bool inside = chance(0.6);
    const QPoint at = inside
                          ? trigger->rect().center()
                          : trigger->rect().center() + QPoint(uniform(30, 200), uniform(-40, 40));
    QTest::mouseRelease(trigger, heldButton_, {}, at);
    return {QStringLiteral("%1 release %2 %3")
                .arg(buttonName(heldButton_), inside ? "on" : "off", trigger->objectName())};
}

Outcome TestRandomEvents::doubleClickHelp()
{
    QWidget *trigger = pickOne(triggers_);
    const Qt::MouseButton button = randomMouseButton();
    QTest::mouseDClick(trigger, button, {}, trigger->rect().center());
    return {QStringLiteral("%1 double-click %2").arg(buttonName(button), trigger->objectName())};
}

Outcome TestRandomEvents::pressPlainLabel()
{
    QLabel *label = pickOne(plainLabels_);
    const Qt::MouseButton button = randomMouseButton();
    const QPoint at = label->rect().center();
    QTest::mousePress(label, button, {}, at);
    Outcome outcome{QStringLiteral("%1 click on %2").arg(buttonName(button), label->objectName())};
    for (QWidget *panel : std::as_const(panels_))
        if (panel->isVisibleTo(form_.get()))
            outcome.problems << QStringLiteral("holding %1 shows %2")
                                    .arg(label->objectName(), panel->objectName());
    QTest::mouseRelease(label, button, {}, at);
    return outcome;
}

// ---- Typing -----------------------------------------------------------------------

Outcome TestRandomEvents::typeIntoDisplayField()
{
    const std::size_t index = std::size_t(uniform(0, int(outputCount) - 1));
    QLineEdit *field = oracle_->field(index);
    const QString before = field->text();
    QTest::mouseClick(field, Qt::LeftButton, {}, pointInside(field));
    Outcome outcome{QStringLiteral("type \"%1\" into %2"), Recalc::No};
    if (QApplication::focusWidget() != field)
        outcome.problems << QStringLiteral("a click on %1 gave the focus to %2")
                                .arg(field->objectName(), describe(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    const QString typed = randomText(1, 4);
    typeText(QApplication::focusWidget(), typed);
    typed_[index] = before + typed;
    outcome.what = outcome.what.arg(typed, field->objectName());
    return outcome;
}

Outcome TestRandomEvents::typeIntoClientName()
{
    QTest::mouseClick(clientName_, Qt::LeftButton, {}, pointInside(clientName_));
    QWidget *focus = QApplication::focusWidget();
    Outcome outcome;
    if (focus != clientName_)
        outcome.problems
            << QStringLiteral("a click on Text2 gave the focus to %1").arg(describe(focus));
    if (expectedName_.size() > longestName || chance(0.1)) {
        QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
        const QString typed = randomText(1, 12);
        typeText(focus, typed);
        expectedName_ = typed;
        outcome.what = QStringLiteral("select all and type \"%1\" into Text2").arg(typed);
        return outcome;
    }
    QTest::keyClick(focus, Qt::Key_End);
    if (!expectedName_.isEmpty() && chance(0.25)) {
        const int count = uniform(1, int(std::min<qsizetype>(3, expectedName_.size())));
        for (int i = 0; i < count; ++i)
            QTest::keyClick(focus, Qt::Key_Backspace);
        expectedName_.chop(count);
        outcome.what = QStringLiteral("%1 backspaces in Text2").arg(count);
        return outcome;
    }
    const QString typed = randomText(1, 6);
    typeText(focus, typed);
    expectedName_ += typed;
    outcome.what = QStringLiteral("type \"%1\" into Text2").arg(typed);
    return outcome;
}

Outcome TestRandomEvents::moveFocusWithTab()
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        focus = form_.get();
    const bool back = chance(0.5);
    QTest::keyClick(focus, back ? Qt::Key_Backtab : Qt::Key_Tab,
                    back ? Qt::ShiftModifier : Qt::NoModifier);
    return {QStringLiteral("%1 from %2").arg(back ? "shift+tab" : "tab", describe(focus))};
}

// Every print fails (the window's printer is a failing fake): one message,
// closed as a user would, and not a figure, a pick, a panel or the name changed.
Outcome TestRandomEvents::printWithFailingPrinter()
{
    const auto before = snapshot(*form_);
    const bool mouse = chance(0.5);
    QStringList messages;
    {
        const MessageWatcher watcher(0);
        if (mouse) {
            QTest::mouseClick(printButton_, Qt::LeftButton, {}, pointInside(printButton_));
        } else {
            printButton_->setFocus(Qt::TabFocusReason);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        }
        messages = watcher.texts();
    }
    Outcome outcome{QStringLiteral("%1 on printbutton").arg(mouse ? "click" : "space")};
    if (messages != QStringList{QStringLiteral("The form can't be printed.")})
        outcome.problems << QStringLiteral("a failed print showed [%1]").arg(messages.join(" | "));
    const auto after = snapshot(*form_);
    for (auto it = before.begin(); it != before.end(); ++it)
        if (after.value(it.key()) != it.value())
            outcome.problems << QStringLiteral("a failed print changed %1 from \"%2\" to \"%3\"")
                                    .arg(it.key(), it.value().left(80),
                                         after.value(it.key()).left(80));
    return outcome;
}

// ---- Checks -----------------------------------------------------------------------

QStringList TestRandomEvents::problemsAfter(const Outcome &outcome, const WindowInputs &before)
{
    const WindowInputs now = oracle_->read();
    QStringList problems = outcome.problems;
    problems += fieldProblems(outcome, before, now);
    problems += panelAndNameProblems();
    if (!(form_->state() == WindowOracle::stateOf(now)))
        problems << QStringLiteral(
            "the consultation record disagrees with the picked rows and buttons");
    if (outcome.reset && now != startInputs_)
        problems << QStringLiteral(
            "reset did not return the pickers and buttons to their start-up picks");
    if (QWidget *popup = QApplication::activePopupWidget())
        problems << QStringLiteral("a list is still open (%1)").arg(describe(popup));
    return problems;
}

// Whether the event ran a handler: an input changed, even if only for a
// moment, or the event was a click or a reset. For a key whose effect the
// toolkit's focus rules decide, a typed-over field that now shows something
// else tells.
bool TestRandomEvents::recalculatedBy(const Outcome &outcome, const WindowInputs &before,
                                      const WindowInputs &now) const
{
    const bool rowChanged = std::find(rowChangedDuring_.begin(), rowChangedDuring_.end(), true) !=
                            rowChangedDuring_.end();
    if (now != before || rowChanged || outcome.reset || outcome.recalc == Recalc::Yes)
        return true;
    if (outcome.recalc == Recalc::No)
        return false;
    for (std::size_t i = 0; i < outputCount; ++i) {
        const std::optional<QString> &typed = typed_[i];
        if (typed && !isEchoField(Output(i)) && oracle_->field(i)->text() != *typed)
            return true;
    }
    return false;
}

bool TestRandomEvents::echoRewritten(Output echo, const Outcome &outcome) const
{
    for (std::size_t slot = 0; slot < pickerCount; ++slot)
        if (pickerTable.at(slot).echo == echo && rowChangedDuring_[slot])
            return true;
    return outcome.reset;
}

// A recalculation rewrites every calculated field, also one the user typed
// into; an echo field is rewritten only by its own picker and by reset.
QStringList TestRandomEvents::fieldProblems(const Outcome &outcome, const WindowInputs &before,
                                            const WindowInputs &now)
{
    const auto &expected = oracle_->expected(now);
    const bool recalculated = recalculatedBy(outcome, before, now);
    QStringList problems;
    for (std::size_t i = 0; i < outputCount; ++i) {
        std::optional<QString> &typed = typed_[i];
        const bool rewritten =
            isEchoField(Output(i)) ? echoRewritten(Output(i), outcome) : recalculated;
        if (rewritten)
            typed.reset();
        const QString &want = typed ? *typed : expected[i];
        const QString shown = oracle_->field(i)->text();
        if (shown != want)
            problems << WindowOracle::mismatch(i, shown, want);
    }
    return problems;
}

void TestRandomEvents::paintOnce()
{
    form_->setUpdatesEnabled(true);
    form_->update();
    QCoreApplication::processEvents();
    form_->setUpdatesEnabled(false);
}

// The offscreen platform has no window manager to hand the activation back to
// the window when a list closes; this does what one would.
void TestRandomEvents::giveActivationBack()
{
    if (form_->isActiveWindow())
        return;
    form_->activateWindow();
    QCoreApplication::processEvents();
}

QStringList TestRandomEvents::panelAndNameProblems() const
{
    QStringList problems;
    QWidget *expectedPanel = heldTrigger_ ? panelOf(heldTrigger_) : nullptr;
    for (QWidget *panel : panels_)
        if (panel->isVisibleTo(form_.get()) != (panel == expectedPanel))
            problems << QStringLiteral("%1 is %2")
                            .arg(panel->objectName(),
                                 panel->isVisibleTo(form_.get()) ? "shown" : "hidden");
    if (clientName_->text() != expectedName_)
        problems << QStringLiteral("Text2 shows \"%1\", typed \"%2\"")
                        .arg(clientName_->text(), expectedName_);
    return problems;
}

void TestRandomEvents::typeInList(const QString &text)
{
    constexpr qint64 keyGapNs = 1'100'000; // see initTestCase
    for (QChar c : text) {
        const qint64 wait = keyGapNs - sinceListKey_.nsecsElapsed();
        if (wait > 0)
            QThread::usleep(static_cast<unsigned long>(wait / 1000 + 1));
        typeText(QApplication::focusWidget(), QString(c));
        sinceListKey_.restart();
    }
}

QString TestRandomEvents::failureReport(int event, const QStringList &problems) const
{
    QString report =
        QStringLiteral("after event %1 of seed %2 (replay: NUTROVO_SEED=%2 NUTROVO_EVENTS=%3):\n  ")
            .arg(event + 1)
            .arg(seed_)
            .arg(event + 1);
    report += problems.join(QStringLiteral("\n  "));
    report += QStringLiteral("\nlast events, the failing one last:\n  ");
    report += QStringList(trail_.begin(), trail_.end()).join(QStringLiteral("\n  "));
    return report;
}

// ---- The checks catch a wrong window -------------------------------------------------

void TestRandomEvents::checkerNoticesAWrongWindow_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reported");
    QTest::newRow("field left with a stale figure") << "stale field"
                                                    << "hbrdacal shows";
    QTest::newRow("row changed without its handler") << "silent row"
                                                     << "shows";
    QTest::newRow("panel shown without a press") << "stray panel"
                                                 << "owenFrame is shown";
    QTest::newRow("client name changed by the program") << "name changed"
                                                        << "Text2 shows";
}

// Each fault is made behind the window's back, not by a user event; the
// checks that the random run relies on must report it.
void TestRandomEvents::checkerNoticesAWrongWindow()
{
    QFETCH(QString, fault);
    QFETCH(QString, reported);
    const WindowInputs before = oracle_->read();
    if (fault == "stale field") {
        control<QLineEdit>(*form_, "hbrdacal")->setText(QStringLiteral("1"));
    } else if (fault == "silent row") {
        auto *age = control<QComboBox>(*form_, "ageCombo");
        const QSignalBlocker blocker(age);
        age->setCurrentIndex(age->currentIndex() + 7);
    } else if (fault == "stray panel") {
        control(*form_, "owenFrame")->show();
    } else if (fault == "name changed") {
        clientName_->setText(QStringLiteral("someone else"));
    }
    const QStringList problems = problemsAfter({fault, Recalc::No}, before);
    QVERIFY2(problems.join(u'\n').contains(reported), qPrintable(problems.join(u'\n')));
}

// QtTest owns the command line; --seed and --events are taken off it first.
int main(int argc, char *argv[])
{
    std::vector<char *> rest;
    for (int i = 0; i < argc; ++i) {
        const QByteArray arg = argv[i];
        if ((arg == "--seed" || arg == "--events") && i + 1 < argc) {
            const QByteArray value = argv[++i];
            if (arg == "--seed")
                seedOption = value.toULongLong();
            else
                eventCountOption = value.toInt();
            continue;
        }
        rest.push_back(argv[i]);
    }
    int restCount = int(rest.size());
    rest.push_back(nullptr);
    QApplication app(restCount, rest.data());
    QTEST_SET_MAIN_SOURCE_PATH
    TestRandomEvents test;
    return QTest::qExec(&test, restCount, rest.data());
}

#include "tst_random_events.moc"
