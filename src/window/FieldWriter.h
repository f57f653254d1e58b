// Writes display text into the window's text fields.
#pragma once

#include "consult/Display.h"
#include "consult/Recalculate.h"

#include <QString>

#include <array>
#include <bitset>

class QLineEdit;

namespace nutrovo::ui {

class FieldWriter final : public TextSink {
public:
    void bind(Output field, QLineEdit *edit);

    // Leaves a field alone when it already shows the text: a repaint for
    // nothing. Text the user typed differs, so it is always replaced. Knows
    // what a field shows from what it last wrote there, unless the field
    // has changed since.
    void write(Output field, std::string_view text) override;

    // The parts of the recalculation with a field that shows other text than
    // it last wrote: typed over, or set by someone else.
    Sections overwritten() const;

private:
    std::array<QLineEdit *, outputCount> fields_{};
    std::array<QString, outputCount> written_{};
    std::bitset<outputCount> overwritten_;
};

} // namespace nutrovo::ui
