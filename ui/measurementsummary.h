#pragma once

#include "protocol/measurementrow.h"

#include <QDateTime>
#include <QString>

class QLocale;

// What the chart page says in one line above the chart about the rows: how
// many, from which day to which, the force's lowest, mean and highest value
// and the sleeve position's range. Widget-free, fed row by row as the rows
// arrive. A number that is not finite (a device that sent "-inf") counts the
// row but stays out of its statistic.
struct MeasurementSummary
{
    int rows = 0;
    QDateTime first; // the earliest valid time stamp; invalid while none came
    QDateTime last;  // the latest
    int forces = 0;  // rows whose force is a number
    double forceMin = 0;
    double forceMax = 0;
    double forceSum = 0;
    int positions = 0; // rows whose sleeve position is a number
    double positionMin = 0;
    double positionMax = 0;

    void add(const MeasurementRow &row);
    double forceMean() const;

    // The line, with the locale's dates and numbers.
    QString text(const QLocale &locale) const;
};
