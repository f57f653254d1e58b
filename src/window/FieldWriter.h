// Writes display text into the window's text fields.
#pragma once

#include "consult/Display.h"

#include <array>

class QLineEdit;

namespace nutrovo::ui {

class FieldWriter final : public TextSink {
public:
    void bind(Output field, QLineEdit *edit);

    // Leaves a field alone when it already shows the text: a repaint for
    // nothing. Text the user typed differs, so it is always replaced.
    void write(Output field, std::string_view text) override;

private:
    std::array<QLineEdit *, outputCount> fields_{};
};

} // namespace nutrovo::ui
