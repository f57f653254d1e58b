// Weight and body mass index over a client's visits, each visit's date on
// the axis below (as many as fit): weight on the left scale, BMI on the
// right. One visit is a point.
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

    QLineSeries *weight_;
    QLineSeries *bmi_;
    QCategoryAxis *dates_;
    QValueAxis *weightScale_;
    QValueAxis *bmiScale_;
};

} // namespace nutrovo::registerui
