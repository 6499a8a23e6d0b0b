#include "rowsoutput.h"

#include "cli/console.h"
#include "cli/exitcode.h"
#include "export/measurementexport.h"
#include "export/workbook.h"
#include "session/statustexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(KalvorIIControl)
};

int notWritten(const QString &fileName, const QString &reason)
{
    return Console::fail(
        ExitCode::notWritten,
        Texts::tr("Die Datei %1 konnte nicht geschrieben werden:\n%2")
            .arg(QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath()), reason));
}

// The export text's lines from the column names on.
QString tableLines(const QString &pointText)
{
    const qsizetype columns = pointText.indexOf(QLatin1String("Number\t"));
    return columns < 0 ? pointText : pointText.mid(columns);
}

} // namespace

int writeRows(const QString &out, const QList<MeasurementRow> &rows, const ReadInfo &info,
              const QString &serialNumber, const QDateTime &instant, bool *toFile)
{
    if (toFile)
        *toFile = false;
    if (out.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)) {
        ReadInfo named = info;
        named.serialNumber = serialNumber;
        const QString reason = Workbook::writeWorkbook(out, rows, named, instant);
        if (!reason.isEmpty())
            return notWritten(out, reason);
        Console::note(exportedStatus(out, QString(), false));
        if (toFile)
            *toFile = true;
        return ExitCode::done;
    }

    const QString text = MeasurementExport::exportText(instant, serialNumber, rows);
    const QString pointText = MeasurementExport::pointText(text);
    if (out.isEmpty() || out == QLatin1String("-")) {
        if (!Console::out(tableLines(pointText)))
            return Console::fail(ExitCode::notWritten,
                                 Texts::tr("Die Standardausgabe nimmt die Messwerte nicht an"));
        return ExitCode::done;
    }

    QString reason = MeasurementExport::writeExportFile(out, pointText);
    if (!reason.isEmpty())
        return notWritten(out, reason);
    const QString commaFile = MeasurementExport::commaFileName(out);
    reason = MeasurementExport::writeExportFile(commaFile, MeasurementExport::commaText(text));
    if (!reason.isEmpty())
        return notWritten(commaFile, reason);
    Console::note(exportedStatus(out, commaFile, true));
    if (toFile)
        *toFile = true;
    return ExitCode::done;
}
