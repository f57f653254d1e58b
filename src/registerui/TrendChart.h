// Weight and body mass index over a client's visits, each visit's date on
// the axis below (as many as fit): weight on the left scale, on the right
// the BMI over the adult classes' bounds, or for a client under 20 at the
// latest visit the BMI-for-age z-score over -2, +1 and +2. One visit is a
// point.
#pragma once

#include "register/RegisterStore.h"

#include <QChartView>
#include <QList>

class QCategoryAxis;
class QLineSeries;
class QValueAxis;

namespace nutrovo::registerui {

class TrendChart final : public QChartView {
public:
    explicit TrendChart(QWidget *parent = nullptr);

    // Any order; rows whose figures aren't numbers are left out.
    void showVisits(const QList<reg::VisitRow> &visits);

private:
    void labelDays(const QList<QDate> &days);
    void drawBounds(const QList<double> &levels);

    QLineSeries *weight_;
    QLineSeries *bmi_;
    QCategoryAxis *dates_;
    QValueAxis *weightScale_;
    QValueAxis *bmiScale_;
    QList<QLineSeries *> bounds_;
};

} // namespace nutrovo::registerui
