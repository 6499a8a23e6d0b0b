#include "export/workbook.h"
#include "protocol/measuringrange.h"

#include "simulatedread.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

#include <cmath>

#ifndef KALVOR2_QM_FILE
#error "KALVOR2_QM_FILE must name the built translation"
#endif

namespace {

// One cell as LibreOffice read it.
struct Cell
{
    QString type;  // "float", "date", "string", "boolean"; empty for an empty cell
    QString value; // the number or date behind it
    QString text;  // what it shows
};

struct Sheet
{
    QList<QList<Cell>> rows;
    // The chart on the sheet: per series the ranges of its x and y values.
    QList<QPair<QString, QString>> series;
};

using Sheets = QMap<QString, Sheet>;

// Repeated empty rows or cells this many are the sheet's unused rest.
constexpr int unusedRest = 1000;

// The sheets of a flat OpenDocument spreadsheet (.fods).
Sheets readFlatSpreadsheet(const QString &fileName)
{
    Sheets sheets;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return sheets;
    QXmlStreamReader xml(&file);
    Sheet *sheet = nullptr;
    int rowRepeat = 1;
    int inObject = 0; // a chart's own data table is no sheet
    while (!xml.atEnd()) {
        xml.readNext();
        const QString name = xml.qualifiedName().toString();
        if (xml.isEndElement() && name == QLatin1String("draw:object"))
            --inObject;
        if (xml.isEndElement() && name == QLatin1String("table:table-row") && sheet && !inObject) {
            if (rowRepeat >= unusedRest)
                sheet->rows.removeLast();
            for (int i = 1; i < rowRepeat && rowRepeat < unusedRest; ++i)
                sheet->rows.append(sheet->rows.last());
        }
        if (!xml.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (name == QLatin1String("draw:object")) {
            ++inObject;
        } else if (name == QLatin1String("table:table") && !inObject) {
            sheet = &sheets[attributes.value(QLatin1String("table:name")).toString()];
        } else if (!sheet) {
            continue;
        } else if (name == QLatin1String("chart:series")) {
            sheet->series.append(
                {QString(),
                 attributes.value(QLatin1String("chart:values-cell-range-address")).toString()});
        } else if (name == QLatin1String("chart:domain") && !sheet->series.isEmpty()) {
            sheet->series.last().first
                = attributes.value(QLatin1String("table:cell-range-address")).toString();
        } else if (inObject) {
            continue;
        } else if (name == QLatin1String("table:table-row")) {
            rowRepeat
                = qMax(1, attributes.value(QLatin1String("table:number-rows-repeated")).toInt());
            sheet->rows.append(QList<Cell>());
        } else if (name == QLatin1String("table:table-cell") && !sheet->rows.isEmpty()) {
            Cell cell;
            cell.type = attributes.value(QLatin1String("office:value-type")).toString();
            for (const char *attribute :
                 {"office:value", "office:date-value", "office:boolean-value"}) {
                if (attributes.hasAttribute(QLatin1String(attribute)))
                    cell.value = attributes.value(QLatin1String(attribute)).toString();
            }
            const int repeat
                = qMax(1, attributes.value(QLatin1String("table:number-columns-repeated")).toInt());
            cell.text = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            for (int i = 0; i < repeat && repeat < unusedRest; ++i)
                sheet->rows.last().append(cell);
        }
    }
    // The sheet ends with its last row that holds anything.
    for (Sheet &each : sheets) {
        while (!each.rows.isEmpty()
               && std::all_of(each.rows.last().cbegin(), each.rows.last().cend(),
                              [](const Cell &cell) { return cell.type.isEmpty(); }))
            each.rows.removeLast();
    }
    return sheets;
}

// The cells of a one-column range such as "Messwerte.C2:Messwerte.C151" (the
// sheet's name quoted where it needs it).
QList<Cell> rangeCells(const Sheets &sheets, const QString &range)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^'?(.+?)'?\.\$?([A-Z])\$?(\d+):.*\.\$?([A-Z])\$?(\d+)$)"));
    const QRegularExpressionMatch match = pattern.match(range);
    QList<Cell> cells;
    if (!match.hasMatch() || match.captured(2) != match.captured(4))
        return cells;
    const Sheet sheet = sheets.value(match.captured(1));
    const int column = match.captured(2).at(0).unicode() - 'A';
    for (int row = match.captured(3).toInt(); row <= match.captured(5).toInt(); ++row)
        cells.append(sheet.rows.value(row - 1).value(column));
    return cells;
}

QString translated(const char *text)
{
    return QCoreApplication::translate("KalvorIIControl", text);
}

QString isoText(const QDateTime &stamp)
{
    return stamp.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

bool plottable(const MeasurementRow &row)
{
    return row.timeStamp.isValid() && std::isfinite(row.force);
}

} // namespace

class TestWorkbook : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readBySpreadsheet_data();
    void readBySpreadsheet();

private:
    // Converts the workbooks in `folder` to .fods beside them, the way a
    // spreadsheet in `locale` reads them.
    void convert(const QString &folder, const QStringList &files, const QString &locale);
    void check(const Sheets &sheets, const SimulatedRead &read, const QLocale &locale);

    QString m_soffice;
};

void TestWorkbook::initTestCase()
{
    m_soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    QVERIFY2(!m_soffice.isEmpty(),
             "no soffice: scripts/install-deps.sh installs LibreOffice Calc "
             "(libreoffice-calc-nogui), which reads the workbooks here");
}

void TestWorkbook::convert(const QString &folder, const QStringList &files, const QString &locale)
{
    // A profile of its own: no clash with another run, no trace of the
    // user's settings.
    QTemporaryDir profile;
    QVERIFY(profile.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), locale + QStringLiteral(".UTF-8"));
    environment.insert(QStringLiteral("LANG"), locale + QStringLiteral(".UTF-8"));
    QProcess soffice;
    soffice.setProcessEnvironment(environment);
    soffice.setWorkingDirectory(folder);
    soffice.setProcessChannelMode(QProcess::MergedChannels);
    soffice.start(m_soffice,
                  QStringList{QStringLiteral("--headless"), QStringLiteral("--norestore"),
                              QStringLiteral("-env:UserInstallation=")
                                  + QUrl::fromLocalFile(profile.path()).toString(),
                              QStringLiteral("--convert-to"), QStringLiteral("fods"),
                              QStringLiteral("--outdir"), folder}
                      + files);
    QVERIFY2(soffice.waitForFinished(180000), "soffice did not finish within three minutes");
    QVERIFY2(soffice.exitCode() == 0, soffice.readAll().constData());
}

void TestWorkbook::check(const Sheets &sheets, const SimulatedRead &read, const QLocale &locale)
{
    QVERIFY2(sheets.contains(translated("Messwerte")), qPrintable(sheets.keys().join(u',')));
    const Sheet &table = sheets[translated("Messwerte")];
    QCOMPARE(table.rows.size(), read.rows.size() + 1); // the header and one row each
    const int forceDecimals = MeasuringRange::forceDecimals(read.info.measuringRange);
    for (qsizetype i = 0; i < read.rows.size(); ++i) {
        const MeasurementRow &row = read.rows.at(i);
        const QList<Cell> &cells = table.rows.at(i + 1);
        QVERIFY(cells.size() >= 5);
        QCOMPARE(cells[0].type, QStringLiteral("float"));
        QCOMPARE(cells[0].value.toInt(), row.number);
        if (row.timeStamp.isValid()) {
            QCOMPARE(cells[1].type, QStringLiteral("date"));
            QCOMPARE(cells[1].value, isoText(row.timeStamp));
        } else {
            // What the device sent stays visible, as the table shows it.
            QCOMPARE(cells[1].type, QStringLiteral("string"));
            QVERIFY2(cells[1].text.contains(row.cells.at(MeasurementRow::Date))
                         && cells[1].text.contains(row.cells.at(MeasurementRow::Time)),
                     qPrintable(cells[1].text));
        }
        if (std::isfinite(row.force)) {
            QCOMPARE(cells[2].type, QStringLiteral("float"));
            QCOMPARE(cells[2].value.toDouble(), row.force);
            // The spreadsheet shows it in its own language, with the
            // measuring range's decimals.
            QCOMPARE(cells[2].text, locale.toString(row.force, 'f', forceDecimals));
        } else {
            QCOMPARE(cells[2].type, QStringLiteral("string"));
            QCOMPARE(cells[2].text, row.cells.at(MeasurementRow::Force));
        }
        QCOMPARE(cells[3].type, QStringLiteral("float"));
        QCOMPARE(cells[3].value.toDouble(), row.sleevePosition);
        QCOMPARE(cells[4].type, QStringLiteral("float"));
        QCOMPARE(cells[4].value.toInt(), row.deviceId);
    }

    // The serial number keeps its leading zeros.
    const Sheet &device = sheets.value(translated("Gerät"));
    const auto serial = [&](const QList<Cell> &cells) {
        return std::any_of(cells.cbegin(), cells.cend(), [&](const Cell &cell) {
            return cell.type == QLatin1String("string") && cell.text == read.info.serialNumber;
        });
    };
    QVERIFY(read.info.serialNumber.startsWith(u'0'));
    QVERIFY(std::any_of(device.rows.cbegin(), device.rows.cend(), serial));

    // The chart plots every row that has a time and a force, and nothing of
    // the others: a text among its values would spoil the whole curve.
    QVERIFY2(sheets.contains(translated("Diagramm")), qPrintable(sheets.keys().join(u',')));
    const Sheet &chart = sheets[translated("Diagramm")];
    QCOMPARE(chart.series.size(), 1);
    const QList<Cell> xs = rangeCells(sheets, chart.series.first().first);
    const QList<Cell> ys = rangeCells(sheets, chart.series.first().second);
    QCOMPARE(xs.size(), read.rows.size());
    QCOMPARE(ys.size(), read.rows.size());
    for (qsizetype i = 0; i < read.rows.size(); ++i) {
        const MeasurementRow &row = read.rows.at(i);
        if (plottable(row)) {
            QCOMPARE(xs[i].type, QStringLiteral("date"));
            QCOMPARE(xs[i].value, isoText(row.timeStamp));
            QCOMPARE(ys[i].type, QStringLiteral("float"));
            QCOMPARE(ys[i].value.toDouble(), row.force);
        } else {
            QCOMPARE(xs[i].type, QString());
            QCOMPARE(ys[i].type, QString());
        }
    }
}

void TestWorkbook::readBySpreadsheet_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("englishWindow");

    // A German spreadsheet reading a workbook with German texts, an English
    // one reading a workbook written by the English window.
    QTest::newRow("German") << "de_DE" << false;
    QTest::newRow("English") << "en_US" << true;
}

// Workbooks as LibreOffice Calc reads them: real dates and numbers equal to
// the rows', in a German and an English spreadsheet alike; the table's text
// where the device sent no date or number; the device sheet; the chart.
void TestWorkbook::readBySpreadsheet()
{
    QFETCH(QString, locale);
    QFETCH(bool, englishWindow);

    QTranslator translator;
    if (englishWindow) {
        QVERIFY(translator.load(QStringLiteral(KALVOR2_QM_FILE)));
        QCoreApplication::installTranslator(&translator);
    }
    const auto uninstall = qScopeGuard([&] { QCoreApplication::removeTranslator(&translator); });
    if (englishWindow)
        QVERIFY(translated("Messwerte") != QLatin1String("Messwerte"));

    // A read as it comes, and one with a broken time stamp and two forces
    // of "-inf", whose chart cannot take the visible columns.
    const QList<SimulatedRead> reads{simulatedRead(12), simulatedRead(12, {3}, {5, 9})};
    const QStringList names{QStringLiteral("clean.xlsx"), QStringLiteral("broken.xlsx")};
    QVERIFY(!reads[1].rows[2].timeStamp.isValid() && std::isinf(reads[1].rows[4].force));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QDateTime exportedAt(QDate(2026, 12, 7), QTime(9, 31, 12));
    for (int i = 0; i < reads.size(); ++i)
        QCOMPARE(Workbook::writeWorkbook(dir.filePath(names[i]), reads[i].rows, reads[i].info,
                                         exportedAt),
                 QString());

    convert(dir.path(), names, locale);
    if (QTest::currentTestFailed())
        return;
    for (int i = 0; i < reads.size(); ++i) {
        const QString converted = dir.filePath(QFileInfo(names[i]).baseName() + ".fods");
        check(readFlatSpreadsheet(converted), reads[i], QLocale(locale));
        if (QTest::currentTestFailed()) {
            qWarning("in %s", qPrintable(names[i]));
            return;
        }
    }
}

QTEST_GUILESS_MAIN(TestWorkbook)

#include "tst_workbook.moc"
