// The measurement archive alone (no widgets), on a file in the temporary
// folder: what keeping a full 10,000-record read costs the clock ticks, how
// fast the archive lists its reads and loads a read, and how big it grows.

#include "archive/measurementarchive.h"
#include "benchutil.h"
#include "parserside.h"
#include "protocol/reportdrain.h"
#include "protocol/reportparser.h"
#include "reportgenerator.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>

namespace {

constexpr int records = 10000;
constexpr int rowsPerTick = 250; // the parser's limit per clock tick
// What 115200 baud (8N1) brings in one 100 ms tick.
constexpr int wireBytesPerTick = 115200 / 10 / 10;

// The rows the parser makes of the report, as the window would hand them on.
QList<MeasurementRow> parsedRows(const QString &report)
{
    ParserSide<ReportParser> side;
    side.accumulator = report;
    while (drainReports(
        side.accumulator, [&](QString &) { return side.call(); },
        [&] { return side.parser.recordWaiting(); })) { }
    return side.sink.typedRows();
}

ReadInfo benchInfo()
{
    ReadInfo info;
    info.startedAt = QDateTime::currentDateTime();
    info.serialNumber = QStringLiteral("123456");
    info.firmwareVersion = QStringLiteral("V 1.23");
    info.checkDate = QStringLiteral("15.03.2026");
    info.measuringRange = 50;
    info.settings = DeviceSettings::factoryDefaults();
    info.settingsKnown = true;
    return info;
}

void check(const QString &failure, const char *what)
{
    if (!failure.isEmpty())
        qFatal("archive %s failed: %s", what, qPrintable(failure));
}

struct CallTimes
{
    double totalMs = 0;
    double worstMs = 0;

    void time(const std::function<QString()> &call, const char *what)
    {
        QElapsedTimer timer;
        timer.start();
        const QString failure = call();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        check(failure, what);
        totalMs += ms;
        worstMs = std::max(worstMs, ms);
    }
};

// One read archived as the ticks would hand it over. One report: the bytes
// arrive at the wire's pace while nothing can be parsed, then the rows come
// 250 a tick. A report per record: each tick brings its bytes and the ten or
// so rows in them. Returns the archive calls' times.
CallTimes archiveRead(MeasurementArchive &archive, const QList<MeasurementRow> &rows,
                      const QByteArray &bytes, bool oneReport)
{
    CallTimes times;
    qint64 id = -1;
    ReadInfo info = benchInfo();
    times.time([&] { return archive.beginRead(info, id); }, "beginRead");
    info.entriesAnnounced = int(rows.size());
    times.time([&] { return archive.updateRead(id, info); }, "updateRead");
    const qsizetype ticks = (bytes.size() + wireBytesPerTick - 1) / wireBytesPerTick;
    if (oneReport) {
        for (qsizetype tick = 0; tick < ticks; ++tick) {
            const QByteArray chunk = bytes.mid(tick * wireBytesPerTick, wireBytesPerTick);
            times.time([&] { return archive.appendRawBytes(id, chunk); }, "appendRawBytes");
        }
        for (qsizetype first = 0; first < rows.size(); first += rowsPerTick) {
            const QList<MeasurementRow> batch = rows.mid(first, rowsPerTick);
            times.time([&] { return archive.appendRows(id, batch); }, "appendRows");
        }
    } else {
        qsizetype rowsDone = 0;
        for (qsizetype tick = 0; tick < ticks; ++tick) {
            const QByteArray chunk = bytes.mid(tick * wireBytesPerTick, wireBytesPerTick);
            const qsizetype rowsDue = rows.size() * (tick + 1) / ticks;
            const QList<MeasurementRow> batch = rows.mid(rowsDone, rowsDue - rowsDone);
            rowsDone = rowsDue;
            times.time([&] { return archive.appendRows(id, batch, chunk); }, "appendRows");
        }
    }
    times.time([&] { return archive.finishRead(id, true, int(rows.size())); }, "finishRead");
    return times;
}

template<typename Work>
double medianMs(int runs, Work work)
{
    QList<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.append(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times.at(runs / 2);
}

} // namespace

void runArchiveFigures()
{
    QTemporaryDir dir;
    if (!dir.isValid())
        qFatal("no temporary folder");
    const QString report = worstLayoutReport(records);
    const QList<MeasurementRow> rows = parsedRows(report);
    if (rows.size() != records)
        qFatal("the parser made %lld rows of %d records", qlonglong(rows.size()), records);
    const QByteArray bytes = report.toLatin1();
    // The same records with a separator behind each, as the device may send them.
    const QByteArray perRecordBytes
        = ReportGenerator(4096)
              .memoryReport(records, ReportGenerator::Layout::ReportPerRecord)
              .toLatin1();

    // Inserting: the median of three reads by total, each into a fresh file.
    for (const bool oneReport : {true, false}) {
        QList<CallTimes> runs;
        for (int run = 0; run < 3; ++run) {
            const QString path = dir.filePath(QStringLiteral("insert-%1-%2.sqlite")
                                                  .arg(oneReport ? "report" : "record")
                                                  .arg(run));
            MeasurementArchive archive;
            if (!archive.open(path).usable())
                qFatal("cannot open %s", qPrintable(path));
            runs.append(archiveRead(archive, rows, oneReport ? bytes : perRecordBytes, oneReport));
        }
        std::sort(runs.begin(), runs.end(),
                  [](const CallTimes &a, const CallTimes &b) { return a.totalMs < b.totalMs; });
        const double worst = std::max({runs.at(0).worstMs, runs.at(1).worstMs, runs.at(2).worstMs});
        const QString suffix = oneReport ? QString() : QStringLiteral("_per_record");
        printFigure(QStringLiteral("archive_insert_ms_10000") + suffix, runs.at(1).totalMs, "ms");
        printFigure(QStringLiteral("archive_worst_call_ms_10000") + suffix, worst, "ms");
    }

    // Size: the file of one such read once closed (closing checkpoints the
    // WAL into the file and removes it), over its rows.
    const QString one = dir.filePath(QStringLiteral("insert-report-0.sqlite"));
    if (QFileInfo::exists(one + QStringLiteral("-wal")))
        qFatal("the WAL was not checkpointed on closing");
    printFigure(QStringLiteral("archive_bytes_per_row"), double(QFileInfo(one).size()) / records,
                "bytes");

    // Loading that read back, rows, information and bytes.
    {
        MeasurementArchive archive;
        if (!archive.open(one).usable())
            qFatal("cannot reopen %s", qPrintable(one));
        QList<ArchivedReadSummary> reads;
        check(archive.listReads(reads), "listReads");
        const double ms = medianMs(5, [&] {
            ArchivedRead read;
            check(archive.loadRead(reads.first().id, read), "loadRead");
            if (read.rows.size() != records || read.rawBytes != bytes)
                qFatal("the loaded read differs");
        });
        printFigure(QStringLiteral("archive_open_ms_10000"), ms, "ms");
    }

    // Listing an archive of 1,000 reads of 100 rows each.
    {
        const QString path = dir.filePath(QStringLiteral("list.sqlite"));
        MeasurementArchive archive;
        if (!archive.open(path).usable())
            qFatal("cannot open %s", qPrintable(path));
        const QList<MeasurementRow> batch = rows.mid(0, 100);
        for (int read = 0; read < 1000; ++read) {
            qint64 id = -1;
            check(archive.beginRead(benchInfo(), id), "beginRead");
            check(archive.appendRows(id, batch, bytes.left(11000)), "appendRows");
            check(archive.finishRead(id, true, int(batch.size())), "finishRead");
        }
        archive.close();
        if (!archive.open(path).usable())
            qFatal("cannot reopen %s", qPrintable(path));
        const double ms = medianMs(5, [&] {
            QList<ArchivedReadSummary> reads;
            check(archive.listReads(reads), "listReads");
            if (reads.size() != 1000)
                qFatal("listed %lld reads", qlonglong(reads.size()));
        });
        printFigure(QStringLiteral("archive_list_ms_1000_reads"), ms, "ms");
    }
}
