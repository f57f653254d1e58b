#include "consult/FieldWriter.h"

#include <QLineEdit>

namespace nutrovo::ui {

void FieldWriter::bind(Output field, QLineEdit *edit) { fields_.at(static_cast<std::size_t>(field)) = edit; }

QLineEdit *FieldWriter::field(Output field) const { return fields_.at(static_cast<std::size_t>(field)); }

void FieldWriter::write(Output field, std::string_view text)
{
    QLineEdit *edit = fields_.at(static_cast<std::size_t>(field));
    const QString value = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    if (edit->text() != value)
        edit->setText(value);
}

} // namespace nutrovo::ui
