// kalvor2-cli as a script runs it: a child process on a machine without a
// display (no DISPLAY, no WAYLAND_DISPLAY, no QT_QPA_PLATFORM), its home and
// data folder in a temporary folder, against the simulated device at the
// wire's pace. What it writes is held against what the export functions
// write for the rows the simulated device holds, at the same instant (the
// program's --clock).

#include "archive/measurementarchive.h"
#include "export/measurementexport.h"
#include "export/workbook.h"
#include "protocol/devicesettings.h"
#include "sim/devicestate.h"
#include "simulatedread.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

const QDateTime instant(QDate(2026, 12, 8), QTime(14, 5, 9));
const QString clockOption = instant.toString(Qt::ISODate);

struct Run
{
    int exitCode = -1;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    QByteArray out;
    QByteArray err;

    QStringList errLines() const { return QString::fromUtf8(err).split(u'\n', Qt::SkipEmptyParts); }
    QString described() const
    {
        return QStringLiteral("exit %1 (%2)\n--- out ---\n%3--- err ---\n%4")
            .arg(exitCode)
            .arg(exitStatus == QProcess::NormalExit ? "normal" : "crash")
            .arg(QString::fromUtf8(out.left(2000)), QString::fromUtf8(err));
    }
};

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The rows a read of the simulated device delivers, numbered from 1, and
// what its device sheet says of the read, started at the fixed instant.
SimulatedRead expectedRead(int records)
{
    SimulatedRead read = simulatedRead(records);
    read.info.startedAt = instant;
    return read;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void readWritesWhatTheWindowExports_data();
    void readWritesWhatTheWindowExports();
    void fullReadClearsAndArchivesAsTheWindowWould();
    void incompleteReadKeepsItsRowsAndDoesNotClear();
    void interruptedReadEndsCleanly();
    void infoTellsTheDevice();
    void writeConfigChangesOnlyWhatItIsGiven();
    void refusedBeforeAnythingIsSent_data();
    void refusedBeforeAnythingIsSent();
    void withoutConverter_data();
    void withoutConverter();

private:
    QProcess *start(const QStringList &arguments);
    Run run(const QStringList &arguments, int timeoutMs = 60000);
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString archivePath() const { return path(QStringLiteral("archive.sqlite")); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_process;
};

void TestCli::initTestCase()
{
    // The workbook names the program that wrote it: the window's name, which
    // kalvor2-cli takes too.
    QCoreApplication::setApplicationName(QStringLiteral("kalvor2"));
}

void TestCli::init()
{
    m_process.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QProcess *TestCli::start(const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LANGUAGE"})
        environment.remove(QLatin1String(name));
    // A home of its own, and the German messages of a C locale.
    environment.insert(QStringLiteral("HOME"), m_dir->path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    m_process = std::make_unique<QProcess>();
    m_process->setProcessEnvironment(environment);
    m_process->setWorkingDirectory(m_dir->path());
    m_process->start(QStringLiteral(KALVOR2_CLI),
                     QStringList{QStringLiteral("--archive"), archivePath()} + arguments);
    return m_process.get();
}

Run TestCli::run(const QStringList &arguments, int timeoutMs)
{
    QProcess *process = start(arguments);
    Run result;
    if (!process->waitForFinished(timeoutMs)) {
        process->kill();
        process->waitForFinished();
        result.err = "did not end in time";
        return result;
    }
    result.exitCode = process->exitCode();
    result.exitStatus = process->exitStatus();
    result.out = process->readAllStandardOutput();
    result.err = process->readAllStandardError();
    return result;
}

void TestCli::readWritesWhatTheWindowExports_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("out"); // empty: standard output
    QTest::newRow("per-record, text files") << "per-record"
                                            << "m.txt";
    QTest::newRow("one report, text files") << "one-report"
                                            << "m.txt";
    QTest::newRow("per-record, workbook") << "per-record"
                                          << "m.xlsx";
    QTest::newRow("standard output") << "per-record"
                                     << "";
}

// The files are those of the window's export of the same rows: the same
// functions, the same serial number, the same instant.
void TestCli::readWritesWhatTheWindowExports()
{
    QFETCH(QString, layout);
    QFETCH(QString, out);
    const int records = 12;
    QStringList arguments{"--simulate",      "--records", QString::number(records),
                          "--memory-layout", layout,      "--clock",
                          clockOption,       "read"};
    if (!out.isEmpty())
        arguments << "--out" << path(out);
    const Run r = run(arguments);
    QVERIFY2(r.exitStatus == QProcess::NormalExit && r.exitCode == 0, qPrintable(r.described()));

    const SimulatedRead expected = expectedRead(records);
    const QString text
        = MeasurementExport::exportText(instant, expected.info.serialNumber, expected.rows);
    if (out.isEmpty()) {
        // The point file's table: the column names, then the rows.
        const QString point = MeasurementExport::pointText(text);
        QCOMPARE(QString::fromUtf8(r.out), point.mid(point.indexOf(QLatin1String("Number\t"))));
        return;
    }
    QVERIFY2(r.out.isEmpty(), qPrintable(r.described()));
    if (out.endsWith(QLatin1String(".xlsx"))) {
        QString error;
        const QByteArray workbook
            = Workbook::workbookBytes(expected.rows, expected.info, instant, &error);
        QVERIFY2(!workbook.isEmpty(), qPrintable(error));
        QVERIFY(readFile(path(out)) == workbook);
        return;
    }
    const QString reference = path(QStringLiteral("reference_dot.txt"));
    QVERIFY(MeasurementExport::writeExportFile(reference, MeasurementExport::pointText(text))
                .isEmpty());
    QCOMPARE(readFile(path(out)), readFile(reference));
    QVERIFY(MeasurementExport::writeExportFile(reference, MeasurementExport::commaText(text))
                .isEmpty());
    QCOMPARE(readFile(MeasurementExport::commaFileName(path(out))), readFile(reference));
}

// The run the README promises: progress, the workbook, the archive, and the
// memory cleared. The archived read, exported again, gives the same workbook.
void TestCli::fullReadClearsAndArchivesAsTheWindowWould()
{
    const int records = 300;
    const Run r
        = run({"--simulate", "--records", QString::number(records), "--memory-layout", "one-report",
               "--clock", clockOption, "read", "--out", path("m.xlsx"), "--clear-after"});
    QVERIFY2(r.exitStatus == QProcess::NormalExit && r.exitCode == 0, qPrintable(r.described()));
    QVERIFY2(r.out.isEmpty(), qPrintable(r.described()));
    const QStringList lines = r.errLines();
    QVERIFY2(lines.contains(QStringLiteral("Speicher gelöscht")), qPrintable(r.described()));
    QVERIFY2(lines.filter(QRegularExpression(QStringLiteral("^Lese Messwerte"))).size() >= 1,
             qPrintable(r.described()));

    const SimulatedRead expected = expectedRead(records);
    const QByteArray workbook = Workbook::workbookBytes(expected.rows, expected.info, instant);
    QVERIFY(!workbook.isEmpty());
    QVERIFY(readFile(path("m.xlsx")) == workbook);

    {
        MeasurementArchive archive;
        QVERIFY(archive.open(archivePath()).outcome == MeasurementArchive::OpenOutcome::Opened);
        QList<ArchivedReadSummary> reads;
        QVERIFY(archive.listReads(reads).isEmpty());
        QCOMPARE(reads.size(), 1);
        QVERIFY(reads.first().archivedWhole());
        QCOMPARE(reads.first().rowsArchived, records);
        QVERIFY(reads.first().exported);
    }

    const Run listed = run({"--simulate", "archive", "list"});
    QVERIFY2(listed.exitCode == 0, qPrintable(listed.described()));
    const QStringList fields = QString::fromUtf8(listed.out).trimmed().split(u'\t');
    QCOMPARE(fields.value(3), QString::number(records));
    QCOMPARE(fields.value(5), QStringLiteral("complete"));
    const Run exported = run({"--simulate", "--clock", clockOption, "archive", "export",
                              fields.value(0), "--out", path("again.xlsx")});
    QVERIFY2(exported.exitCode == 0, qPrintable(exported.described()));
    QVERIFY(readFile(path("again.xlsx")) == workbook);
}

// A converter pulled out during the read: the rows that came are written and
// archived, the exit status says incomplete, and the memory stays.
void TestCli::incompleteReadKeepsItsRowsAndDoesNotClear()
{
    const Run r = run({"--simulate", "--records", "300", "--unplug-at", "1.5", "--clock",
                       clockOption, "read", "--out", path("cut.txt"), "--clear-after"});
    QVERIFY2(r.exitStatus == QProcess::NormalExit && r.exitCode == 4, qPrintable(r.described()));
    QVERIFY2(!r.errLines().contains(QStringLiteral("Speicher gelöscht")),
             qPrintable(r.described()));
    QVERIFY2(!r.errLines().filter(QStringLiteral("Speicher nicht gelöscht")).isEmpty(),
             qPrintable(r.described()));

    MeasurementArchive archive;
    QVERIFY(archive.open(archivePath()).usable());
    QList<ArchivedReadSummary> reads;
    QVERIFY(archive.listReads(reads).isEmpty());
    QCOMPARE(reads.size(), 1);
    const int rows = reads.first().rowsArchived;
    QVERIFY2(rows > 0 && rows < 300, qPrintable(QString::number(rows)));
    QVERIFY(reads.first().finished);
    QVERIFY(!reads.first().complete);
    // The file holds those rows, as the window would have written them.
    const SimulatedRead expected = expectedRead(rows);
    const QString reference = path(QStringLiteral("reference.txt"));
    QVERIFY(MeasurementExport::writeExportFile(
                reference,
                MeasurementExport::pointText(MeasurementExport::exportText(
                    instant, expected.info.serialNumber, expected.rows)))
                .isEmpty());
    QCOMPARE(readFile(path("cut.txt")), readFile(reference));
}

// Ctrl-C during the read ends it cleanly: rows written and archived, exit 4.
void TestCli::interruptedReadEndsCleanly()
{
    QProcess *process
        = start({"--simulate", "--records", "1000", "read", "--out", path("stopped.txt")});
    QVERIFY(process->waitForStarted());
    // Progress lines come once a second; the second names rows that arrived.
    QByteArray err;
    const QRegularExpression progress(QStringLiteral("Lese Messwerte … ([1-9][0-9]*) von 1000"));
    QTRY_VERIFY_WITH_TIMEOUT(
        (err += process->readAllStandardError(), progress.match(QString::fromUtf8(err)).hasMatch()),
        20000);
    ::kill(pid_t(process->processId()), SIGINT);
    QVERIFY(process->waitForFinished(20000));
    err += process->readAllStandardError();
    QVERIFY2(process->exitStatus() == QProcess::NormalExit && process->exitCode() == 4,
             err.constData());

    MeasurementArchive archive;
    QVERIFY(archive.open(archivePath()).usable());
    QList<ArchivedReadSummary> reads;
    QVERIFY(archive.listReads(reads).isEmpty());
    QCOMPARE(reads.size(), 1);
    QVERIFY(reads.first().finished);
    QVERIFY(!reads.first().complete);
    const int rows = reads.first().rowsArchived;
    QVERIFY2(rows > 0 && rows < 1000, qPrintable(QString::number(rows)));
    const QString file = QString::fromUtf8(readFile(path("stopped.txt")));
    QVERIFY2(file.contains(QStringLiteral("Number of measurements:\t%1\n").arg(rows)),
             qPrintable(file.left(300)));
}

void TestCli::infoTellsTheDevice()
{
    const DeviceIdentity identity;
    const DeviceSettings defaults = DeviceSettings::factoryDefaults();
    const Run r = run({"--simulate", "info"});
    QVERIFY2(r.exitCode == 0, qPrintable(r.described()));
    const QStringList lines = QString::fromUtf8(r.out).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(lines.contains(QStringLiteral("serial-number: ") + identity.serialNumber));
    QVERIFY(lines.contains(QStringLiteral("check-date: ") + identity.checkDate));
    QVERIFY(lines.contains(QStringLiteral("measuring-range: %1").arg(identity.measuringRange)));
    for (const DeviceSetting &setting : deviceSettings)
        QVERIFY2(lines.contains(QStringLiteral("%1: %2")
                                    .arg(QLatin1String(setting.name))
                                    .arg(defaults.*setting.field)),
                 qPrintable(r.described()));

    const Run json = run({"--simulate", "info", "--json"});
    QVERIFY2(json.exitCode == 0, qPrintable(json.described()));
    const QJsonObject object = QJsonDocument::fromJson(json.out).object();
    QCOMPARE(object.value("serial-number").toString(), identity.serialNumber);
    QVERIFY(object.value("fill-level").isNull()); // the device has not told it
    for (const DeviceSetting &setting : deviceSettings)
        QCOMPARE(object.value(QLatin1String(setting.name)).toInt(-1), defaults.*setting.field);
}

// The settings named change, the others keep the device's values, and what
// is shown is what the device reported back.
void TestCli::writeConfigChangesOnlyWhatItIsGiven()
{
    const Run r
        = run({"--simulate", "write-config", "brightness=200", "cycle-time=2048", "device-id=0"});
    QVERIFY2(r.exitCode == 0, qPrintable(r.described()));
    DeviceSettings expected = DeviceSettings::factoryDefaults();
    expected.brightness = 200;
    expected.cycleTime = 2048;
    expected.deviceId = 0;
    const QStringList lines = QString::fromUtf8(r.out).split(u'\n', Qt::SkipEmptyParts);
    for (const DeviceSetting &setting : deviceSettings)
        QVERIFY2(lines.contains(QStringLiteral("%1: %2")
                                    .arg(QLatin1String(setting.name))
                                    .arg(expected.*setting.field)),
                 qPrintable(r.described()));
}

void TestCli::refusedBeforeAnythingIsSent_data()
{
    QTest::addColumn<QStringList>("arguments");
    const DeviceSetting &brightness = deviceSetting(ReportSink::Value::Brightness);
    const DeviceSetting &threshold = deviceSetting(ReportSink::Value::WakeThreshold);
    QTest::newRow("above the range") << QStringList{
        "write-config", QStringLiteral("brightness=%1").arg(brightness.range.max + 1)};
    QTest::newRow("below the range, beside a good one")
        << QStringList{"write-config", "brightness=10",
                       QStringLiteral("wake-threshold=%1").arg(threshold.range.min - 1)};
    QTest::newRow("not a number") << QStringList{"write-config", "duration=ten"};
    QTest::newRow("unknown key") << QStringList{"write-config", "colour=3"};
    QTest::newRow("nothing to write") << QStringList{"write-config"};
    QTest::newRow("clear without --yes") << QStringList{"clear"};
    QTest::newRow("clear-after without the archive")
        << QStringList{"read", "--clear-after", "--no-archive"};
    QTest::newRow("unknown file type") << QStringList{"read", "--out", "m.csv"};
}

// Refused with status 1 and one line before the converter is even looked
// at: the simulated one is pulled out from the start, so a run that got as
// far as the device would end with status 2.
void TestCli::refusedBeforeAnythingIsSent()
{
    QFETCH(QStringList, arguments);
    const Run r = run(QStringList{"--simulate", "--unplug-at", "0"} + arguments);
    QVERIFY2(r.exitStatus == QProcess::NormalExit && r.exitCode == 1, qPrintable(r.described()));
    QVERIFY2(r.out.isEmpty(), qPrintable(r.described()));
    QVERIFY2(r.errLines().size() == 1 && r.err.startsWith("kalvor2-cli: "),
             qPrintable(r.described()));
}

void TestCli::withoutConverter_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("list") << QStringList{"--simulate", "--unplug-at", "0", "list"};
    QTest::newRow("info") << QStringList{"--simulate", "--unplug-at", "0", "info"};
    QTest::newRow("read") << QStringList{"--simulate", "--unplug-at", "0", "read"};
    QTest::newRow("info on a port that is not there")
        << QStringList{"--port", "/dev/ttyUSB-kalvor-none", "info"};
}

void TestCli::withoutConverter()
{
    QFETCH(QStringList, arguments);
    const Run r = run(arguments);
    QVERIFY2(r.exitStatus == QProcess::NormalExit && r.exitCode == 2, qPrintable(r.described()));
    QVERIFY2(r.out.isEmpty(), qPrintable(r.described()));
    QVERIFY2(r.errLines().size() == 1 && r.err.startsWith("kalvor2-cli: "),
             qPrintable(r.described()));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
