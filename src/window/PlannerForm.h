// The consultation window: owns the consultation's inputs and every control,
// runs start-up, the input handlers, the recalculation, and the two commands;
// keeps the visit's note and the dietitian named in the header.
#pragma once

#include "consult/ConsultState.h"
#include "consult/Outputs.h"
#include "consult/PickerTable.h"
#include "print/NotePages.h"
#include "visits/Visit.h"
#include "visits/VisitNote.h"
#include "window/Practitioner.h"

#include <QPointer>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

class QButtonGroup;
class QLineEdit;

namespace nutrovo {

namespace print {
class Printer;
}
namespace ui {
class VisitNoteDialog;
}

class PlannerForm : public QWidget, public print::NoteSource {
    Q_OBJECT
public:
    // Prints on the platform's printer.
    explicit PlannerForm(QWidget *parent = nullptr);
    // Prints on `printer`; with none, every print fails.
    explicit PlannerForm(std::unique_ptr<print::Printer> printer, QWidget *parent = nullptr);
    ~PlannerForm() override;

    const ConsultState &state() const { return state_; }

    // Rewrites every output field from the consultation's inputs.
    void Recalculate();

    // Before the note on the screen is replaced (Reset Form, Open Visit, New
    // Visit): true when nothing typed since the last save would be lost, or
    // the dietitian agreed to lose it.
    bool mayReplaceNote();
    // Before the window closes: with a note typed since the last save, offers
    // to save the visit, discard the note, or stay open.
    bool mayClose();

    print::NotePage notePage() const override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    struct ServingsArray {
        QButtonGroup *group = nullptr;
        std::int16_t ConsultState::*count = nullptr;
    };

    void createControls();
    void connectHandlers();
    void Form_Load();
    void recalculateChanged();

    // Input handlers: read the selection, store it, echo it, recalculate.
    void sex_Click(int index);
    void servings_Click(const ServingsArray &array, int index);
    void picker_Click(const PickerEntry &picker, std::int16_t row);
    void ResetCmd_Click();
    void printbutton_Click();

    // The register's view of the consultation: what the window shows, and
    // a saved visit picked again through the handlers after a reset.
    visits::Visit shownVisit() const;
    void pickVisit(const visits::Visit &visit);
    QLineEdit *clientNameField() const;

    void showNoteDialog();
    void replaceNote(const std::string &text);
    void showPractitioner(const ui::Practitioner &practitioner);

    // Start-up and reset: store and echo the record defaults, then select the
    // default button and rows, each selection running its handler.
    void storeDefaultsAndSelect();
    void echoMeasurements();
    void selectStartRow(std::size_t picker);
    void pickSexButton(int index);
    void clearServingsButtons();

    ConsultState state_;
    std::unique_ptr<print::Printer> printer_;
    std::optional<ConsultState> shown_; // the inputs the fields were last written from
    bool loading_ = false; // the start-up selections' handlers leave the recalculation to the end
    visits::VisitNote note_;
    QPointer<ui::VisitNoteDialog> noteDialog_;
    QString openedVisitDate_; // yyyy-MM-dd of the visit opened from the register; empty: today's
    ui::Practitioner practitioner_;
    struct Controls;
    std::unique_ptr<Controls> ui_;
};

} // namespace nutrovo
