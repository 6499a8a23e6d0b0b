#pragma once

#include <QString>

class MeasurementChart;

// Writes the chart's current view into `fileName` (an SVG for a name ending
// in ".svg", a PNG otherwise) through a temporary file renamed into place, so
// that an earlier file of that name stays as it was when writing fails.
// Returns an empty string, or the system's reason it could not be written
// (and in `systemError` its error number, where it gave one).
QString saveChartImage(const MeasurementChart &chart, const QString &fileName,
                       int *systemError = nullptr);
