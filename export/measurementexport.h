#pragma once

#include "protocol/measurementrow.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The measurement export: the text of the two tab-separated files (point file
// and comma file), their names, and writing one of them to disk. Widget-free;
// the controller reads the table and shows the preview and any warning.
namespace MeasurementExport {

// "Kalvor_yyyy_MM_dd_hh_mm_ss_dot.txt" for the export instant (24-hour clock);
// with another suffix, the same name with that ending ("_chart.png").
QString proposedFileName(const QDateTime &instant,
                         const QString &suffix = QStringLiteral("_dot.txt"));

// The export text with LF line ends: the header for the instant and serial
// number, then one line per row (six cells: number, date, time, force, sleeve
// position, device ID). The date cell's ':' become '?', a placeholder that
// both files turn into '.'. A tab, line feed or carriage return inside the
// serial number or a cell becomes a blank.
QString exportText(const QDateTime &instant, const QString &serialNumber,
                   const QList<QStringList> &rows);
// The same for measurement rows, from the texts the table shows.
QString exportText(const QDateTime &instant, const QString &serialNumber,
                   const QList<MeasurementRow> &rows);

// The point file's text: every '?' of the export text becomes '.'.
QString pointText(const QString &exportText);

// The comma file's text: every '.' becomes ',', then every '?' becomes '.'.
// Kept for compatibility with existing files, in the header lines (1 to 8)
// only: text before the first "Datensaetze" keeps its '.', and "Huelsenpos,"
// is turned back into "Huelsenpos.".
QString commaText(const QString &exportText);

// The comma file's name for a point file name: "<base>_dot.txt" gives
// "<base>.txt"; any other name loses a trailing ".txt" and gets "_comma.txt".
QString commaFileName(const QString &pointFileName);

// Writes text to fileName (text mode, system encoding) so that the file ends
// up holding exactly the text, all or nothing (FileWriter). Returns an empty
// string on success, otherwise why not, in the window's language.
QString writeExportFile(const QString &fileName, const QString &text);

} // namespace MeasurementExport
