#include "window/SheetText.h"

#include "print/NotePages.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QStringList>
#include <QWidget>

namespace nutrovo::ui {

namespace {

constexpr int buttonsPerGroup = 16;

struct Section {
    bool headed = false; // the first row names the columns
    QList<QStringList> rows;
};

// The window's named controls, looked up once.
class ShownFields {
public:
    explicit ShownFields(const QWidget &window)
    {
        for (QWidget *widget : window.findChildren<QWidget *>())
            if (!widget->objectName().isEmpty())
                named_.insert(widget->objectName(), widget);
    }

    QString text(const QString &name) const
    {
        const QWidget *widget = named_.value(name);
        if (const auto *field = qobject_cast<const QLineEdit *>(widget))
            return field->text();
        if (const auto *label = qobject_cast<const QLabel *>(widget))
            return label->text();
        if (const auto *combo = qobject_cast<const QComboBox *>(widget))
            return combo->currentText();
        return {};
    }

    // The servings a group's picked button stands for: its column number.
    // No button picked counts as none, as the grams beside it show.
    QString servings(const QString &array) const
    {
        for (int i = 0; i < buttonsPerGroup; ++i) {
            const auto *button = qobject_cast<const QAbstractButton *>(
                named_.value(QStringLiteral("%1(%2)").arg(array).arg(i)));
            if (button != nullptr && button->isChecked())
                return text(QStringLiteral("Label1(%1)").arg(i)).trimmed();
        }
        return QStringLiteral("0");
    }

private:
    QHash<QString, QWidget *> named_;
};

Section heading(const ShownFields &shown, const QDate &today, const QString &dietitian)
{
    Section section{false,
                    {{QStringLiteral("Client"), shown.text(QStringLiteral("Text2")).trimmed()},
                     {QStringLiteral("Date"), today.toString(Qt::ISODate)}}};
    if (!dietitian.isEmpty())
        section.rows.append({QStringLiteral("Dietitian"), dietitian});
    return section;
}

Section measurements(const ShownFields &shown)
{
    const auto row = [&](const char *caption, const char *field) {
        return QStringList{QString::fromUtf8(caption), shown.text(QLatin1String(field))};
    };
    return {false,
            {row("Weight (kg)", "showWeight"), row("Height (cm)", "showHeight"),
             row("Activity factor", "showactivity"), row("Age (years)", "showAge"),
             row("Gender", "showGender"), row("BMI", "bmi"), row("BMI class", "bmiClass")}};
}

Section energy(const ShownFields &shown)
{
    Section section{true, {{QStringLiteral("Method"), QStringLiteral("kcal"), QStringLiteral("kJ"),
                            QStringLiteral("Lose (kcal)"), QStringLiteral("Gain (kcal)")}}};
    const char *const methods[][2] = {{"Harris-Benedict", "hb"}, {"Owen", "owen"},
                                      {"Mifflin", "mif"},        {"Rule of thumb", "last"},
                                      {"WHO", "who"}};
    for (const auto &[method, prefix] : methods) {
        const QString p = QLatin1String(prefix);
        section.rows.append({QString::fromUtf8(method), shown.text(p + QLatin1String("rdacal")),
                             shown.text(p + QLatin1String("rda")), shown.text(p + QLatin1String("lose")),
                             shown.text(p + QLatin1String("gain"))});
    }
    return section;
}

Section mealPattern(const ShownFields &shown)
{
    Section section{true, {{QStringLiteral("Food group"), QStringLiteral("Servings"),
                            QStringLiteral("PROT g"), QStringLiteral("FAT g"),
                            QStringLiteral("CHO g")}}};
    // Row label, option array, grams fields' prefix and suffix: as on the window.
    const char *const groups[][4] = {
        {"Label7", "Option2", "prot", ""},       {"Label8", "Option1", "starch", ""},
        {"Label12(0)", "Option3", "milk", "(0)"}, {"Label13", "Option4", "fruitveg", ""},
        {"Label14", "Option5", "fatoil", ""},     {"Label15", "Option6", "extra", ""},
    };
    for (const auto &[label, array, prefix, suffix] : groups) {
        QString group = shown.text(QLatin1String(label)).trimmed();
        if (QLatin1String(array) == u"Option3")
            group += QStringLiteral(" (%1 milk)").arg(shown.text(QStringLiteral("milkCombo")));
        const auto grams = [&](const char *nutrient) {
            return shown.text(QLatin1String(prefix) + QLatin1String(nutrient) +
                              QLatin1String(suffix));
        };
        section.rows.append({group, shown.servings(QLatin1String(array)), grams("prot"),
                             grams("fat"), grams("cho")});
    }
    return section;
}

Section totals(const ShownFields &shown)
{
    const auto row = [&](const char *caption, const char *total, const char *prefix,
                         const char *suffix) {
        const auto field = [&](const char *nutrient) {
            return shown.text(QLatin1String(prefix) + QLatin1String(nutrient) +
                              QLatin1String(suffix));
        };
        return QStringList{QString::fromUtf8(caption),
                           *total != '\0' ? shown.text(QLatin1String(total)) : QString(),
                           field("prot"), field("fat"), field("cho")};
    };
    return {true,
            {{QStringLiteral("Totals"), QStringLiteral("All"), QStringLiteral("PROT"),
              QStringLiteral("FAT"), QStringLiteral("CHO")},
             row("Grams", "", "", "tot"),
             row("kJ", "kjtot", "kj", "tot"),
             row("kcal", "caltot", "cal", "tot"),
             row("%", "", "", "per")}};
}

QList<Section> sections(const QWidget &window, const QDate &today, const QString &dietitian)
{
    const ShownFields shown(window);
    return {heading(shown, today, dietitian), measurements(shown), energy(shown), mealPattern(shown),
            totals(shown)};
}

QString plainText(const QList<Section> &sections)
{
    QStringList blocks;
    for (const Section &section : sections) {
        QStringList lines;
        for (const QStringList &row : section.rows)
            lines.append(row.join(u'\t'));
        blocks.append(lines.join(u'\n'));
    }
    return blocks.join(QStringLiteral("\n\n")) + u'\n';
}

// The note after the figures, its lines as typed.
QString plainNote(const QString &note)
{
    return note.isEmpty() ? QString() : QStringLiteral("\nNote\n") + note + u'\n';
}

QString htmlNote(const QString &note)
{
    if (note.isEmpty())
        return {};
    QString escaped = note.toHtmlEscaped();
    escaped.replace(u'\n', QStringLiteral("<br>\n"));
    return QStringLiteral("<h3>Note</h3>\n<p>") + escaped + QStringLiteral("</p>\n");
}

QString htmlText(const QList<Section> &sections)
{
    QString html = QStringLiteral("<html><body>\n");
    for (const Section &section : sections) {
        html += QStringLiteral("<table>\n");
        for (qsizetype r = 0; r < section.rows.size(); ++r) {
            const QLatin1String cell(section.headed && r == 0 ? "th" : "td");
            html += QStringLiteral("<tr>");
            for (const QString &text : section.rows.at(r))
                html += QStringLiteral("<%1>%2</%1>").arg(cell, text.toHtmlEscaped());
            html += QStringLiteral("</tr>\n");
        }
        html += QStringLiteral("</table>\n<br>\n");
    }
    return html;
}

} // namespace

SheetText sheetText(const QWidget &window, const QDate &today)
{
    const print::NotePage note = print::notePageOf(window);
    const QList<Section> all = sections(window, today, note.dietitian);
    return {plainText(all) + plainNote(note.note),
            htmlText(all) + htmlNote(note.note) + QStringLiteral("</body></html>\n")};
}

} // namespace nutrovo::ui
