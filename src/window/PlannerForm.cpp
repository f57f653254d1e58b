#include "window/PlannerForm.h"

#include "consult/Display.h"
#include "consult/Recalculate.h"
#include "numeric/Checked.h"
#include "pickers/Pickers.h"
#include "print/Printer.h"
#include "window/Accessibility.h"
#include "window/FaultGuard.h"
#include "window/FieldWriter.h"
#include "window/HelpPanels.h"
#include "window/PictureBox.h"
#include "window/ProgramCommands.h"
#include "window/PreferencesDialog.h"
#include "window/QtText.h"
#include "window/RegisterAccess.h"
#include "window/SheetCommands.h"
#include "window/VisitNoteDialog.h"
#include "window/WindowAtRest.h"
#include "window/WindowBuilder.h"
#include "window/WindowCommand.h"
#include "window/WindowLayout.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScopedValueRollback>

// The pictures live in the static library; their registration must be
// pulled in explicitly. Outside any namespace, as Qt requires.
static void registerPictures() { Q_INIT_RESOURCE(pictures); }

namespace nutrovo {

namespace {

// Bitmaps drawn from the vector icon at build time.
QIcon renderedIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addPixmap(ui::pngPicture(QStringLiteral(":/nutrovo/nutrovo-%1.png").arg(size)));
    return icon;
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

// The answer to a question about a note typed since it was last saved.
int askAboutNote(QWidget *over, const QString &question, QMessageBox::StandardButtons answers,
                 QMessageBox::StandardButton preferred)
{
    QMessageBox box(QMessageBox::Question, over->windowTitle(),
                    QStringLiteral("The note of this visit has changed since it was last saved. ") + question,
                    answers, over);
    box.setDefaultButton(preferred);
    return box.exec();
}

} // namespace

struct PlannerForm::Controls {
    ui::BuiltWindow built;
    ui::FieldWriter fields;
    std::array<QComboBox *, pickerCount> pickers{}; // in pickerTable's order
    std::array<ServingsArray, 6> servings{};
    QButtonGroup *sex = nullptr;
    std::unique_ptr<ui::HelpPanels> help;
};

PlannerForm::PlannerForm(QWidget *parent) : PlannerForm(print::platformPrinter(), parent) {}

PlannerForm::PlannerForm(std::unique_ptr<print::Printer> printer, QWidget *parent)
    : QWidget(parent), printer_(std::move(printer)), ui_(std::make_unique<Controls>())
{
    registerPictures();
    // First, so that the controls built next stay the window's last children.
    ui::addSheetCommands(*this, {[this] { printbutton_Click(); }, [this] {
                             return printer_ ? printer_->paperMillimetres() : QSizeF();
                         }});
    ui::addRegisterCommands(*this, {[this] { return shownVisit(); },
                                    [this](const visits::Visit &visit) { pickVisit(visit); },
                                    [this] { clientNameField()->setFocus(Qt::OtherFocusReason); },
                                    [this] { return mayReplaceNote(); },
                                    [this](const visits::Visit &saved) { note_.markSaved(saved.note); }});
    // The button's own click, so that its handler runs as for a click.
    ui::addMenuCommand(*this, "resetAction", QStringLiteral("Reset Form"), QKeySequence(), [this] {
        qobject_cast<QAbstractButton *>(ui_->built.controls.value(QStringLiteral("ResetCmd")))->click();
    });
    ui::addProgramCommands(*this);
    ui::addCommandSeparator(*this);
    ui::addWindowCommand(*this, "visitNoteAction", QStringLiteral("Visit Note…"),
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N), [this] { showNoteDialog(); });
    ui::addWindowCommand(*this, "preferencesAction", QStringLiteral("Preferences…"),
                         QKeySequence(Qt::CTRL | Qt::Key_Comma), [this] {
                             ui::askForPreferences(*this, [this](const ui::Practitioner &kept) {
                                 showPractitioner(kept);
                             });
                         });
    createControls();
    connectHandlers();
    // Unnamed, the header keeps its designed captions untouched.
    if (const ui::Practitioner named = ui::readPractitioner(); named.named())
        showPractitioner(named);
    ui::runGuarded([this] { Form_Load(); });
}

PlannerForm::~PlannerForm() = default;

void PlannerForm::createControls()
{
    setWindowTitle(ui::windowTitle());
    setWindowIcon(renderedIcon());
    ui::cacheStyleBitmaps();
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
        ui_->fields.bind(static_cast<Output>(i),
                         qobject_cast<QLineEdit *>(controls.value(ui::qs(outputNames[i]))));
    }

    for (std::size_t i = 0; i < pickerCount; ++i) {
        ui_->pickers.at(i) = qobject_cast<QComboBox *>(controls.value(ui::qs(pickerTable.at(i).objectName)));
        fillRows(*ui_->pickers.at(i), pickerTable.at(i).picker);
    }

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
    for (std::size_t i = 0; i < pickerCount; ++i) {
        connect(ui_->pickers.at(i), &QComboBox::currentIndexChanged, this, [this, i](int row) {
            if (row < 0)
                return; // no row picked: nothing to store
            ui::runGuarded([&] { picker_Click(pickerTable.at(i), toInt16(row)); });
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
    shown_ = state_;
}

// The parts whose inputs changed since the fields were written, and those
// with a field someone else has written since.
void PlannerForm::recalculateChanged()
{
    if (loading_)
        return;
    const Sections changed = shown_ ? sectionsReading(*shown_, state_) : allSections;
    Display display(ui_->fields);
    recalculate(state_, changed | ui_->fields.overwritten(), display);
    shown_ = state_;
}

// Nothing shows before the window does: one recalculation after all the
// start-up selections writes what six, one per selection, would have.
void PlannerForm::Form_Load()
{
    {
        const QScopedValueRollback<bool> loading(loading_, true); // also if a handler throws
        storeDefaultsAndSelect();
    }
    recalculateChanged();
}

void PlannerForm::storeDefaultsAndSelect()
{
    state_ = ConsultState{};
    echoMeasurements();
    pickSexButton(state_.sexIndex);
    for (std::size_t i = 0; i < pickerCount; ++i)
        selectStartRow(i);
}

void PlannerForm::echoMeasurements()
{
    Display display(ui_->fields);
    display.number(Output::showHeight, state_.heightCm);
    display.integer(Output::showWeight, state_.weightKg);
    display.integer(Output::showAge, state_.ageYears);
    display.number(Output::showactivity, state_.activity);
}

void PlannerForm::selectStartRow(std::size_t picker)
{
    QComboBox *combo = ui_->pickers.at(picker);
    const int row = pickerTable.at(picker).startRow;
    // Selecting the row a list already shows raises no change in the toolkit,
    // but the handler must run all the same, or reset would leave the record
    // defaults in place of the picked row's value.
    if (combo->currentIndex() == row)
        picker_Click(pickerTable.at(picker), toInt16(row));
    else
        combo->setCurrentIndex(row);
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
    recalculateChanged();
}

void PlannerForm::servings_Click(const ServingsArray &array, int index)
{
    state_.*array.count = toInt16(index);
    recalculateChanged();
}

// The handler of every list (milkCombo_Click, ageCombo_Click and the rest).
void PlannerForm::picker_Click(const PickerEntry &picker, std::int16_t row)
{
    Display display(ui_->fields);
    picker.pick(state_, row, display);
    recalculateChanged();
}

void PlannerForm::ResetCmd_Click()
{
    if (!mayReplaceNote())
        return;
    clearServingsButtons();
    storeDefaultsAndSelect();
    recalculateChanged();
    replaceNote({});
    openedVisitDate_.clear();
}

bool PlannerForm::mayReplaceNote()
{
    return !note_.unsaved() ||
           askAboutNote(this, QStringLiteral("Replace it, and lose what was typed?"),
                        QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

bool PlannerForm::mayClose()
{
    if (!note_.unsaved())
        return true;
    switch (askAboutNote(this, QStringLiteral("Save the visit before closing?"),
                         QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save)) {
    case QMessageBox::Discard:
        return true;
    case QMessageBox::Save:
        // Saving tells its own failure; the window stays open unless the note is in the register now.
        findChild<QAction *>(QStringLiteral("saveVisitAction"))->trigger();
        return !note_.unsaved();
    default:
        return false;
    }
}

void PlannerForm::closeEvent(QCloseEvent *event)
{
    if (!mayClose()) {
        event->ignore();
        return;
    }
    if (noteDialog_)
        noteDialog_->close(); // it belongs to this window, and goes with it
    event->accept();
}

void PlannerForm::showNoteDialog()
{
    if (!noteDialog_) {
        noteDialog_ = new ui::VisitNoteDialog(*this, note_);
        noteDialog_->placeBesideWindow();
    }
    noteDialog_->show();
    noteDialog_->raise();
    noteDialog_->activateWindow();
}

void PlannerForm::replaceNote(const std::string &text)
{
    note_.replace(text);
    if (noteDialog_)
        noteDialog_->showNote();
}

void PlannerForm::showPractitioner(const ui::Practitioner &practitioner)
{
    practitioner_ = practitioner;
    const auto label = [this](const char *name) {
        return qobject_cast<QLabel *>(ui_->built.controls.value(QLatin1String(name)));
    };
    ui::showPractitioner(*label("Label4"), *label("Label5"), practitioner);
}

print::NotePage PlannerForm::notePage() const
{
    return {clientNameField()->text().trimmed(),
            openedVisitDate_.isEmpty() ? QDate::currentDate().toString(Qt::ISODate) : openedVisitDate_,
            practitioner_.named() ? practitioner_.shown() : QString(), QString::fromStdString(note_.text())};
}

QLineEdit *PlannerForm::clientNameField() const
{
    return qobject_cast<QLineEdit *>(ui_->built.controls.value(QStringLiteral("Text2")));
}

visits::Visit PlannerForm::shownVisit() const
{
    visits::Visit visit;
    visit.clientName = clientNameField()->text().toStdString();
    for (std::size_t i = 0; i < pickerCount; ++i)
        visit.picks.rows.at(i) = ui_->pickers.at(i)->currentIndex();
    visit.picks.sex = ui_->sex->checkedId();
    for (std::size_t group = 0; group < visits::servingsGroupCount; ++group)
        visit.picks.servings.at(group) = ui_->servings.at(group).group->checkedId(); // -1: none
    for (std::size_t i = 0; i < outputCount; ++i)
        visit.texts.at(i) = qobject_cast<QLineEdit *>(ui_->built.controls.value(ui::qs(outputNames.at(i))))
                                ->text()
                                .toStdString();
    visit.note = note_.text();
    if (practitioner_.named())
        visit.dietitianName = practitioner_.shown().toStdString();
    return visit;
}

// As the dietitian would: Reset, then each pick, every handler running; the
// figures are written once, at the end, as at start-up.
void PlannerForm::pickVisit(const visits::Visit &visit)
{
    const visits::Picks &picks = visit.picks;
    ui::runGuarded([&] {
        {
            const QScopedValueRollback<bool> loading(loading_, true);
            clearServingsButtons();
            storeDefaultsAndSelect();
            if (QAbstractButton *sex = ui_->sex->button(picks.sex))
                sex->click();
            for (std::size_t i = 0; i < pickerCount; ++i)
                ui_->pickers.at(i)->setCurrentIndex(picks.rows.at(i));
            for (std::size_t group = 0; group < visits::servingsGroupCount; ++group) {
                QButtonGroup &buttons = *ui_->servings.at(group).group;
                if (QAbstractButton *button = buttons.button(picks.servings.at(group)))
                    button->click();
                ui::keepOneTabStop(buttons);
            }
        }
        recalculateChanged();
    });
    clientNameField()->setText(QString::fromStdString(visit.clientName));
    replaceNote(visit.note);
    openedVisitDate_ = QString::fromStdString(visit.savedAt.substr(0, 10));
}

// One failed print, one message; the window stays exactly as it was.
void PlannerForm::printbutton_Click()
{
    bool printed = false;
    if (printer_) {
        // The page shows the window at rest; it is back as it was before any message.
        const ui::WindowAtRest atRest(*this);
        printed = printer_->print(*this).printed();
    }
    if (!printed)
        ui::tellPrintFailed(this);
}

} // namespace nutrovo
