// What every output field of the real window must show, worked out by the
// calculation core from the inputs that the window itself shows: the picked
// row of each list and the picked button of each option array. The record
// inside the window is never consulted for it.
#pragma once

#include "BmiForAgeFile.h"
#include "RecordingSink.h"
#include "WindowProbe.h"
#include "consult/PickerTable.h"
#include "window/QtText.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <array>
#include <optional>

namespace nutrovo::test {

using ui::qs;

// The inputs as a user sees them on the window.
struct WindowInputs {
    std::array<int, pickerCount> rows{}; // lists, in pickerTable's order; -1: none picked
    int sex = -1;                        // picked button of sex, -1: none
    std::array<int, 6> servings{};       // picked button of Option1..Option6, -1: none

    friend bool operator==(const WindowInputs &, const WindowInputs &) = default;
};

inline bool isEchoField(Output field)
{
    for (const PickerEntry &picker : pickerTable)
        if (picker.echo == field)
            return true;
    return false;
}

class WindowOracle {
public:
    explicit WindowOracle(const QWidget &window)
    {
        for (std::size_t i = 0; i < pickerCount; ++i)
            pickers_[i] = control<QComboBox>(window, qs(pickerTable.at(i).objectName));
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

    // The record the core computes from, with the echo texts its picked rows
    // give: a group with no button picked has no servings, as at start-up.
    static ConsultState stateOf(const WindowInputs &in, TextSink &echoes)
    {
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
        state.sexIndex = std::int16_t(in.sex);
        Display echo(echoes);
        for (std::size_t i = 0; i < pickerCount; ++i)
            pickerTable.at(i).pick(state, std::int16_t(in.rows[i]), echo);
        return state;
    }
    static ConsultState stateOf(const WindowInputs &in)
    {
        RecordingSink ignored;
        return stateOf(in, ignored);
    }

    // Every output field's text for these inputs: the recalculation's fields
    // from the core, the echo fields from the picked rows by the display rule.
    const std::array<QString, outputCount> &expected(const WindowInputs &inputs)
    {
        if (cachedFor_ == inputs)
            return cached_;
        RecordingSink sink;
        Display display(sink);
        const ConsultState state = stateOf(inputs, sink);
        recalculate(state, display);
        for (std::size_t i = 0; i < outputCount; ++i)
            cached_[i] = QString::fromStdString(sink.texts[i]);
        // The BMI's reading from the WHO's file, by the test's own account.
        cached_[std::size_t(Output::bmiClass)] =
            expectedBmiReading(sink.text(Output::bmi).toDouble(), state.sexIndex, state.ageYears);
        cachedFor_ = inputs;
        return cached_;
    }

    // Each field that shows other than the core gives, as "name shows "x",
    // expected "y"", with no more than 80 characters of either.
    QStringList mismatches()
    {
        const auto &want = expected(read());
        QStringList found;
        for (std::size_t i = 0; i < outputCount; ++i)
            if (fields_[i]->text() != want[i])
                found << mismatch(i, fields_[i]->text(), want[i]);
        return found;
    }

    static QString mismatch(std::size_t field, const QString &shown, const QString &want)
    {
        return QStringLiteral("%1 shows \"%2\", expected \"%3\"")
            .arg(qs(outputNames[field]), shown.left(80), want.left(80));
    }

    QLineEdit *field(std::size_t i) const { return fields_.at(i); }
    QComboBox *picker(std::size_t index) const { return pickers_.at(index); }

private:
    template <std::size_t N> static int pickedIndex(const std::array<QAbstractButton *, N> &buttons)
    {
        for (std::size_t i = 0; i < N; ++i)
            if (buttons[i]->isChecked())
                return int(i);
        return -1;
    }

    std::array<QComboBox *, pickerCount> pickers_{};
    std::array<QAbstractButton *, 2> sex_{};
    std::array<std::array<QAbstractButton *, 16>, 6> servings_{};
    std::array<QLineEdit *, outputCount> fields_{};
    std::optional<WindowInputs> cachedFor_;
    std::array<QString, outputCount> cached_;
};

// Every output field of the window equals what the core gives for the
// inputs the window shows, and the window's record agrees with them.
#define NUTROVO_VERIFY_WINDOW_MATCHES_CORE(form)                                                   \
    do {                                                                                           \
        nutrovo::test::WindowOracle oracle_(form);                                                 \
        const QStringList wrong_ = oracle_.mismatches();                                           \
        QVERIFY2(wrong_.isEmpty(), qPrintable(wrong_.join(u'\n')));                                \
        QVERIFY((form).state() == nutrovo::test::WindowOracle::stateOf(oracle_.read()));          \
    } while (false)

} // namespace nutrovo::test
