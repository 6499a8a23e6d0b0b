#pragma once

#include "protocol/measurementrow.h"
#include "protocol/readinfo.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// The measurements as a spreadsheet workbook (.xlsx, through libxlsxwriter)
// that opens as it is, with real dates and numbers: the sheet "Messwerte"
// (one row per measurement), the sheet "Gerät" (the device and the read) and
// the chart sheet "Diagramm" (the force over time). Widget-free, so that the
// window, an archived read and the command-line program write the same
// workbook from the same rows. Its texts are the window's, in the window's
// language.
namespace Workbook {

// The workbook of one read's rows, exported at `exportedAt` (the PC's local
// time). A cell whose number the device sent broken (no date and time, a
// force of "nan" or "-inf") holds the table's text instead. The same
// arguments give the same bytes. Empty, with the reason in `error`, when the
// workbook could not be made.
QByteArray workbookBytes(const QList<MeasurementRow> &rows, const ReadInfo &read,
                         const QDateTime &exportedAt, QString *error = nullptr);

// Writes that workbook to `fileName` as every file of the program is written
// (export/filewriter.h): all or nothing. Returns an empty string on success,
// otherwise why not, in the window's language.
QString writeWorkbook(const QString &fileName, const QList<MeasurementRow> &rows,
                      const ReadInfo &read, const QDateTime &exportedAt);

} // namespace Workbook
