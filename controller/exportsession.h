#pragma once

#include "protocol/measurementrow.h"

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
    QString commaFile;         // absolute path, once chosen
    bool commaWritten = false; // false: the user kept an existing file, or writing failed
};

// Asks for the point file's name, given the proposed one with its folder;
// an empty name: the user cancelled.
using ExportFileChooser = std::function<QString(const QString &proposedPath)>;

// The window's way of asking: the save dialog.
QString exportSaveDialog(QWidget *parent, const QString &proposedPath);

// Tells the user that `fileName` could not be written, and why.
void warnNotWritten(QWidget *parent, const QString &fileName, const QString &reason);

// `chooseFile` asks for the point file's name; `showPreview` gets the point
// file's text once that file is written.
ExportOutcome runExport(QWidget *parent, const QDateTime &instant, const QString &serialNumber,
                        const QList<MeasurementRow> &rows, const ExportFileChooser &chooseFile,
                        const std::function<void(const QString &)> &showPreview);
