// The simulation of a technician's session, run on many seeded schedules
// and on the written ones in schedules/ (each a way the program once lost or
// misreported measurements, or cleared the wrong device). A failure prints
// its schedule; saved into schedules/, it is replayed from then on.

#include "schedule.h"
#include "simulation.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTest>

namespace {

int environmentNumber(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

// The settings write names its last command in the debug output: thousands
// of schedules would drown the test's own output in it.
QtMessageHandler previousHandler = nullptr;
void quietDebugOutput(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtDebugMsg && previousHandler)
        previousHandler(type, context, message);
}

QString failureReport(const QString &failure, const Schedule &schedule)
{
    return failure
        + QStringLiteral("\nschedule (save it in tests/simulation/schedules/ to "
                         "replay it):\n")
        + schedule.toText();
}

} // namespace

class TestSimulation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { previousHandler = qInstallMessageHandler(quietDebugOutput); }
    void schedulesReadBackAsWritten();
    void sameScheduleSameRun();
    void writtenSchedules_data();
    void writtenSchedules();
    void seededSchedules();
};

// What a failure prints reads back into the schedule that failed, and so do
// its bytes: a schedule found by the fuzzer or a seed replays as written.
void TestSimulation::schedulesReadBackAsWritten()
{
    for (quint64 seed = 1; seed <= 200; ++seed) {
        const Schedule schedule = Schedule::fromBytes(Schedule::seedBytes(seed));
        QVERIFY(!schedule.events.isEmpty());
        QString error;
        const std::optional<Schedule> read = Schedule::fromText(schedule.toText(), &error);
        QVERIFY2(read.has_value(), qPrintable(error + u'\n' + schedule.toText()));
        QVERIFY2(*read == schedule, qPrintable(schedule.toText() + u'\n' + read->toText()));
        QCOMPARE(Schedule::fromBytes(schedule.toBytes()), schedule);
    }
    QString error;
    QVERIFY(!Schedule::fromText(QStringLiteral("device 1: serial 100001, range 50, records 7, "
                                               "per-record\n0 read\n"),
                                &error));
    QVERIFY(error.startsWith(QStringLiteral("line 1")));
    QVERIFY(!Schedule::fromText(QStringLiteral("device 1: serial 100001, range 50, records 5, "
                                               "per-record\n20 read\n10 unplug\n")));
}

// Nothing of the machine's clock or speed enters a run: the same schedule
// ends at the same simulated moment with the same outcome.
void TestSimulation::sameScheduleSameRun()
{
    for (quint64 seed : {7u, 8u, 9u}) {
        const Schedule schedule = Schedule::fromBytes(Schedule::seedBytes(seed));
        Simulation first(schedule);
        Simulation second(schedule);
        const QString failure = first.run();
        QCOMPARE(second.run(), failure);
        QCOMPARE(second.simulatedMs(), first.simulatedMs());
        QCOMPARE(second.outcome(), first.outcome());
    }
}

void TestSimulation::writtenSchedules_data()
{
    QTest::addColumn<QString>("path");
    const QDir dir(QStringLiteral(KALVOR2_SCHEDULES));
    const QStringList files = dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    QVERIFY(!files.isEmpty());
    for (const QString &file : files)
        QTest::newRow(qPrintable(file)) << dir.filePath(file);
}

void TestSimulation::writtenSchedules()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QString error;
    const std::optional<Schedule> schedule
        = Schedule::fromText(QString::fromUtf8(file.readAll()), &error);
    QVERIFY2(schedule.has_value(), qPrintable(error));
    Simulation simulation(*schedule);
    const QString failure = simulation.run();
    QVERIFY2(failure.isEmpty(), qPrintable(failureReport(failure, *schedule)));
}

// 2,000 schedules drawn from seeds (KALVOR2_SIM_SCHEDULES and
// KALVOR2_SIM_FIRST_SEED choose others), with the rate they run at.
void TestSimulation::seededSchedules()
{
    const int count = environmentNumber("KALVOR2_SIM_SCHEDULES", 2000);
    const int first = environmentNumber("KALVOR2_SIM_FIRST_SEED", 1);
    QElapsedTimer timer;
    timer.start();
    qint64 simulatedMs = 0;
    for (int seed = first; seed < first + count; ++seed) {
        const Schedule schedule = Schedule::fromBytes(Schedule::seedBytes(quint64(seed)));
        Simulation simulation(schedule);
        const QString failure = simulation.run();
        QVERIFY2(
            failure.isEmpty(),
            qPrintable(QStringLiteral("seed %1: ").arg(seed) + failureReport(failure, schedule)));
        simulatedMs += simulation.simulatedMs();
    }
    const double seconds = qMax<qint64>(1, timer.elapsed()) / 1000.0;
    qInfo("simulated_schedules_per_s %.0f (%d schedules, %.1f simulated minutes each on "
          "average, in %.1f s)",
          count / seconds, count, simulatedMs / 60000.0 / count, seconds);
}

QTEST_GUILESS_MAIN(TestSimulation)
#include "tst_simulation.moc"
