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

// Why `fileName` could not be written, in the window's language, with the
// system's own message in brackets: the kinds a user can act on (a missing
// or read-only folder, no permission, a full disk, a name too long) are told
// apart by the error number and by looking at the place.
QString writeFailure(const QString &fileName, const QString &systemMessage, int systemError);

// Tells the user that `fileName` could not be written, and why.
void warnNotWritten(QWidget *parent, const QString &fileName, const QString &reason);

// `showPreview` gets the point file's text once that file is written.
ExportOutcome runExport(QWidget *parent, const QDateTime &instant, const QString &serialNumber,
                        const QList<MeasurementRow> &rows,
                        const std::function<void(const QString &)> &showPreview);
