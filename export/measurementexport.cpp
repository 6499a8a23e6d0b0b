#include "measurementexport.h"

#include "export/filewriter.h"

#include <QTextStream>

namespace MeasurementExport {

namespace {

const QLatin1String dotSuffix("_dot.txt");
const QLatin1String txtSuffix(".txt");
// Lines 1 to 8: the title, serial number, date, time, count, two empty
// lines and the column names.
constexpr int headerLines = 8;

// A cell as the file may hold it: a tab, line feed or carriage return from
// the device would add a column or a line.
QString cellText(QString text)
{
    for (QChar &c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace

QString proposedFileName(const QDateTime &instant, const QString &suffix)
{
    return QStringLiteral("Kalvor_") + instant.toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss"))
        + suffix;
}

QString exportText(const QDateTime &instant, const QString &serialNumber,
                   const QList<MeasurementRow> &rows)
{
    QList<QStringList> cells;
    cells.reserve(rows.size());
    for (const MeasurementRow &row : rows)
        cells << row.cells;
    return exportText(instant, serialNumber, cells);
}

QString exportText(const QDateTime &instant, const QString &serialNumber,
                   const QList<QStringList> &rows)
{
    const QChar tab(QLatin1Char('\t'));
    const QChar lf(QLatin1Char('\n'));

    QString text;
    text.reserve(200 + rows.size() * 48);
    text += QStringLiteral("Kalvor 2 data export\n");
    text += QStringLiteral("Serial number:\t") + cellText(serialNumber) + lf;
    text += QStringLiteral("Date:\t") + instant.toString(QStringLiteral("yyyy.MM.dd")) + lf;
    text += QStringLiteral("Time:\t") + instant.toString(QStringLiteral("hh:mm:ss")) + lf;
    text += QStringLiteral("Number of measurements:\t") + QString::number(rows.size())
        + QStringLiteral("\n\n\n");
    text += QStringLiteral("Number\tDate\tTime\tForce [kN]\tSleeve[mm]\tDeviceID\n");

    for (const QStringList &row : rows) {
        // The date cell's ':' must end up as '.' in both files, while the
        // time cell keeps its ':'; '?' marks them until the files are derived.
        QString date = cellText(row.value(1));
        date.replace(QLatin1Char(':'), QLatin1Char('?'));
        text += cellText(row.value(0)) + tab + date + tab + cellText(row.value(2)) + tab
            + cellText(row.value(3)) + tab + cellText(row.value(4)) + tab + cellText(row.value(5))
            + lf;
    }
    return text;
}

QString pointText(const QString &exportText)
{
    QString text = exportText;
    text.replace(QLatin1Char('?'), QLatin1Char('.'));
    return text;
}

QString commaText(const QString &exportText)
{
    // Two exceptions that files users already have were written with, held
    // to the header (in practice the serial number's line), so that no
    // cell's text changes how other cells are converted: header text in
    // front of the first "Datensaetze" keeps its points, and "Huelsenpos,"
    // is turned back into "Huelsenpos.". Without those words - the normal
    // case - the whole text is converted.
    qsizetype headerEnd = 0;
    for (int line = 0; line < headerLines && headerEnd >= 0; ++line) {
        headerEnd = exportText.indexOf(QLatin1Char('\n'), headerEnd);
        if (headerEnd >= 0)
            ++headerEnd;
    }
    if (headerEnd < 0)
        headerEnd = exportText.size();
    QString header = exportText.left(headerEnd);
    const qsizetype keep = qMax<qsizetype>(0, header.indexOf(QLatin1String("Datensaetze")));
    QString converted = header.mid(keep);
    converted.replace(QLatin1Char('.'), QLatin1Char(','));
    converted.replace(QLatin1String("Huelsenpos,"), QLatin1String("Huelsenpos."));
    header = header.left(keep) + converted;

    QString body = exportText.mid(headerEnd);
    body.replace(QLatin1Char('.'), QLatin1Char(','));
    QString text = header + body;
    text.replace(QLatin1Char('?'), QLatin1Char('.'));
    return text;
}

QString commaFileName(const QString &pointFileName)
{
    // "<base>_dot.txt" (the proposed name) gives "<base>.txt", as files users
    // already have are named. A bare "_dot.txt" has no base: cutting it would
    // leave the hidden name ".txt", so it falls to the general rule.
    if (pointFileName.endsWith(dotSuffix) && pointFileName.size() > dotSuffix.size()) {
        const QChar before = pointFileName.at(pointFileName.size() - dotSuffix.size() - 1);
        if (before != QLatin1Char('/') && before != QLatin1Char('\\'))
            return pointFileName.chopped(dotSuffix.size()) + txtSuffix;
    }

    // Any other name keeps all of its base, so the comma file can never land
    // on a name like "C:/data/.txt" or on an unrelated file.
    QString base = pointFileName;
    if (base.endsWith(txtSuffix, Qt::CaseInsensitive))
        base.chop(txtSuffix.size());
    return base + QStringLiteral("_comma.txt");
}

QString writeExportFile(const QString &fileName, const QString &text)
{
    const FileWriter::Result result = FileWriter::write(
        fileName,
        [&text](QIODevice &device) {
            QTextStream stream(&device);
            stream.setEncoding(QStringConverter::System);
            stream << text;
            stream.flush();
            return stream.status() == QTextStream::Ok;
        },
        QIODevice::Text);
    return result.reason;
}

} // namespace MeasurementExport
