#pragma once

#include "protocol/measurementrow.h"

#include <QList>

class QTreeWidget;

// The measurement page's table of rows.
namespace MeasurementTable {

// Sizes the columns for a five-digit number, a date, a time and a force
// before any measurement has been read, with a placeholder row that is
// removed again.
void primeColumnWidths(QTreeWidget *tree);

// The table shows `rows`, and only them, in their order.
void show(QTreeWidget *tree, const QList<MeasurementRow> &rows);

} // namespace MeasurementTable
