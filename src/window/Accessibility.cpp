#include "window/Accessibility.h"

#include "consult/Outputs.h"
#include "consult/PickerTable.h"
#include "window/QtText.h"
#include "window/WindowBuilder.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QButtonGroup>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QWidget>

#include <array>
#include <span>
#include <string_view>

namespace nutrovo::ui {

namespace {

struct Spoken {
    std::string_view control; // object name
    std::string_view name;
};

// clang-format off
// Option arrays by the food group they count; each button is "<group> servings: <Index>".
constexpr std::array servingsGroups = {
    Spoken{"Option1", "Starches"},
    Spoken{"Option2", "Protein"},
    Spoken{"Option3", "Dairy"},
    Spoken{"Option4", "Fruits and vegetables"},
    Spoken{"Option5", "Fats and oils"},
    Spoken{"Option6", "Extras"},
};

constexpr std::array helpPictureNames = {
    Spoken{"hbhelp", "Harris-Benedict formula help"},
    Spoken{"owenhelp", "Owen formula help"},
    Spoken{"mifhelp", "Mifflin-St Jeor formula help"},
    Spoken{"lasthelp", "Another formula help"},
    Spoken{"whohelp", "WHO formula help"},
};

constexpr std::array otherNames = {
    Spoken{"Text2", "Client name"},
    Spoken{"printbutton", "Print Form"},
    Spoken{"ResetCmd", "Reset Form"},
    Spoken{"apple", "Apple"},
};

constexpr std::array descriptions = {
    Spoken{"Text2", "Dietary consult for"},
    Spoken{"printbutton", "Prints an image of the window on the default printer"},
    Spoken{"ResetCmd", "Returns every pick to its start-up value; the client name stays"},
};

struct LabelLink {
    std::string_view label;
    std::string_view control;
};

// Labels that name exactly one control. The row captions ("HB", "Owen's")
// name a whole row and "Sex" a pair of buttons, so they link to nothing,
// except the dairy row's: the milk list is the one control beside it. On
// Linux a list's spoken name is its picked row, and the label it is linked
// to says what the list is for.
constexpr std::array labelLinks = {
    LabelLink{"Label3", "Text2"},
    LabelLink{"Label23", "ageCombo"},
    LabelLink{"Label25", "wtCombo"},
    LabelLink{"Label28", "htCombo"},
    LabelLink{"Label30", "activityCombo"},
    LabelLink{"Label12(0)", "milkCombo"},
    LabelLink{"Label31", "bmi"},
    LabelLink{"bmiClassLabel", "bmiClass"},
    LabelLink{"Label20", "sex(0)"},
    LabelLink{"Label21", "sex(1)"},
    LabelLink{"Label24", "showWeight"},
    LabelLink{"Label26", "showHeight"},
    LabelLink{"Label29", "showactivity"},
    LabelLink{"Label40", "showAge"},
    LabelLink{"Label41", "showGender"},
};
// clang-format on

constexpr std::string_view helpPictureDescription =
    "Shows the formula while the mouse button or the Space bar is held on it";

QWidget &controlNamed(const BuiltWindow &built, std::string_view name)
{
    QWidget *widget = built.controls.value(qs(name));
    Q_ASSERT_X(widget, "describeForAssistiveTechnology", name.data());
    return *widget;
}

void nameControls(const BuiltWindow &built, std::span<const Spoken> names)
{
    for (const Spoken &spoken : names)
        controlNamed(built, spoken.control).setAccessibleName(qs(spoken.name));
}

// An option button as assistive technology sees it. The toolkit's own
// Toggle action flips the button without a click, so the window's figures
// would not follow; here both Toggle and Press pick the button as a click does.
class OptionButtonAccessible final : public QAccessibleWidget {
public:
    explicit OptionButtonAccessible(QAbstractButton *button)
        : QAccessibleWidget(button, QAccessible::RadioButton)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = button()->isChecked();
        return state;
    }

    QStringList actionNames() const override
    {
        return QStringList{toggleAction(), pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &actionName) override
    {
        if (actionName == toggleAction() || actionName == pressAction())
            button()->click();
        else
            QAccessibleWidget::doAction(actionName);
    }

private:
    QAbstractButton *button() const { return static_cast<QAbstractButton *>(widget()); }
};

// Registered before anything asks for a button's interface, so that the
// toolkit never makes one of its own for it.
void letAssistiveTechnologyClickButtons(const BuiltWindow &built)
{
    for (const QButtonGroup *group : built.groups)
        for (QAbstractButton *button : group->buttons())
            QAccessible::registerAccessibleInterface(new OptionButtonAccessible(button));
}

void nameOptionButtons(const BuiltWindow &built)
{
    for (const Spoken &group : servingsGroups) {
        const QButtonGroup *buttons = built.groups.value(qs(group.control));
        Q_ASSERT(buttons);
        for (QAbstractButton *button : buttons->buttons())
            button->setAccessibleName(QStringLiteral("%1 servings: %2")
                                          .arg(qs(group.name))
                                          .arg(buttons->id(button)));
    }
    const QButtonGroup *sex = built.groups.value(QStringLiteral("sex"));
    Q_ASSERT(sex);
    sex->button(0)->setAccessibleName(QStringLiteral("Male"));
    sex->button(1)->setAccessibleName(QStringLiteral("Female"));
}

void nameDisplayFields(const BuiltWindow &built)
{
    for (std::size_t i = 0; i < outputCount; ++i)
        controlNamed(built, outputNames.at(i)).setAccessibleName(qs(outputSpokenNames.at(i)));
}

void nameHelpPictures(const BuiltWindow &built)
{
    nameControls(built, helpPictureNames);
    for (const Spoken &spoken : helpPictureNames)
        controlNamed(built, spoken.control).setAccessibleDescription(qs(helpPictureDescription));
}

void describeControls(const BuiltWindow &built)
{
    for (const Spoken &spoken : descriptions)
        controlNamed(built, spoken.control).setAccessibleDescription(qs(spoken.name));
}

void linkLabels(const BuiltWindow &built)
{
    for (const LabelLink &link : labelLinks) {
        auto *label = qobject_cast<QLabel *>(&controlNamed(built, link.label));
        Q_ASSERT(label);
        label->setBuddy(&controlNamed(built, link.control));
    }
}

// A screen reader picks a row by selecting it in the list (AT-SPI Table or
// the row's Toggle action) without opening it. While the list is open its
// selection only follows the highlight, and Enter or a click picks; while it
// is closed nothing but assistive technology selects in it.
void pickRowsSelectedWhileClosed(QComboBox &combo)
{
    const QAbstractItemView *list = combo.view();
    QObject::connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, &combo,
                     [&combo, list](const QItemSelection &selected) {
                         if (list->isVisible() || selected.indexes().isEmpty())
                             return;
                         combo.setCurrentIndex(selected.indexes().constFirst().row());
                     });
}

// Marks the lists that pick on selection.
constexpr char picksOnSelection[] = "picksOnSelection";

// The list behind a picker is made the first time anything asks for it, and
// making all five at start costs as much as laying out a dozen labels. A
// reader reaches a list only through the list's interface, which the
// toolkit makes when first asked: the list is wired then.
QAccessibleInterface *wirePickerListOnFirstQuery(const QString &className, QObject *object)
{
    if (className != QLatin1StringView(object->metaObject()->className()))
        return nullptr; // asked again under a base class's name
    auto *list = qobject_cast<QAbstractItemView *>(object);
    QObject *popup = list != nullptr ? list->parent() : nullptr;
    auto *combo = qobject_cast<QComboBox *>(popup != nullptr ? popup->parent() : nullptr);
    if (combo != nullptr && combo->property(picksOnSelection).toBool() && combo->view() == list)
        pickRowsSelectedWhileClosed(*combo);
    return nullptr; // the toolkit's own interface serves
}

void letAssistiveTechnologyPick(const BuiltWindow &built)
{
    static const bool wiredOnQuery = [] {
        QAccessible::installFactory(wirePickerListOnFirstQuery);
        return true;
    }();
    Q_UNUSED(wiredOnQuery);
    for (const PickerEntry &picker : pickerTable) {
        auto *combo = qobject_cast<QComboBox *>(&controlNamed(built, picker.objectName));
        Q_ASSERT(combo);
        combo->setAccessibleName(qs(picker.spokenName));
        combo->setProperty(picksOnSelection, true);
    }
}

} // namespace

void describeForAssistiveTechnology(const BuiltWindow &built)
{
    letAssistiveTechnologyClickButtons(built);
    nameOptionButtons(built);
    nameDisplayFields(built);
    nameHelpPictures(built);
    nameControls(built, otherNames);
    describeControls(built);
    linkLabels(built);
    letAssistiveTechnologyPick(built);
}

} // namespace nutrovo::ui
