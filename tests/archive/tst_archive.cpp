#include "archive/archiveschema.h"
#include "archive/measurementarchive.h"

#include "filesizelimit.h"
#include "parserside.h"
#include "protocol/reportdrain.h"
#include "reportgenerator.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <cmath>
#include <cstdio>
#include <unistd.h>

using OpenOutcome = MeasurementArchive::OpenOutcome;

namespace {

const char writerOption[] = "--archive-writer";
constexpr int writerBatchRows = 1000;

// The rows the parser makes of the device text.
QList<MeasurementRow> parsedRows(const QString &deviceText)
{
    ParserSide<ReportParser> side;
    side.accumulator = deviceText;
    while (drainReports(
        side.accumulator, [&](QString &) { return side.call(); },
        [&] { return side.parser.recordWaiting(); })) { }
    return side.sink.typedRows();
}

// A record as the device sends it, with the given stamp and force texts.
QString deviceRecord(const QString &stamp, const QString &force)
{
    return QStringLiteral("Nr.: 1\nJJJJ:MM:DD:d:hh:mm:ss\n%1\nMesswert: %2Pos.: 045ID: 004\n")
               .arg(stamp, force)
        + ReportGenerator::separator() + u'\n';
}

// Rows numbered from `first` on, as the writer child appends them.
QList<MeasurementRow> numberedRows(int first, int count)
{
    QList<MeasurementRow> rows;
    for (int number = first; number < first + count; ++number) {
        MeasurementRow row;
        row.number = number;
        row.force = number / 100.0;
        row.sleevePosition = number % 200 / 10.0;
        row.deviceId = number % 32;
        row.timeStamp = QDateTime::fromSecsSinceEpoch(1'700'000'000 + number, Qt::UTC);
        row.cells = QStringList{QString::number(number),
                                row.timeStamp.toString(QStringLiteral("yyyy:MM:dd")),
                                row.timeStamp.toString(QStringLiteral("hh:mm:ss")),
                                QString::number(row.force, 'f', 2),
                                QString::number(row.sleevePosition, 'g', 6),
                                QString::number(row.deviceId)};
        rows.append(row);
    }
    return rows;
}

ReadInfo sampleInfo(const QString &serialNumber)
{
    ReadInfo info;
    info.startedAt = QDateTime::currentDateTime();
    info.serialNumber = serialNumber;
    return info;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<cannot read>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The first value of a statement on a connection of its own, as another
// program would see the file; empty on failure.
QString ask(const QString &path, const QString &statement)
{
    const QString name = QStringLiteral("tst_archive-ask");
    QString answer;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(statement) && query.next())
                answer = query.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return answer;
}

// A child that appends batches to one read until it is killed; after each
// committed batch it says so on stdout.
int runWriter(const QString &path)
{
    MeasurementArchive archive;
    if (!archive.open(path).usable())
        return 2;
    qint64 id = -1;
    if (!archive.beginRead(sampleInfo(QStringLiteral("900001")), id).isEmpty())
        return 3;
    const QByteArray raw(2048, 'r');
    // Made once: between a report and the next batch's first row the
    // child does next to nothing, so that the kill lands while it writes.
    QList<MeasurementRow> rows = numberedRows(1, writerBatchRows);
    for (int batch = 0;; ++batch) {
        for (int i = 0; i < writerBatchRows; ++i) {
            rows[i].number = batch * writerBatchRows + i + 1;
            rows[i].cells[MeasurementRow::Number] = QString::number(rows[i].number);
        }
        if (!archive.appendRows(id, rows, raw).isEmpty())
            return 4;
        std::printf("batch %d\n", batch + 1);
        std::fflush(stdout);
    }
}

} // namespace

class TestArchive : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip();
    void listMarksAndDelete();
    void killedWriter();
    void newerLayoutReadOnly();
    void damagedFileMovedAside_data();
    void damagedFileMovedAside();
    void unwritableFolder_data();
    void unwritableFolder();
    void writeFailureMidRead_data();
    void writeFailureMidRead();
};

// A read's rows (numbers and texts, broken stamps and non-finite numbers
// included), its information and its bytes come back from a reopened file as
// they went in.
void TestArchive::roundTrip()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("archive.sqlite");

    ReportGenerator generator(7);
    QString deviceText = generator.configurationReport()
        + generator.memoryReport(40, ReportGenerator::Layout::ReportPerRecord);
    // February 30th, hour 25: no instant. " nan" and "-inf" fill the force's
    // five characters behind the stamp's line break.
    deviceText += deviceRecord(QStringLiteral("2012:02:30:1:25:07:59"), QStringLiteral("-inf"));
    deviceText += deviceRecord(QStringLiteral("2012:03:05:1:14:07:59"), QStringLiteral(" nan"));
    const QList<MeasurementRow> rows = parsedRows(deviceText);
    QCOMPARE(rows.size(), 42);
    QVERIFY(!rows.at(40).timeStamp.isValid() && std::isinf(rows.at(40).force));
    QVERIFY(std::isnan(rows.at(41).force));
    QCOMPARE(rows.at(41).cells.at(MeasurementRow::Force), QStringLiteral("nan"));

    ReadInfo info;
    info.startedAt = QDateTime(QDate(2026, 12, 6), QTime(14, 5, 9, 123));
    info.serialNumber = "123456";
    info.firmwareVersion = "V 1.23";
    info.checkDate = "15.03.2026";
    info.measuringRange = 200;
    info.settings = DeviceSettings::factoryDefaults();
    info.settings.cycles = 4096;
    info.settingsKnown = true;
    // More than a chunk, with every byte value.
    const QByteArray firstBytes = deviceText.left(500).toLatin1();
    QByteArray laterBytes = deviceText.mid(500).toLatin1();
    for (int i = 0; i < MeasurementArchive::rawChunkBytes; ++i)
        laterBytes += char(i * 7);

    {
        MeasurementArchive archive;
        QCOMPARE(archive.open(path).outcome, OpenOutcome::Opened);
        qint64 id = -1;
        QCOMPARE(archive.beginRead(info, id), QString());
        QVERIFY(id >= 0);
        info.entriesAnnounced = 42;
        QCOMPARE(archive.updateRead(id, info), QString());
        // Ticks as they come: bytes before any row, rows with bytes, rows alone.
        QCOMPARE(archive.appendRawBytes(id, firstBytes), QString());
        QCOMPARE(archive.appendRows(id, rows.mid(0, 25), laterBytes), QString());
        QCOMPARE(archive.appendRows(id, rows.mid(25)), QString());
        QCOMPARE(archive.finishRead(id, true, 42), QString());
        // The read's end brings the file itself up to date (until then the
        // tables live in the WAL), without waiting for the archive to close.
        QTRY_VERIFY(QFileInfo(path).size() >= 5 * 4096);
    }

    MeasurementArchive archive;
    QCOMPARE(archive.open(path).outcome, OpenOutcome::Opened);
    QList<ArchivedReadSummary> reads;
    QCOMPARE(archive.listReads(reads), QString());
    QCOMPARE(reads.size(), 1);
    ArchivedRead read;
    QCOMPARE(archive.loadRead(reads.first().id, read), QString());

    QCOMPARE(read.info.startedAt, info.startedAt);
    QCOMPARE(read.info.serialNumber, info.serialNumber);
    QCOMPARE(read.info.firmwareVersion, info.firmwareVersion);
    QCOMPARE(read.info.checkDate, info.checkDate);
    QCOMPARE(read.info.measuringRange, info.measuringRange);
    QVERIFY(read.info.settings == info.settings);
    QCOMPARE(read.info.settingsKnown, true);
    QCOMPARE(read.info.entriesAnnounced, 42);
    QCOMPARE(read.info.rowsReceived, 42);
    QCOMPARE(read.info.complete, true);
    QVERIFY(read.summary.archivedWhole());

    QCOMPARE(read.rows.size(), rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        QCOMPARE(read.rows.at(i).cells, rows.at(i).cells);
        QVERIFY2(sameNumbers(read.rows.at(i), rows.at(i)), qPrintable(QString::number(i)));
        QCOMPARE(read.rows.at(i).timeStamp.timeSpec(), rows.at(i).timeStamp.timeSpec());
    }
    QCOMPARE(read.rawBytes, firstBytes + laterBytes);
}

// Newest first; complete, incomplete, unfinished and exported said as they
// are; a read that lost rows to the archive is not whole; a deleted read
// leaves nothing behind.
void TestArchive::listMarksAndDelete()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("archive.sqlite");
    MeasurementArchive archive;
    QVERIFY(archive.open(path).usable());

    qint64 complete = -1, incomplete = -1, lostRows = -1, running = -1;
    QCOMPARE(archive.beginRead(sampleInfo("100001"), complete), QString());
    QCOMPARE(archive.appendRows(complete, numberedRows(1, 30), "raw"), QString());
    QCOMPARE(archive.finishRead(complete, true, 30), QString());
    QCOMPARE(archive.markExported(complete), QString());

    QCOMPARE(archive.beginRead(sampleInfo("100002"), incomplete), QString());
    QCOMPARE(archive.appendRows(incomplete, numberedRows(1, 10)), QString());
    QCOMPARE(archive.finishRead(incomplete, false, 10), QString());

    QCOMPARE(archive.beginRead(sampleInfo("100003"), lostRows), QString());
    QCOMPARE(archive.appendRows(lostRows, numberedRows(1, 5)), QString());
    QCOMPARE(archive.finishRead(lostRows, true, 8), QString());

    QCOMPARE(archive.beginRead(sampleInfo("100004"), running), QString());
    QCOMPARE(archive.appendRows(running, numberedRows(1, 7)), QString());

    QList<ArchivedReadSummary> reads;
    QCOMPARE(archive.listReads(reads), QString());
    QStringList serials;
    for (const ArchivedReadSummary &read : reads)
        serials.append(read.serialNumber);
    QCOMPARE(serials, (QStringList{"100004", "100003", "100002", "100001"}));

    const auto summary = [&](qint64 id) {
        for (const ArchivedReadSummary &read : reads) {
            if (read.id == id)
                return read;
        }
        return ArchivedReadSummary();
    };
    QVERIFY(summary(complete).archivedWhole() && summary(complete).exported);
    QVERIFY(summary(incomplete).finished && !summary(incomplete).complete);
    QVERIFY(!summary(incomplete).archivedWhole() && !summary(incomplete).exported);
    QCOMPARE(summary(lostRows).rowsReceived, 8);
    QCOMPARE(summary(lostRows).rowsArchived, 5);
    QVERIFY(!summary(lostRows).archivedWhole());
    QVERIFY(!summary(running).finished && !summary(running).archivedWhole());
    QCOMPARE(summary(running).rowsReceived, 7);

    QCOMPARE(archive.deleteRead(complete), QString());
    QCOMPARE(archive.listReads(reads), QString());
    QCOMPARE(reads.size(), 3);
    ArchivedRead read;
    QVERIFY(!archive.loadRead(complete, read).isEmpty());
    const QString left
        = QStringLiteral("SELECT (SELECT count(*) FROM measurements WHERE read_id = %1)"
                         " + (SELECT count(*) FROM raw_chunks WHERE read_id = %1)")
              .arg(complete);
    QCOMPARE(ask(path, left), QStringLiteral("0"));

    // Calls about a read that is not there say so.
    QVERIFY(!archive.appendRows(complete, numberedRows(1, 1)).isEmpty());
    QVERIFY(!archive.finishRead(complete, true, 1).isEmpty());
    QVERIFY(!archive.markExported(complete).isEmpty());
    QVERIFY(!archive.deleteRead(complete).isEmpty());
}

// A process killed while it writes leaves a sound archive holding every
// batch it had reported committed, and no half batch.
void TestArchive::killedWriter()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("archive.sqlite");

    QProcess writer;
    writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    writer.start(QCoreApplication::applicationFilePath(), {writerOption, path});
    QVERIFY(writer.waitForStarted());
    QByteArray reported;
    while (reported.count('\n') < 5) {
        QVERIFY2(writer.waitForReadyRead(20000), "the writer reported nothing");
        reported += writer.readAllStandardOutput();
    }
    // Into the next batch's rows, well before its commit.
    QThread::msleep(2);
    writer.kill(); // SIGKILL
    QVERIFY(writer.waitForFinished());
    QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
    reported += writer.readAllStandardOutput();
    const int batches = int(reported.count('\n'));

    QCOMPARE(ask(path, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    MeasurementArchive archive;
    QCOMPARE(archive.open(path).outcome, OpenOutcome::Opened);
    QList<ArchivedReadSummary> reads;
    QCOMPARE(archive.listReads(reads), QString());
    QCOMPARE(reads.size(), 1);
    ArchivedRead read;
    QCOMPARE(archive.loadRead(reads.first().id, read), QString());
    QVERIFY(!read.summary.finished);

    // A batch may have been committed in the moment between its commit and
    // its report, never in part.
    const qsizetype rows = read.rows.size();
    QVERIFY2(rows >= batches * writerBatchRows, qPrintable(QString::number(rows)));
    QCOMPARE(rows % writerBatchRows, 0);
    QCOMPARE(read.summary.rowsArchived, rows);
    // The bytes gather to chunks: those of the last few batches may be lost.
    const qsizetype bytesSent = rows / writerBatchRows * 2048;
    QVERIFY(read.rawBytes.size() <= bytesSent);
    QVERIFY(read.rawBytes.size() > bytesSent - MeasurementArchive::rawChunkBytes);
    QCOMPARE(read.rawBytes, QByteArray(read.rawBytes.size(), 'r'));
    for (qsizetype i = 0; i < rows; ++i)
        QCOMPARE(read.rows.at(i).number, int(i + 1));
}

// An archive of a newer layout is read, never written: its file stays as it
// was, and every write says why it did not happen.
void TestArchive::newerLayoutReadOnly()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("archive.sqlite");
    {
        MeasurementArchive archive;
        QVERIFY(archive.open(path).usable());
        qint64 id = -1;
        QCOMPARE(archive.beginRead(sampleInfo("123456"), id), QString());
        QCOMPARE(archive.appendRows(id, numberedRows(1, 3)), QString());
    }
    ask(path, QStringLiteral("PRAGMA user_version = %1").arg(ArchiveSchema::currentVersion() + 1));
    const QByteArray before = fileBytes(path);

    MeasurementArchive archive;
    const MeasurementArchive::OpenResult opened = archive.open(path);
    QCOMPARE(opened.outcome, OpenOutcome::OpenedReadOnly);
    QVERIFY(opened.message.contains(QDir::toNativeSeparators(path)));
    QVERIFY(archive.isReadOnly());

    QList<ArchivedReadSummary> reads;
    QCOMPARE(archive.listReads(reads), QString());
    QCOMPARE(reads.size(), 1);
    qint64 id = -1;
    QVERIFY(!archive.beginRead(sampleInfo("654321"), id).isEmpty());
    QCOMPARE(id, qint64(-1));
    QVERIFY(!archive.appendRows(reads.first().id, numberedRows(4, 1)).isEmpty());
    QVERIFY(!archive.markExported(reads.first().id).isEmpty());
    QVERIFY(!archive.deleteRead(reads.first().id).isEmpty());
    archive.close();
    QCOMPARE(fileBytes(path), before);
}

void TestArchive::damagedFileMovedAside_data()
{
    QTest::addColumn<bool>("textFile");
    QTest::newRow("a text file, with a -wal file") << true;
    QTest::newRow("an archive whose table of tables is damaged") << false;
}

// A damaged file is renamed, never deleted, with its -wal file, and a new
// archive works in its place.
void TestArchive::damagedFileMovedAside()
{
    QFETCH(bool, textFile);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("archive.sqlite");
    QByteArray damaged;
    if (textFile) {
        damaged = QByteArray("no database, only text\n").repeated(300);
        QVERIFY(writeFile(path + "-wal", "no journal either"));
    } else {
        {
            MeasurementArchive archive;
            QVERIFY(archive.open(path).usable());
            qint64 id = -1;
            QCOMPARE(archive.beginRead(sampleInfo("123456"), id), QString());
        }
        // Page 1 holds the table of tables behind the 100-byte file header.
        damaged = fileBytes(path);
        damaged.replace(100, 100, QByteArray(100, '\xff'));
    }
    QVERIFY(writeFile(path, damaged));

    MeasurementArchive archive;
    const MeasurementArchive::OpenResult opened = archive.open(path);
    QCOMPARE(opened.outcome, OpenOutcome::MovedAside);
    QVERIFY(opened.movedTo.startsWith(path + ".damaged-"));
    QVERIFY(opened.message.contains(QDir::toNativeSeparators(opened.movedTo)));
    QCOMPARE(fileBytes(opened.movedTo), damaged);
    if (textFile)
        QCOMPARE(fileBytes(opened.movedTo + "-wal"), QByteArray("no journal either"));

    qint64 id = -1;
    QCOMPARE(archive.beginRead(sampleInfo("123456"), id), QString());
    QCOMPARE(archive.appendRows(id, numberedRows(1, 3)), QString());
    ArchivedRead read;
    QCOMPARE(archive.loadRead(id, read), QString());
    QCOMPARE(read.rows.size(), 3);
}

void TestArchive::unwritableFolder_data()
{
    QTest::addColumn<bool>("permissions");
    // Root writes into any folder whatever its mode, but not below a file.
    QTest::newRow("folder is a file") << false;
    QTest::newRow("read-only folder") << true;
}

// No archive: open says why, every later call reports failure, nothing
// crashes.
void TestArchive::unwritableFolder()
{
    QFETCH(bool, permissions);
    if (permissions && ::geteuid() == 0)
        QSKIP("root writes into read-only folders");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString folder = dir.filePath("data");
    if (permissions) {
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    } else {
        QVERIFY(writeFile(folder, "a file"));
    }
    const QString path = folder + "/archive.sqlite";

    MeasurementArchive archive;
    const MeasurementArchive::OpenResult opened = archive.open(path);
    QCOMPARE(opened.outcome, OpenOutcome::Failed);
    QVERIFY(opened.message.contains(QDir::toNativeSeparators(path)));
    qint64 id = -1;
    QVERIFY(!archive.beginRead(sampleInfo("123456"), id).isEmpty());
    QVERIFY(!archive.appendRows(id, numberedRows(1, 1), "raw").isEmpty());
    QVERIFY(!archive.finishRead(id, true, 1).isEmpty());
    QList<ArchivedReadSummary> reads;
    QVERIFY(!archive.listReads(reads).isEmpty());
    QVERIFY(!QFileInfo::exists(path));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestArchive::writeFailureMidRead_data()
{
    QTest::addColumn<bool>("fullDisk");
    QTest::newRow("full disk") << true;
    QTest::newRow("locked by another program") << false;
}

// A tick's batch that cannot be written is reported and leaves nothing
// half-written; the read goes on into the archive once it can.
void TestArchive::writeFailureMidRead()
{
    QFETCH(bool, fullDisk);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("archive.sqlite");
    MeasurementArchive archive;
    QVERIFY(archive.open(path).usable());
    qint64 id = -1;
    QCOMPARE(archive.beginRead(sampleInfo("123456"), id), QString());
    QCOMPARE(archive.appendRows(id, numberedRows(1, 250)), QString());

    QString reason;
    if (fullDisk) {
        // The journal has room for two more pages, not for the batch.
        FileSizeLimit limit(QFileInfo(path + "-wal").size() + 8192);
        QVERIFY(limit.ok());
        reason = archive.appendRows(id, numberedRows(251, 250), QByteArray(4096, 'r'));
    } else {
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "tst_archive-lock");
            other.setDatabaseName(path);
            QVERIFY(other.open());
            QSqlQuery lock(other);
            QVERIFY(lock.exec("BEGIN EXCLUSIVE"));
            QElapsedTimer timer;
            timer.start();
            reason = archive.appendRows(id, numberedRows(251, 250), QByteArray(4096, 'r'));
            QVERIFY2(timer.elapsed() < 2000, "a locked archive held the tick");
            QVERIFY(lock.exec("ROLLBACK"));
        }
        QSqlDatabase::removeDatabase("tst_archive-lock");
    }
    QVERIFY2(!reason.isEmpty(), "a failed batch was reported as written");

    QCOMPARE(archive.appendRows(id, numberedRows(251, 250)), QString());
    QCOMPARE(archive.finishRead(id, true, 500), QString());
    ArchivedRead read;
    QCOMPARE(archive.loadRead(id, read), QString());
    QCOMPARE(read.rows.size(), 500);
    QCOMPARE(read.rows.last().number, 500);
    // The failed tick's bytes were kept for later.
    QCOMPARE(read.rawBytes, QByteArray(4096, 'r'));
    QCOMPARE(ask(path, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
}

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], writerOption) == 0)
        return runWriter(QString::fromLocal8Bit(argv[2]));
    TestArchive test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_archive.moc"
