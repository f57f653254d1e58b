#include "window/FieldWriter.h"

#include <QLineEdit>

namespace nutrovo::ui {

void FieldWriter::bind(Output field, QLineEdit *edit) { fields_.at(static_cast<std::size_t>(field)) = edit; }

void FieldWriter::write(Output field, std::string_view text)
{
    QLineEdit *edit = fields_.at(static_cast<std::size_t>(field));
    // Compared in place: most fields keep their text, and need no copy of it.
    const QLatin1StringView value(text.data(), static_cast<qsizetype>(text.size()));
    if (edit->text() != value)
        edit->setText(value);
}

} // namespace nutrovo::ui
