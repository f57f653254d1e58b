#include "window/FieldWriter.h"

#include <QLineEdit>

namespace nutrovo::ui {

void FieldWriter::bind(Output field, QLineEdit *edit)
{
    const auto i = static_cast<std::size_t>(field);
    fields_.at(i) = edit;
    written_.at(i) = edit->text();
    QObject::connect(edit, &QLineEdit::textChanged, edit,
                     [this, i](const QString &text) { overwritten_[i] = text != written_[i]; });
}

void FieldWriter::write(Output field, std::string_view text)
{
    const auto i = static_cast<std::size_t>(field);
    // Compared in place: most fields keep their text, and need no copy of it.
    const QLatin1StringView value(text.data(), static_cast<qsizetype>(text.size()));
    if (written_.at(i) == value && !overwritten_[i])
        return;
    written_[i] = value;
    overwritten_[i] = false;
    fields_[i]->setText(written_[i]);
}

Sections FieldWriter::overwritten() const
{
    Sections sections;
    if (overwritten_.none())
        return sections;
    for (std::size_t i = 0; i < outputCount; ++i)
        if (const auto section = sectionOf(static_cast<Output>(i)); section && overwritten_[i])
            sections.set(static_cast<std::size_t>(*section));
    return sections;
}

} // namespace nutrovo::ui
