// The WHO's BMI-for-age table read from the project's copy of the file, apart
// from what the build embedded, and the window's BMI reading worked out from
// it by the WHO's rules: the tests' own account, not the program's.
#pragma once

#include <QFile>
#include <QStringList>

#include <cmath>
#include <map>

namespace nutrovo::test {

struct FileLms {
    double l = 0, m = 0, s = 0;
    friend bool operator==(const FileLms &, const FileLms &) = default;
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
        for (const QString &line : QString::fromLatin1(bmiForAgeFileBytes()).split(u'\n', Qt::SkipEmptyParts).mid(1)) {
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
    const auto first = [](double value, const std::map<double, const char *> &upTo) { // the class up to a bound
        return QString::fromLatin1(upTo.upper_bound(value)->second); };
    if (ageYears >= 20) // the BMI as shown has one decimal
        return first(bmi + 0.05, {{18.5, "Underweight"}, {25, "Normal weight"}, {30, "Pre-obesity"},
                                  {35, "Obesity class I"}, {40, "Obesity class II"}, {1e9, "Obesity class III"}});
    const FileLms p = bmiForAgeFile().at({sexIndex == 0 ? 1 : 2, std::min(ageYears * 12 + 6, 228)});
    double z = (std::pow(bmi / p.m, p.l) - 1) / (p.l * p.s);
    if (std::fabs(z) > 3) {
        const double sd3 = bmiAtSd(p, z > 0 ? 3 : -3);
        const double sd2 = bmiAtSd(p, z > 0 ? 2 : -2);
        z = (z > 0 ? 3 : -3) + (bmi - sd3) / std::fabs(sd3 - sd2);
    }
    QString shown = QString::number(z, 'f', 2).replace(QLatin1String("-0.00"), QLatin1String("0.00"));
    const double zShown = shown.toDouble();
    shown.prepend(QLatin1String(zShown > 0 ? "+" : ""));
    // Each class up to the last z-score shown (two decimals) that it takes.
    const QString name = std::fabs(zShown) > 5 ? QStringLiteral("Check height and weight")
                                               : first(zShown, {{-3.005, "Severe thinness"}, {-2.005, "Thinness"},
                                                                {1.005, "Normal"}, {2.005, "Overweight"},
                                                                {1e9, "Obesity"}});
    return QStringLiteral("%1 (z %2)").arg(name, shown);
}

} // namespace nutrovo::test
