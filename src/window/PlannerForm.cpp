#include "window/PlannerForm.h"

#include "window/Accessibility.h"
#include "consult/Display.h"
#include "window/FaultGuard.h"
#include "window/FieldWriter.h"
#include "print/FormPrinter.h"
#include "window/HelpPanels.h"
#include "window/SheetCommands.h"
#include "consult/Recalculate.h"
#include "window/WindowBuilder.h"
#include "window/WindowLayout.h"
#include "numeric/Checked.h"
#include "pickers/Pickers.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QIcon>
#include <QLineEdit>

// The pictures live in the static library; their registration must be
// pulled in explicitly. Outside any namespace, as Qt requires.
static void registerPictures() { Q_INIT_RESOURCE(nutrovo); }

namespace nutrovo {

namespace {

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void fillRows(QComboBox &combo, pickers::Picker picker)
{
    QStringList rows;
    for (int row = 0; row < pickers::rowCount(picker); ++row)
        rows.append(QString::fromStdString(pickers::rowText(picker, row)));
    combo.addItems(rows);
    combo.setMaxVisibleItems(12);
    // The lists start with no row picked, so start-up's selections are changes.
    combo.setCurrentIndex(-1);
}

} // namespace

struct PlannerForm::Controls {
    ui::BuiltWindow built;
    ui::FieldWriter fields;
    std::array<Picker, 5> pickers{};
    std::array<ServingsArray, 6> servings{};
    QButtonGroup *sex = nullptr;
    std::unique_ptr<ui::HelpPanels> help;

    Picker &picker(PickerId id) { return pickers.at(static_cast<std::size_t>(id)); }
};

PlannerForm::PlannerForm(QWidget *parent) : QWidget(parent), ui_(std::make_unique<Controls>())
{
    registerPictures();
    // First, so that the controls built next stay the window's last children.
    ui::addSheetCommands(*this, [this] { printbutton_Click(); });
    createControls();
    connectHandlers();
    ui::runGuarded([this] { Form_Load(); });
}

PlannerForm::~PlannerForm() = default;

void PlannerForm::createControls()
{
    setWindowTitle(qs(layout::windowTitle));
    setWindowIcon(QIcon(QStringLiteral(":/nutrovo/nutrovo.svg")));
    QPalette surface = palette();
    surface.setColor(QPalette::Window, Qt::white);
    setPalette(surface);
    setAutoFillBackground(true);
    resize(layout::clientWidthTwips / layout::twipsPerPixel,
           layout::clientHeightTwips / layout::twipsPerPixel);

    ui_->built = ui::buildWindow(*this);
    ui::describeForAssistiveTechnology(ui_->built);
    const auto &controls = ui_->built.controls;
    for (std::size_t i = 0; i < outputCount; ++i) {
        auto *field = qobject_cast<QLineEdit *>(controls.value(qs(outputNames[i])));
        Q_ASSERT(field);
        ui_->fields.bind(static_cast<Output>(i), field);
    }

    const auto combo = [&](const char *name) {
        return qobject_cast<QComboBox *>(controls.value(QLatin1String(name)));
    };
    ui_->picker(PickerId::Milk) = {combo("milkCombo"), &PlannerForm::milkCombo_Click};
    ui_->picker(PickerId::Age) = {combo("ageCombo"), &PlannerForm::ageCombo_Click};
    ui_->picker(PickerId::Height) = {combo("htCombo"), &PlannerForm::htCombo_Click};
    ui_->picker(PickerId::Weight) = {combo("wtCombo"), &PlannerForm::wtCombo_Click};
    ui_->picker(PickerId::Activity) = {combo("activityCombo"), &PlannerForm::activityCombo_Click};
    fillRows(*ui_->picker(PickerId::Milk).combo, pickers::Picker::Milk);
    fillRows(*ui_->picker(PickerId::Age).combo, pickers::Picker::Age);
    fillRows(*ui_->picker(PickerId::Height).combo, pickers::Picker::Height);
    fillRows(*ui_->picker(PickerId::Weight).combo, pickers::Picker::Weight);
    fillRows(*ui_->picker(PickerId::Activity).combo, pickers::Picker::Activity);

    const auto &groups = ui_->built.groups;
    ui_->sex = groups.value(QStringLiteral("sex"));
    ui_->servings = {{
        {groups.value(QStringLiteral("Option1")), &ConsultState::starchServ},
        {groups.value(QStringLiteral("Option2")), &ConsultState::protServ},
        {groups.value(QStringLiteral("Option3")), &ConsultState::milkServ},
        {groups.value(QStringLiteral("Option4")), &ConsultState::vegServ},
        {groups.value(QStringLiteral("Option5")), &ConsultState::fatServ},
        {groups.value(QStringLiteral("Option6")), &ConsultState::sugarServ},
    }};

    ui_->help = std::make_unique<ui::HelpPanels>(controls);
}

void PlannerForm::connectHandlers()
{
    connect(ui_->sex, &QButtonGroup::idClicked, this,
            [this](int index) { ui::runGuarded([&] { sex_Click(index); }); });
    for (const ServingsArray &array : ui_->servings) {
        connect(array.group, &QButtonGroup::idClicked, this,
                [this, &array](int index) { ui::runGuarded([&] { servings_Click(array, index); }); });
    }
    // currentIndexChanged, not activated: a row picked in code runs the
    // handler exactly as a pick with the mouse or keyboard does.
    for (const Picker &picker : ui_->pickers) {
        connect(picker.combo, &QComboBox::currentIndexChanged, this, [this, picker](int row) {
            if (row < 0)
                return; // no row picked: nothing to store
            ui::runGuarded([&] { (this->*picker.handler)(toInt16(row)); });
        });
    }
    const auto *reset = qobject_cast<QAbstractButton *>(
        ui_->built.controls.value(QStringLiteral("ResetCmd")));
    connect(reset, &QAbstractButton::clicked, this,
            [this] { ui::runGuarded([this] { ResetCmd_Click(); }); });
    // Not guarded: printing traps its own failures and never ends the program.
    const auto *printButton = qobject_cast<QAbstractButton *>(
        ui_->built.controls.value(QStringLiteral("printbutton")));
    connect(printButton, &QAbstractButton::clicked, this, [this] { printbutton_Click(); });
}

void PlannerForm::Recalculate()
{
    Display display(ui_->fields);
    recalculate(state_, display);
}

void PlannerForm::Form_Load()
{
    storeDefaultsAndSelect();
    Recalculate();
}

void PlannerForm::storeDefaultsAndSelect()
{
    state_ = ConsultState{};
    echoMeasurements();
    pickSexButton(state_.sexIndex);
    selectRow(PickerId::Milk, state_.milkType);
    selectRow(PickerId::Age, 30);
    selectRow(PickerId::Height, 10);
    selectRow(PickerId::Weight, 30);
    selectRow(PickerId::Activity, 1);
}

void PlannerForm::echoMeasurements()
{
    Display display(ui_->fields);
    display.number(Output::showHeight, state_.heightCm);
    display.integer(Output::showWeight, state_.weightKg);
    display.integer(Output::showAge, state_.ageYears);
    display.number(Output::showactivity, state_.activity);
}

void PlannerForm::selectRow(PickerId id, int row)
{
    const Picker &picker = ui_->picker(id);
    // Selecting the row a list already shows raises no change in the toolkit,
    // but the handler must run all the same, or reset would leave the record
    // defaults in place of the picked row's value.
    if (picker.combo->currentIndex() == row)
        (this->*picker.handler)(toInt16(row));
    else
        picker.combo->setCurrentIndex(row);
}

void PlannerForm::pickSexButton(int index)
{
    ui_->sex->button(index)->setChecked(true);
    sex_Click(index);
}

void PlannerForm::clearServingsButtons()
{
    for (const ServingsArray &array : ui_->servings) {
        if (QAbstractButton *picked = array.group->checkedButton()) {
            // An exclusive group refuses to have its checked button cleared.
            array.group->setExclusive(false);
            picked->setChecked(false);
            array.group->setExclusive(true);
        }
        ui::keepOneTabStop(*array.group);
    }
}

void PlannerForm::sex_Click(int index)
{
    state_.sexIndex = toInt16(index);
    Recalculate();
}

void PlannerForm::servings_Click(const ServingsArray &array, int index)
{
    state_.*array.count = toInt16(index);
    Recalculate();
}

void PlannerForm::milkCombo_Click(std::int16_t row)
{
    state_.milkType = pickers::milkTypeFromRow(row);
    Recalculate();
}

void PlannerForm::ageCombo_Click(std::int16_t row)
{
    state_.ageYears = pickers::ageYearsFromRow(row);
    Display(ui_->fields).integer(Output::showAge, state_.ageYears);
    Recalculate();
}

void PlannerForm::htCombo_Click(std::int16_t row)
{
    state_.heightCm = pickers::heightCmFromRow(row);
    Display(ui_->fields).number(Output::showHeight, state_.heightCm);
    Recalculate();
}

void PlannerForm::wtCombo_Click(std::int16_t row)
{
    state_.weightKg = pickers::weightKgFromRow(row);
    Display(ui_->fields).integer(Output::showWeight, state_.weightKg);
    Recalculate();
}

void PlannerForm::activityCombo_Click(std::int16_t row)
{
    state_.activity = pickers::activityFromRow(row);
    Display(ui_->fields).number(Output::showactivity, state_.activity);
    Recalculate();
}

void PlannerForm::ResetCmd_Click()
{
    clearServingsButtons();
    storeDefaultsAndSelect();
    Recalculate();
}

// One failed print, one message; the window stays exactly as it was.
void PlannerForm::printbutton_Click()
{
    if (!print::printWindow(*this).printed())
        print::tellPrintFailed(this);
}

} // namespace nutrovo
