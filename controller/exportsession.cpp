#include "exportsession.h"

#include "export/measurementexport.h"
#include "export/workbook.h"
#include "session/statustexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>

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

const QLatin1String workbookSuffix(".xlsx");
const QLatin1String textSuffix(".txt");
// Where the user's settings keep the last export's folder and type.
const QLatin1String folderKey("export/folder");
const QLatin1String typeKey("export/type");

QSettings userSettings()
{
    return QSettings(QStringLiteral("kalvor2"), QStringLiteral("kalvor2"));
}

} // namespace

ExportChoice exportSaveDialog(QWidget *parent, const ExportChoice &proposed,
                              const QStringList &filters)
{
    ExportChoice chosen;
    chosen.filter = proposed.filter;
    chosen.fileName
        = QFileDialog::getSaveFileName(parent, QStringLiteral("Save as"), proposed.fileName,
                                       filters.join(QLatin1String(";;")), &chosen.filter);
    return chosen;
}

void warnNotWritten(QWidget *parent, const QString &fileName, const QString &reason)
{
    QMessageBox::warning(
        parent, Texts::tr("Export"),
        Texts::tr("Die Datei %1 konnte nicht geschrieben werden:\n%2")
            .arg(QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath()), reason));
}

ExportOutcome runExport(QWidget *parent, const QDateTime &instant, const QString &serialNumber,
                        const QList<MeasurementRow> &rows, const ReadInfo &read,
                        const ExportFileChooser &chooseFile,
                        const std::function<void(const QString &)> &showPreview)
{
    const QString textFilter = Texts::tr("Textdateien (*.txt)");
    const QString workbookFilter = Texts::tr("Excel-Arbeitsmappe (*.xlsx)");
    QSettings settings = userSettings();
    const bool workbookLast = settings.value(typeKey).toString() == QLatin1String("xlsx");
    const QString folder = settings.value(folderKey, QDir::currentPath()).toString();
    const ExportChoice proposed{
        folder + QLatin1Char('/')
            + MeasurementExport::proposedFileName(
                instant, workbookLast ? QString(workbookSuffix) : QStringLiteral("_dot.txt")),
        workbookLast ? workbookFilter : textFilter};

    ExportOutcome outcome;
    const ExportChoice chosen = chooseFile(proposed, {textFilter, workbookFilter});
    if (chosen.fileName.isEmpty())
        return outcome; // cancelled: no file, no preview
    // What the user typed decides; without a type of its own the name gets
    // the one the list shows.
    QString fileName = chosen.fileName;
    outcome.workbook = fileName.endsWith(workbookSuffix, Qt::CaseInsensitive)
        || (!fileName.endsWith(textSuffix, Qt::CaseInsensitive) && chosen.filter == workbookFilter);
    if (outcome.workbook && !fileName.endsWith(workbookSuffix, Qt::CaseInsensitive))
        fileName += workbookSuffix;
    outcome.pointFile = QFileInfo(fileName).absoluteFilePath();
    settings.setValue(folderKey, QFileInfo(outcome.pointFile).absolutePath());
    settings.setValue(typeKey, outcome.workbook ? QStringLiteral("xlsx") : QStringLiteral("txt"));

    outcome.status = ExportOutcome::Failed;
    if (outcome.workbook) {
        ReadInfo info = read;
        info.serialNumber = serialNumber;
        const QString reason = Workbook::writeWorkbook(outcome.pointFile, rows, info, instant);
        if (!reason.isEmpty()) {
            warnNotWritten(parent, outcome.pointFile, reason);
            return outcome;
        }
        outcome.status = ExportOutcome::Written;
        return outcome;
    }

    outcome.commaFile = MeasurementExport::commaFileName(outcome.pointFile);
    // A folder of that name is no file to ask about: the write fails and
    // says so.
    const QFileInfo commaInfo(outcome.commaFile);
    const bool commaExisted = commaInfo.exists() && !commaInfo.isDir();

    const QString text = MeasurementExport::exportText(instant, serialNumber, rows);
    const QString pointText = MeasurementExport::pointText(text);

    if (!writeOrWarn(parent, outcome.pointFile, pointText))
        return outcome;
    outcome.status = ExportOutcome::Written;
    showPreview(pointText);
    if (!commaExisted || mayReplace(parent, outcome.commaFile))
        outcome.commaWritten
            = writeOrWarn(parent, outcome.commaFile, MeasurementExport::commaText(text));
    return outcome;
}

ExportStatus exportStatus(const ExportOutcome &outcome)
{
    const QString pointPath = QDir::toNativeSeparators(outcome.pointFile);
    if (outcome.status != ExportOutcome::Written)
        return {Texts::tr("Nicht exportiert: %1 konnte nicht geschrieben werden")
                    .arg(QFileInfo(outcome.pointFile).fileName()),
                true, pointPath};
    return {exportedStatus(outcome.pointFile, outcome.commaFile, outcome.commaWritten), false,
            pointPath
                + (outcome.commaWritten
                       ? QLatin1Char('\n') + QDir::toNativeSeparators(outcome.commaFile)
                       : QString())};
}
