#pragma once

#include "protocol/measurementrow.h"
#include "protocol/readinfo.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>

class QWidget;

// One press of "Export": the save dialog, the point file, the preview, the
// comma file, and a warning for whatever could not be written.
struct ExportOutcome
{
    enum Status { Cancelled, Failed, Written };
    Status status = Cancelled;
    QString pointFile;         // absolute path, once chosen
    QString commaFile;         // absolute path, once chosen; empty for a workbook
    bool commaWritten = false; // false: the user kept an existing file, or writing failed
    bool workbook = false;     // the point file is a workbook, and the only file
};

// A name in the save dialog, with the file type its list shows: the text
// files (the point and the comma file) or a workbook.
struct ExportChoice
{
    QString fileName; // empty: the user cancelled
    QString filter;
};

// Asks for the file's name, given the proposed one (with its folder and
// type) and the types to choose from.
using ExportFileChooser
    = std::function<ExportChoice(const ExportChoice &proposed, const QStringList &filters)>;

// The window's way of asking: the save dialog.
ExportChoice exportSaveDialog(QWidget *parent, const ExportChoice &proposed,
                              const QStringList &filters);

// Tells the user that `fileName` could not be written, and why.
void warnNotWritten(QWidget *parent, const QString &fileName, const QString &reason);

// `chooseFile` asks for the file's name and type; `showPreview` gets the
// point file's text once that file is written. The dialog starts in the
// folder of the last export, with the type chosen last (both kept in the
// user's settings). A name ending in ".xlsx" gives a workbook and one ending
// in ".txt" the text files, whatever type the list shows; any other name
// gets the type the list shows. `read` is what the workbook's device sheet
// says about the rows.
ExportOutcome runExport(QWidget *parent, const QDateTime &instant, const QString &serialNumber,
                        const QList<MeasurementRow> &rows, const ReadInfo &read,
                        const ExportFileChooser &chooseFile,
                        const std::function<void(const QString &)> &showPreview);

// What the status line says after an export that was not cancelled: a
// warning when the point file could not be written, else the files' names;
// the paths go in the tool tip.
struct ExportStatus
{
    QString text;
    bool warning = false;
    QString toolTip;
};
ExportStatus exportStatus(const ExportOutcome &outcome);
