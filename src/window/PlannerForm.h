// The consultation window: owns the consultation's inputs and every control,
// runs start-up, the input handlers, the recalculation, and the two commands.
#pragma once

#include "consult/ConsultState.h"
#include "consult/Outputs.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

class QButtonGroup;
class QComboBox;
class QLineEdit;

namespace nutrovo {

class PlannerForm : public QWidget {
    Q_OBJECT
public:
    explicit PlannerForm(QWidget *parent = nullptr);
    ~PlannerForm() override;

    const ConsultState &state() const { return state_; }

    // Rewrites every output field from the consultation's inputs.
    void Recalculate();

private:
    enum class PickerId { Milk, Age, Height, Weight, Activity };
    struct Picker {
        QComboBox *combo = nullptr;
        void (PlannerForm::*handler)(std::int16_t row) = nullptr;
    };
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
    void milkCombo_Click(std::int16_t row);
    void ageCombo_Click(std::int16_t row);
    void htCombo_Click(std::int16_t row);
    void wtCombo_Click(std::int16_t row);
    void activityCombo_Click(std::int16_t row);
    void ResetCmd_Click();
    void printbutton_Click();

    // Start-up and reset: store and echo the record defaults, then select the
    // default button and rows, each selection running its handler.
    void storeDefaultsAndSelect();
    void echoMeasurements();
    void selectRow(PickerId id, int row);
    void pickSexButton(int index);
    void clearServingsButtons();

    ConsultState state_;
    std::optional<ConsultState> shown_; // the inputs the fields were last written from
    struct Controls;
    std::unique_ptr<Controls> ui_;
};

} // namespace nutrovo
