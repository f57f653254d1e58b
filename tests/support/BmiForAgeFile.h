// The WHO's BMI-for-age table read from the project's copy of the file, apart
// from what the build embedded, and the window's BMI reading worked out from
// it by the WHO's rules: the tests' own account, not the program's.
#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace nutrovo::test {

struct FileLms {
    double l = 0, m = 0, s = 0;
};

inline QByteArray bmiForAgeFileBytes()
{
    QFile file(qEnvironmentVariable("NUTROVO_BMI_FOR_AGE_TABLE"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("NUTROVO_BMI_FOR_AGE_TABLE names no readable file; run this test through ctest");
    return file.readAll();
}

// By sex (1 male, 2 female) and completed month.
inline const std::map<std::pair<int, int>, FileLms> &bmiForAgeFile()
{
    static const auto rows = [] {
        std::map<std::pair<int, int>, FileLms> read;
        const QStringList lines = QString::fromLatin1(bmiForAgeFileBytes()).split(u'\n', Qt::SkipEmptyParts);
        for (const QString &line : lines.mid(1)) {
            const QStringList f = line.trimmed().split(u'\t');
            read[{f[0].toInt(), f[1].toInt()}] = {f[2].toDouble(), f[3].toDouble(), f[4].toDouble()};
        }
        return read;
    }();
    return rows;
}

// The BMI at k standard deviations.
inline double bmiAtSd(const FileLms &p, double k) { return p.m * std::pow(1 + p.l * p.s * k, 1 / p.l); }

inline QString expectedBmiReading(double bmi, int sexIndex, int ageYears)
{
    if (ageYears >= 20) {
        const std::pair<double, const char *> classes[] = {{18.5, "Underweight"}, {25, "Normal weight"},
                                                           {30, "Pre-obesity"},   {35, "Obesity class I"},
                                                           {40, "Obesity class II"}};
        for (const auto &[below, name] : classes)
            if (bmi < below - 1e-9)
                return QString::fromLatin1(name);
        return QStringLiteral("Obesity class III");
    }
    const FileLms p = bmiForAgeFile().at({sexIndex == 0 ? 1 : 2, std::min(ageYears * 12 + 6, 228)});
    double z = (std::pow(bmi / p.m, p.l) - 1) / (p.l * p.s);
    if (z > 3)
        z = 3 + (bmi - bmiAtSd(p, 3)) / (bmiAtSd(p, 3) - bmiAtSd(p, 2));
    else if (z < -3)
        z = -3 + (bmi - bmiAtSd(p, -3)) / (bmiAtSd(p, -2) - bmiAtSd(p, -3));
    QString shown = QString::number(z, 'f', 2);
    if (shown == QLatin1String("-0.00"))
        shown = QStringLiteral("0.00");
    const double zShown = shown.toDouble();
    if (zShown > 0)
        shown.prepend(u'+');
    const char *name = zShown < -5 || zShown > 5 ? "Check height and weight"
                       : zShown < -3             ? "Severe thinness"
                       : zShown < -2             ? "Thinness"
                       : zShown <= 1             ? "Normal"
                       : zShown <= 2             ? "Overweight"
                                                 : "Obesity";
    return QStringLiteral("%1 (z %2)").arg(QLatin1String(name), shown);
}

} // namespace nutrovo::test
