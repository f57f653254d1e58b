// What every output field of the real window must show, worked out by the
// calculation core from the inputs that the window itself shows: the picked
// row of each picker and the picked button of each option array. The record
// inside the window is never consulted for it.
#pragma once

#include "RecordingSink.h"
#include "WindowProbe.h"
#include "consult/Outputs.h"
#include "pickers/Pickers.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <array>
#include <optional>

namespace nutrovo::test {

// The inputs as a user sees them on the window.
struct WindowInputs {
    std::array<int, 5> rows{};     // pickers, in pickerNames order; -1: none picked
    int sex = -1;                  // picked button of sex, -1: none
    std::array<int, 6> servings{}; // picked button of Option1..Option6, -1: none

    friend bool operator==(const WindowInputs &, const WindowInputs &) = default;
};

inline constexpr std::array<const char *, 5> pickerNames = {"ageCombo", "htCombo", "wtCombo",
                                                            "activityCombo", "milkCombo"};
enum PickerSlot { AgeSlot, HeightSlot, WeightSlot, ActivitySlot, MilkSlot };

// The echo field each measurement picker writes; the milk list has none.
inline constexpr std::array<std::optional<Output>, 5> echoOfPicker = {
    Output::showAge, Output::showHeight, Output::showWeight, Output::showactivity, std::nullopt};

inline bool isEchoField(Output field)
{
    for (const auto &echo : echoOfPicker)
        if (echo == field)
            return true;
    return false;
}

inline QString qs(std::string_view text)
{
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

class WindowOracle {
public:
    explicit WindowOracle(const QWidget &window)
    {
        for (std::size_t i = 0; i < pickerNames.size(); ++i)
            pickers_[i] = control<QComboBox>(window, pickerNames[i]);
        for (int i = 0; i < 2; ++i)
            sex_[i] = control<QAbstractButton>(window, QStringLiteral("sex(%1)").arg(i));
        for (int g = 0; g < 6; ++g)
            for (int i = 0; i < 16; ++i)
                servings_[g][i] = control<QAbstractButton>(
                    window, QStringLiteral("Option%1(%2)").arg(g + 1).arg(i));
        for (std::size_t i = 0; i < outputCount; ++i)
            fields_[i] = control<QLineEdit>(window, qs(outputNames[i]));
    }

    WindowInputs read() const
    {
        WindowInputs inputs;
        for (std::size_t i = 0; i < pickers_.size(); ++i)
            inputs.rows[i] = pickers_[i]->currentIndex();
        inputs.sex = pickedIndex(sex_);
        for (std::size_t g = 0; g < servings_.size(); ++g)
            inputs.servings[g] = pickedIndex(servings_[g]);
        return inputs;
    }

    // The record the core computes from: a group with no button picked has
    // no servings, as at start-up.
    static ConsultState stateOf(const WindowInputs &in)
    {
        const auto row = [&](PickerSlot slot) { return std::int16_t(in.rows[slot]); };
        const auto servings = [&](int group) {
            return std::int16_t(std::max(0, in.servings[group]));
        };
        ConsultState state;
        state.starchServ = servings(0);
        state.protServ = servings(1);
        state.milkServ = servings(2);
        state.vegServ = servings(3);
        state.fatServ = servings(4);
        state.sugarServ = servings(5);
        state.milkType = pickers::milkTypeFromRow(row(MilkSlot));
        state.sexIndex = std::int16_t(in.sex);
        state.activity = pickers::activityFromRow(row(ActivitySlot));
        state.heightCm = pickers::heightCmFromRow(row(HeightSlot));
        state.weightKg = pickers::weightKgFromRow(row(WeightSlot));
        state.ageYears = pickers::ageYearsFromRow(row(AgeSlot));
        return state;
    }

    // Every output field's text for these inputs: the recalculation's fields
    // from the core, the echo fields from the picked rows by the display rule.
    const std::array<QString, outputCount> &expected(const WindowInputs &inputs)
    {
        if (cachedFor_ == inputs)
            return cached_;
        const ConsultState state = stateOf(inputs);
        RecordingSink sink = recalculated(state);
        Display echo(sink);
        echo.integer(Output::showAge, state.ageYears);
        echo.number(Output::showHeight, state.heightCm);
        echo.integer(Output::showWeight, state.weightKg);
        echo.number(Output::showactivity, state.activity);
        for (std::size_t i = 0; i < outputCount; ++i)
            cached_[i] = QString::fromStdString(sink.texts[i]);
        cachedFor_ = inputs;
        return cached_;
    }

    QLineEdit *field(std::size_t i) const { return fields_.at(i); }
    QComboBox *picker(std::size_t slot) const { return pickers_.at(slot); }

private:
    template <std::size_t N> static int pickedIndex(const std::array<QAbstractButton *, N> &buttons)
    {
        for (std::size_t i = 0; i < N; ++i)
            if (buttons[i]->isChecked())
                return int(i);
        return -1;
    }

    std::array<QComboBox *, 5> pickers_{};
    std::array<QAbstractButton *, 2> sex_{};
    std::array<std::array<QAbstractButton *, 16>, 6> servings_{};
    std::array<QLineEdit *, outputCount> fields_{};
    std::optional<WindowInputs> cachedFor_;
    std::array<QString, outputCount> cached_;
};

} // namespace nutrovo::test
