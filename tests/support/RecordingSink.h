// Collects what a recalculation writes, field by field, for tests.
#pragma once

#include "consult/Display.h"
#include "consult/Outputs.h"
#include "consult/Recalculate.h"

#include <QString>
#include <QStringList>

#include <array>
#include <string>
#include <vector>

namespace nutrovo::test {

class RecordingSink final : public TextSink {
public:
    void write(Output field, std::string_view text) override
    {
        texts[static_cast<std::size_t>(field)] = std::string(text);
        order.push_back(field);
    }
    QString text(Output field) const
    {
        return QString::fromStdString(texts[static_cast<std::size_t>(field)]);
    }

    std::array<std::string, outputCount> texts{};
    std::vector<Output> order;
};

inline RecordingSink recalculated(const ConsultState &state)
{
    RecordingSink sink;
    Display display(sink);
    recalculate(state, display);
    return sink;
}

inline Output outputNamed(const QString &name)
{
    for (std::size_t i = 0; i < outputCount; ++i)
        if (name == QLatin1String(outputNames[i].data(), qsizetype(outputNames[i].size())))
            return static_cast<Output>(i);
    qFatal("no output field named %s", qPrintable(name));
}

// Each blank-separated "name=value" of `expected` that the sink does not
// show, as "name shows x, expected y".
inline QStringList differences(const RecordingSink &sink, const QString &expected)
{
    QStringList wrong;
    for (const QString &pair : expected.split(u' ', Qt::SkipEmptyParts)) {
        const QString field = pair.section(u'=', 0, 0);
        const QString want = pair.section(u'=', 1);
        if (const QString shown = sink.text(outputNamed(field)); shown != want)
            wrong << QStringLiteral("%1 shows %2, expected %3").arg(field, shown, want);
    }
    return wrong;
}

} // namespace nutrovo::test
