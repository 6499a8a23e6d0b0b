#include "measurementsummary.h"

#include "ui/language.h"

#include <QCoreApplication>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

void MeasurementSummary::add(const MeasurementRow &row)
{
    ++rows;
    if (row.timeStamp.isValid()) {
        if (!first.isValid() || row.timeStamp < first)
            first = row.timeStamp;
        if (!last.isValid() || row.timeStamp > last)
            last = row.timeStamp;
    }
    if (std::isfinite(row.force)) {
        forceMin = forces == 0 ? row.force : std::min(forceMin, row.force);
        forceMax = forces == 0 ? row.force : std::max(forceMax, row.force);
        forceSum += row.force;
        ++forces;
    }
    if (std::isfinite(row.sleevePosition)) {
        positionMin
            = positions == 0 ? row.sleevePosition : std::min(positionMin, row.sleevePosition);
        positionMax
            = positions == 0 ? row.sleevePosition : std::max(positionMax, row.sleevePosition);
        ++positions;
    }
}

double MeasurementSummary::forceMean() const
{
    return forces > 0 ? forceSum / forces : std::numeric_limits<double>::quiet_NaN();
}

// In the chart's translation context: the chart shows the line.
QString MeasurementSummary::text(const QLocale &locale) const
{
    if (rows == 0)
        return QCoreApplication::translate("MeasurementChart", "Keine Messwerte");
    const auto number = [&locale](double value) { return locale.toString(value, 'f', 2); };
    QStringList parts = {QCoreApplication::translate("MeasurementChart", "Messwerte: %1")
                             .arg(locale.toString(rows))};
    if (first.isValid()) {
        const QString format = Language::dateFormat(locale);
        const QString from = locale.toString(first.date(), format);
        const QString to = locale.toString(last.date(), format);
        parts << (from == to
                      ? from
                      : QCoreApplication::translate("MeasurementChart", "%1 bis %2").arg(from, to));
    }
    if (forces > 0)
        parts << QCoreApplication::translate("MeasurementChart", "Kraft %1 bis %2 kN (Mittel %3)")
                     .arg(number(forceMin), number(forceMax), number(forceMean()));
    if (positions > 0)
        parts << QCoreApplication::translate("MeasurementChart", "Hülsenposition %1 bis %2 mm")
                     .arg(number(positionMin), number(positionMax));
    return parts.join(QStringLiteral(" · "));
}
