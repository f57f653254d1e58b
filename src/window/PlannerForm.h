// The consultation window: owns the consultation's inputs and every control,
// runs start-up, the input handlers, the recalculation, and the two commands.
#pragma once

#include "consult/ConsultState.h"
#include "consult/Outputs.h"
#include "consult/PickerTable.h"
#include "visits/Visit.h"

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

class PlannerForm : public QWidget {
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
    void pickVisit(const QString &clientName, const visits::Picks &picks);
    QLineEdit *clientNameField() const;

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
    struct Controls;
    std::unique_ptr<Controls> ui_;
};

} // namespace nutrovo
