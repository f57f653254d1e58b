#include "PickCost.h"

#include "Clock.h"
#include "consult/Outputs.h"
#include "window/PlannerForm.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QWindow>
#include <array>
#include <random>

namespace nutrovo::bench {

namespace {

constexpr int groupCount = 6;
constexpr int buttonsPerGroup = 16;
// Picks between two samples of a recalculation that changes nothing.
constexpr int picksPerUnchangedSample = 10;

template <typename T> T *child(const QWidget &window, const QString &name)
{
    auto *found = window.findChild<T *>(name);
    if (found == nullptr)
        qFatal("no control named %s", qPrintable(name));
    return found;
}

QString nameOf(std::string_view name)
{
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

// The real window and the controls a user picks with.
struct Window {
    PlannerForm form;
    std::vector<QLineEdit *> fields;
    std::vector<QComboBox *> pickers;
    std::array<std::array<QAbstractButton *, buttonsPerGroup>, groupCount> servings{};
    std::array<QAbstractButton *, 2> sex{};

    Window()
    {
        for (std::string_view name : outputNames)
            fields.push_back(child<QLineEdit>(form, nameOf(name)));
        for (const char *name : {"ageCombo", "htCombo", "wtCombo", "activityCombo", "milkCombo"})
            pickers.push_back(child<QComboBox>(form, QLatin1String(name)));
        for (int g = 0; g < groupCount; ++g)
            for (int i = 0; i < buttonsPerGroup; ++i)
                servings[g][i] =
                    child<QRadioButton>(form, QStringLiteral("Option%1(%2)").arg(g + 1).arg(i));
        sex = {child<QRadioButton>(form, QStringLiteral("sex(0)")),
               child<QRadioButton>(form, QStringLiteral("sex(1)"))};
    }

    std::vector<QString> texts() const
    {
        std::vector<QString> shown;
        shown.reserve(fields.size());
        for (const QLineEdit *field : fields)
            shown.push_back(field->text());
        return shown;
    }

    std::vector<std::size_t> changedSince(const std::vector<QString> &before) const
    {
        std::vector<std::size_t> changed;
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (fields[i]->text() != before[i])
                changed.push_back(i);
        return changed;
    }
};

void showAndWaitForExposure(QWidget &window)
{
    window.show();
    QElapsedTimer waited;
    waited.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) &&
           waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    QApplication::processEvents();
}

// One pick: a different row in a picker, or a button that is not the picked one.
struct Pick {
    QComboBox *picker = nullptr;
    int row = -1;
    QAbstractButton *button = nullptr;

    void run() const
    {
        if (picker != nullptr)
            picker->setCurrentIndex(row);
        else
            button->click();
    }
};

int differentFrom(int current, int count, std::mt19937 &random)
{
    // A value in [0, count) other than current: draw from count - 1 and skip it.
    const int drawn = std::uniform_int_distribution<int>(0, count - 2)(random);
    return drawn >= current && current >= 0 ? drawn + 1 : drawn;
}

int checkedIndex(const std::array<QAbstractButton *, buttonsPerGroup> &group)
{
    for (int i = 0; i < buttonsPerGroup; ++i)
        if (group[i]->isChecked())
            return i;
    return -1;
}

Pick choosePick(const Window &w, std::mt19937 &random)
{
    const int lists = static_cast<int>(w.pickers.size());
    const int control = std::uniform_int_distribution<int>(0, lists + groupCount)(random);
    if (control < lists) {
        QComboBox *picker = w.pickers[static_cast<std::size_t>(control)];
        return {picker, differentFrom(picker->currentIndex(), picker->count(), random), nullptr};
    }
    if (control == lists)
        return {nullptr, -1, w.sex[w.sex[0]->isChecked() ? 1 : 0]};
    const auto &group = w.servings[static_cast<std::size_t>(control - lists - 1)];
    return {nullptr, -1,
            group[static_cast<std::size_t>(
                differentFrom(checkedIndex(group), buttonsPerGroup, random))]};
}

double microsSince(long long startNs)
{
    return static_cast<double>(monotonicNanoseconds() - startNs) / 1e3;
}

// The toolkit's floor for a pick that took the changed fields from `before`
// to `after`: the fields put back, the window repainted as after the pick,
// and the same texts set again with nothing but setText.
double setTextFloor(Window &w, const std::vector<std::size_t> &changed,
                    const std::vector<QString> &before, const std::vector<QString> &after)
{
    for (std::size_t i : changed)
        w.fields[i]->setText(before[i]);
    QApplication::processEvents();
    const long long start = monotonicNanoseconds();
    for (std::size_t i : changed)
        w.fields[i]->setText(after[i]);
    const double micros = microsSince(start);
    QApplication::processEvents();
    return micros;
}

void measureUnchangedRecalculate(Window &w, std::vector<double> &micros)
{
    const long long start = monotonicNanoseconds();
    w.form.Recalculate();
    micros.push_back(microsSince(start));
}

} // namespace

PickCost measurePickCost(int picks, unsigned seed)
{
    Window w;
    showAndWaitForExposure(w.form);
    std::mt19937 random(seed);
    PickCost cost;
    for (int i = 0; i < picks; ++i) {
        if (i % picksPerUnchangedSample == 0)
            measureUnchangedRecalculate(w, cost.unchangedRecalculateMicros);
        const Pick pick = choosePick(w, random);
        const std::vector<QString> before = w.texts();
        const long long start = monotonicNanoseconds();
        pick.run();
        cost.pickMicros.push_back(microsSince(start));
        const std::vector<std::size_t> changed = w.changedSince(before);
        // Painting happens after the handler, as between a user's picks.
        QApplication::processEvents();
        const double floor = setTextFloor(w, changed, before, w.texts());
        cost.floorMicros.push_back(floor);
        cost.changedFields.push_back(static_cast<double>(changed.size()));
        if (!changed.empty())
            cost.setTextMicros.push_back(floor / static_cast<double>(changed.size()));
    }
    return cost;
}

} // namespace nutrovo::bench
