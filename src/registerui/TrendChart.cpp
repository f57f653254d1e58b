#include "registerui/TrendChart.h"

#include "growth/BmiReading.h"

#include <QLegendMarker>
#include <QPen>

#include <QChart>
#include <QCategoryAxis>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace nutrovo::registerui {

namespace {

// Dates are laid out by day number; labels closer than this share of the
// span would overlap.
constexpr double labelSpacing = 1.0 / 5;

// Where the adult classes change (underweight, normal, pre-obesity,
// obesity), and where a child's BMI-for-age z-score changes class
// (thinness, normal, overweight, obesity).
const QList<double> adultBounds = {18.5, 25, 30};
const QList<double> childBounds = {-2, 1, 2};

struct Span {
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();

    void take(double value)
    {
        low = std::min(low, value);
        high = std::max(high, value);
    }
};

// A scale with a margin around the values, some height for one value, and
// labels on round numbers a few steps apart: the chart is short, and a label
// that has less than its own height is drawn as "...".
void fit(QValueAxis &scale, const Span &span, double least)
{
    double low = 0;
    double high = least;
    if (span.low <= span.high) {
        const double margin = std::max((span.high - span.low) * 0.1, least / 2);
        low = span.low >= 0 ? std::max(0.0, span.low - margin) : span.low - margin; // z-scores go below 0
        high = span.high + margin;
    }
    const double rough = std::max(high - low, 1.0) / 3;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    double step = 10 * magnitude;
    for (const double multiple : {1.0, 2.0, 5.0})
        if (multiple * magnitude >= rough) {
            step = multiple * magnitude;
            break;
        }
    low = std::floor(low / step) * step;
    high = std::ceil(high / step) * step;
    scale.setRange(low, high);
    scale.setTickCount(static_cast<int>(std::lround((high - low) / step)) + 1);
}

QLineSeries *pointedLine(const QString &name)
{
    auto *series = new QLineSeries;
    series->setName(name);
    series->setPointsVisible(true);
    return series;
}

} // namespace

// The view made with its chart: one made without makes a chart of its own,
// which setChart would orphan.
TrendChart::TrendChart(QWidget *parent)
    : QChartView(new QChart, parent), weight_(pointedLine(QStringLiteral("Weight (kg)"))),
      bmi_(pointedLine(QStringLiteral("BMI"))), dates_(new QCategoryAxis), weightScale_(new QValueAxis),
      bmiScale_(new QValueAxis)
{
    setObjectName(QStringLiteral("trendChart"));
    setRenderHint(QPainter::Antialiasing);
    setFocusPolicy(Qt::NoFocus);
    QChart *chart = this->chart();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->addSeries(weight_);
    chart->addSeries(bmi_);
    dates_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    dates_->setTitleText(QStringLiteral("Visit"));
    weightScale_->setTitleText(QStringLiteral("Weight (kg)"));
    weightScale_->setLabelFormat(QStringLiteral("%.0f"));
    bmiScale_->setTitleText(QStringLiteral("BMI"));
    bmiScale_->setLabelFormat(QStringLiteral("%.1f"));
    bmiScale_->setGridLineVisible(false); // the weight's grid serves both
    chart->addAxis(dates_, Qt::AlignBottom);
    chart->addAxis(weightScale_, Qt::AlignLeft);
    chart->addAxis(bmiScale_, Qt::AlignRight);
    for (QLineSeries *series : {weight_, bmi_})
        series->attachAxis(dates_);
    weight_->attachAxis(weightScale_);
    bmi_->attachAxis(bmiScale_);
    QPen boundPen(Qt::gray, 1, Qt::DashLine);
    for (qsizetype i = 0; i < adultBounds.size(); ++i) {
        auto *bound = new QLineSeries;
        bound->setPen(boundPen);
        chart->addSeries(bound);
        bound->attachAxis(dates_);
        bound->attachAxis(bmiScale_);
        // One entry in the legend says what the dashed lines are.
        for (QLegendMarker *marker : chart->legend()->markers(bound))
            marker->setVisible(i == 0);
        bounds_.append(bound);
    }
    setAccessibleName(QStringLiteral("Weight and BMI over the visits"));
}

namespace {

// The z-score a visit showed; for a visit saved without its reading, read by
// today's program from the BMI it showed.
std::optional<double> zScoreOf(const reg::VisitRow &visit)
{
    if (const auto shown = growth::zOfReading(visit.figures.at(std::size_t(reg::VisitFigure::BmiClass)).toStdString()))
        return shown;
    bool ok = false;
    const double bmi = visit.figures.at(std::size_t(reg::VisitFigure::Bmi)).toDouble(&ok);
    if (!ok)
        return std::nullopt;
    const auto sex = static_cast<std::int16_t>(visit.sexButton);
    return growth::shownZ(growth::bmiForAgeZ(bmi, sex, growth::ageMonthsOfYears(visit.ageYears)));
}

} // namespace

void TrendChart::showVisits(const QList<reg::VisitRow> &visits)
{
    const auto latest = std::max_element(visits.begin(), visits.end(),
                                         [](const reg::VisitRow &a, const reg::VisitRow &b) { return a.day < b.day; });
    const bool child = latest != visits.end() && latest->ageYears < growth::adultFromYears;
    const QString reading = child ? QStringLiteral("BMI-for-age z") : QStringLiteral("BMI");
    bmi_->setName(reading);
    bmiScale_->setTitleText(reading);
    QList<QPointF> weights;
    QList<QPointF> bmis;
    QList<QDate> days;
    Span kilograms;
    Span indexes;
    QStringList described;
    for (const reg::VisitRow &visit : visits) {
        const QDate day = QDate::fromString(visit.day, Qt::ISODate);
        if (!day.isValid())
            continue;
        days.append(day);
        const auto at = static_cast<double>(day.toJulianDay());
        bool ok = false;
        if (const double weight = visit.figures.at(std::size_t(reg::VisitFigure::Weight)).toDouble(&ok); ok) {
            weights.append({at, weight});
            kilograms.take(weight);
        }
        const double bmi = visit.figures.at(std::size_t(reg::VisitFigure::Bmi)).toDouble(&ok);
        const std::optional<double> value = child ? zScoreOf(visit) : ok ? std::optional(bmi) : std::nullopt;
        if (value) {
            bmis.append({at, *value});
            indexes.take(*value);
        }
        const QString &shownClass = visit.figures.at(std::size_t(reg::VisitFigure::BmiClass));
        described.prepend(QStringLiteral("%1: %2 kg, BMI %3%4")
                              .arg(visit.day, visit.figures.at(std::size_t(reg::VisitFigure::Weight)),
                                   visit.figures.at(std::size_t(reg::VisitFigure::Bmi)),
                                   shownClass.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(shownClass)));
    }
    const auto byDay = [](QPointF a, QPointF b) { return a.x() < b.x(); };
    std::sort(weights.begin(), weights.end(), byDay);
    std::sort(bmis.begin(), bmis.end(), byDay);
    std::sort(days.begin(), days.end());
    weight_->replace(weights);
    bmi_->replace(bmis);
    labelDays(days);
    const QList<double> &levels = child ? childBounds : adultBounds;
    for (double level : levels)
        indexes.take(level);
    bounds_.first()->setName(child ? QStringLiteral("Class bounds (z -2, +1, +2)")
                                   : QStringLiteral("Class bounds (BMI 18.5, 25, 30)"));
    drawBounds(levels);
    fit(*weightScale_, kilograms, 10);
    fit(*bmiScale_, indexes, 2);
    setAccessibleDescription(described.join(QStringLiteral("; ")));
}

// The first and the last visit's dates always, those between where they fit;
// a week either side of a single visit, so that its point sits mid-chart.
void TrendChart::labelDays(const QList<QDate> &days)
{
    for (const QString &label : dates_->categoriesLabels())
        dates_->remove(label);
    const QDate today = QDate::currentDate();
    const double first = static_cast<double>((days.isEmpty() ? today : days.first()).toJulianDay());
    const double last = static_cast<double>((days.isEmpty() ? today : days.last()).toJulianDay());
    const double margin = last > first ? std::max((last - first) / 20, 1.0) : 7.0;
    dates_->setMin(first - margin);
    dates_->setStartValue(first - margin);
    dates_->setMax(last + margin);
    const double gap = (last - first) * labelSpacing;
    double labelled = -1;
    for (const QDate &day : days) {
        const auto at = static_cast<double>(day.toJulianDay());
        const bool fits = labelled < 0 || (at - labelled >= gap && last - at >= gap);
        if (at > labelled && (fits || at == last)) {
            dates_->append(day.toString(Qt::ISODate), at);
            labelled = at;
        }
    }
}

// Each bound across the whole span of dates.
void TrendChart::drawBounds(const QList<double> &levels)
{
    for (qsizetype i = 0; i < bounds_.size(); ++i)
        bounds_.at(i)->replace({QPointF(dates_->min(), levels.at(i)), QPointF(dates_->max(), levels.at(i))});
}

} // namespace nutrovo::registerui
