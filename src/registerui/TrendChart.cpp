#include "registerui/TrendChart.h"

#include <QChart>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <limits>

namespace nutrovo::registerui {

namespace {

constexpr qint64 dayMs = 24 * 60 * 60 * 1000;

struct Span {
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();

    void take(double value)
    {
        low = std::min(low, value);
        high = std::max(high, value);
    }
};

// A scale with a margin around the values, and some height for one value.
void fit(QValueAxis &scale, const Span &span, double least)
{
    if (span.low > span.high) {
        scale.setRange(0, least);
        return;
    }
    const double margin = std::max((span.high - span.low) * 0.1, least / 2);
    scale.setRange(std::max(0.0, span.low - margin), span.high + margin);
    scale.applyNiceNumbers();
}

QLineSeries *pointedLine(const QString &name)
{
    auto *series = new QLineSeries;
    series->setName(name);
    series->setPointsVisible(true);
    return series;
}

} // namespace

TrendChart::TrendChart(QWidget *parent)
    : QChartView(parent), weight_(pointedLine(QStringLiteral("Weight (kg)"))),
      bmi_(pointedLine(QStringLiteral("BMI"))), dates_(new QDateTimeAxis), weightScale_(new QValueAxis),
      bmiScale_(new QValueAxis)
{
    setObjectName(QStringLiteral("trendChart"));
    setRenderHint(QPainter::Antialiasing);
    setFocusPolicy(Qt::NoFocus);
    auto *chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->addSeries(weight_);
    chart->addSeries(bmi_);
    dates_->setFormat(QStringLiteral("yyyy-MM-dd"));
    dates_->setTitleText(QStringLiteral("Visit"));
    weightScale_->setTitleText(QStringLiteral("Weight (kg)"));
    weightScale_->setLabelFormat(QStringLiteral("%.0f"));
    bmiScale_->setTitleText(QStringLiteral("BMI"));
    bmiScale_->setLabelFormat(QStringLiteral("%.1f"));
    chart->addAxis(dates_, Qt::AlignBottom);
    chart->addAxis(weightScale_, Qt::AlignLeft);
    chart->addAxis(bmiScale_, Qt::AlignRight);
    for (QLineSeries *series : {weight_, bmi_})
        series->attachAxis(dates_);
    weight_->attachAxis(weightScale_);
    bmi_->attachAxis(bmiScale_);
    setChart(chart);
    setAccessibleName(QStringLiteral("Weight and BMI over the visits"));
}

void TrendChart::showVisits(const QList<reg::VisitRow> &visits)
{
    QList<QPointF> weights;
    QList<QPointF> bmis;
    Span days;
    Span kilograms;
    Span indexes;
    QStringList described;
    for (const reg::VisitRow &visit : visits) {
        const QDate day = QDate::fromString(visit.day, Qt::ISODate);
        bool weightOk = false;
        bool bmiOk = false;
        const double weight = visit.figures.at(std::size_t(reg::VisitFigure::Weight)).toDouble(&weightOk);
        const double bmi = visit.figures.at(std::size_t(reg::VisitFigure::Bmi)).toDouble(&bmiOk);
        if (!day.isValid())
            continue;
        const auto at = static_cast<double>(day.startOfDay().toMSecsSinceEpoch());
        days.take(at);
        if (weightOk) {
            weights.append({at, weight});
            kilograms.take(weight);
        }
        if (bmiOk) {
            bmis.append({at, bmi});
            indexes.take(bmi);
        }
        described.append(QStringLiteral("%1: %2 kg, BMI %3")
                             .arg(visit.day, visit.figures.at(0), visit.figures.at(1)));
    }
    const auto byDay = [](QPointF a, QPointF b) { return a.x() < b.x(); };
    std::sort(weights.begin(), weights.end(), byDay);
    std::sort(bmis.begin(), bmis.end(), byDay);
    weight_->replace(weights);
    bmi_->replace(bmis);
    // One day, or none: a week either side, so that a point sits mid-chart.
    const qint64 first = days.low <= days.high ? static_cast<qint64>(days.low) : QDateTime::currentMSecsSinceEpoch();
    const qint64 last = days.low <= days.high ? static_cast<qint64>(days.high) : first;
    const qint64 margin = std::max<qint64>((last - first) / 20, last == first ? 7 * dayMs : dayMs);
    dates_->setRange(QDateTime::fromMSecsSinceEpoch(first - margin), QDateTime::fromMSecsSinceEpoch(last + margin));
    dates_->setTickCount(std::clamp(static_cast<int>(visits.size()) + 1, 2, 6));
    fit(*weightScale_, kilograms, 10);
    fit(*bmiScale_, indexes, 2);
    std::reverse(described.begin(), described.end());
    setAccessibleDescription(described.join(QStringLiteral("; ")));
}

} // namespace nutrovo::registerui
