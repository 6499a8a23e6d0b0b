#include "exportsession.h"

#include "export/measurementexport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

// The window's texts share one translation context.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(KalvorIIControl)
};

// A user who sees no error believes the measurements saved and may clear the
// device next: a failed export must be said out loud.
bool writeOrWarn(QWidget *parent, const QString &fileName, const QString &text)
{
    const QString reason = MeasurementExport::writeExportFile(fileName, text);
    if (reason.isEmpty())
        return true;
    warnNotWritten(parent, fileName, reason);
    return false;
}

// The comma file's name is derived, not chosen: a file of that name may be
// anything, so it is replaced only when the user says so.
bool mayReplace(QWidget *parent, const QString &fileName)
{
    QMessageBox box(
        QMessageBox::Question, Texts::tr("Export"),
        Texts::tr("Die Datei %1 gibt es schon.").arg(QDir::toNativeSeparators(fileName)),
        QMessageBox::Yes | QMessageBox::No, parent);
    box.setInformativeText(
        Texts::tr("Soll sie durch die Kommadatei dieses Exports ersetzt werden?"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace

QString exportSaveDialog(QWidget *parent, const QString &proposedPath)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save as"), proposedPath,
                                        QStringLiteral("Log Dateien (*.txt);; Alle Dateien (*.*)"));
}

void warnNotWritten(QWidget *parent, const QString &fileName, const QString &reason)
{
    QMessageBox::warning(
        parent, Texts::tr("Export"),
        Texts::tr("Die Datei %1 konnte nicht geschrieben werden:\n%2")
            .arg(QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath()), reason));
}

ExportOutcome runExport(QWidget *parent, const QDateTime &instant, const QString &serialNumber,
                        const QList<MeasurementRow> &rows, const ExportFileChooser &chooseFile,
                        const std::function<void(const QString &)> &showPreview)
{
    ExportOutcome outcome;
    const QString chosen = chooseFile(QDir::currentPath() + QLatin1Char('/')
                                      + MeasurementExport::proposedFileName(instant));
    if (chosen.isEmpty())
        return outcome; // cancelled: no file, no preview
    outcome.pointFile = QFileInfo(chosen).absoluteFilePath();
    outcome.commaFile = MeasurementExport::commaFileName(outcome.pointFile);
    // A folder of that name is no file to ask about: the write fails and
    // says so.
    const QFileInfo commaInfo(outcome.commaFile);
    const bool commaExisted = commaInfo.exists() && !commaInfo.isDir();

    QList<QStringList> cells;
    cells.reserve(rows.size());
    for (const MeasurementRow &row : rows)
        cells << row.cells;
    const QString text = MeasurementExport::exportText(instant, serialNumber, cells);
    const QString pointText = MeasurementExport::pointText(text);

    outcome.status = ExportOutcome::Failed;
    if (!writeOrWarn(parent, outcome.pointFile, pointText))
        return outcome;
    outcome.status = ExportOutcome::Written;
    showPreview(pointText);
    if (!commaExisted || mayReplace(parent, outcome.commaFile))
        outcome.commaWritten
            = writeOrWarn(parent, outcome.commaFile, MeasurementExport::commaText(text));
    return outcome;
}
