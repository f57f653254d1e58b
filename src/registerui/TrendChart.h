// Weight and body mass index over a client's visits, dated along the
// bottom: weight on the left scale, BMI on the right. One visit is a point.
#pragma once

#include "register/RegisterStore.h"

#include <QChartView>
#include <QList>

class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace nutrovo::registerui {

class TrendChart final : public QChartView {
public:
    explicit TrendChart(QWidget *parent = nullptr);

    // Any order; rows whose figures aren't numbers are left out.
    void showVisits(const QList<reg::VisitRow> &visits);

private:
    QLineSeries *weight_;
    QLineSeries *bmi_;
    QDateTimeAxis *dates_;
    QValueAxis *weightScale_;
    QValueAxis *bmiScale_;
};

} // namespace nutrovo::registerui
