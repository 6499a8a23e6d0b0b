#pragma once

#include "protocol/measurementrow.h"
#include "protocol/readinfo.h"

#include <QDateTime>
#include <QList>
#include <QString>

// Writes a read's rows where --out says, with the window's export functions,
// so that the files are byte for byte those the window writes of the same
// rows at the same instant: a name ending in .xlsx gives the workbook, one
// ending in .txt the point file and the comma file beside it, an empty name
// or "-" the table's lines (the column names, then one tab-separated line per
// row, as in the point file) on standard output.
//
// Returns 0 or ExitCode::notWritten, having said on standard error what was
// written or why not. `serialNumber` is the one the files name.
int writeRows(const QString &out, const QList<MeasurementRow> &rows, const ReadInfo &info,
              const QString &serialNumber, const QDateTime &instant, bool *toFile = nullptr);
