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

// Writes that workbook to `fileName` the way the text files are written: into
// a temporary file in the target folder, renamed over the target only when
// complete. Returns an empty string on success, otherwise the system's reason
// (`systemError` gets the error number where the system gave one); a failure
// leaves no file behind and an earlier file of that name as it was.
QString writeWorkbook(const QString &fileName, const QList<MeasurementRow> &rows,
                      const ReadInfo &read, const QDateTime &exportedAt,
                      int *systemError = nullptr);

} // namespace Workbook
