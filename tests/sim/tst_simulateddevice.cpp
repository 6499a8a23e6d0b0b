#include "devicerecord.h"
#include "reportfields.h"
#include "sim/devicereports.h"
#include "sim/measurementgenerator.h"
#include "sim/simulateddevice.h"

#include <QtTest>

namespace {

// The host side of the line, in simulated time.
class Host
{
public:
    explicit Host(SimulatedDevice &device)
        : m_device(device)
    {
    }

    void write(const QByteArray &bytes) { m_device.receive(bytes, m_now); }
    void wait(qint64 ms)
    {
        m_now += ms;
        m_device.advanceTo(m_now);
    }
    // The wake step: a line feed and the program's 100 ms.
    void wake()
    {
        write("\n");
        wait(100);
    }
    QByteArray output()
    {
        QByteArray all;
        for (const SimulatedDevice::Output &chunk : m_device.takeOutput())
            all += chunk.bytes;
        return all;
    }
    qint64 now() const { return m_now; }

private:
    SimulatedDevice &m_device;
    qint64 m_now = 1000;
};

QList<int> settingsList(const DeviceSettings &s)
{
    return {s.wakeThreshold, s.deviceId, s.brightness, s.radioChannel,
            s.cycleTime,     s.cycles,   s.duration};
}

const QByteArray separator(25, '=');

} // namespace

class TestSimulatedDevice : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void settingCommands_data();
    void settingCommands();
    void cycleCountMustFollowAtOnce();
    void clockCommand_data();
    void clockCommand();
    void clockStampsNewMeasurements();
    void clearMemory_data();
    void clearMemory();
    void memoryReport_data();
    void memoryReport();
    void configurationReportLayout();
    void recordReportLayout();
    void forceText_data();
    void forceText();
    void generatedData_data();
    void generatedData();
    void setIdentityKeepsFieldWidths();
};

void TestSimulatedDevice::answers_data()
{
    QTest::addColumn<QList<QByteArray>>("writes");
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<int>("waitAfterMs");
    QTest::addColumn<QString>("expected");

    using L = QList<QByteArray>;
    const int pause = int(SimulatedDevice::commandPauseMs);
    QTest::newRow("configuration") << L{"71\n"} << 0 << 100 << "configuration";
    QTest::newRow("configuration in three writes")
        << L{"7", "1", "\n"} << 1 << 100 << "configuration";
    QTest::newRow("configuration without line end") << L{"71"} << 0 << 100 << "";
    QTest::newRow("pause inside a line drops it") << L{"71", "\n"} << pause + 5 << 100 << "";
    QTest::newRow("memory after the pause") << L{"2324"} << 0 << pause << "memory";
    QTest::newRow("memory in two writes") << L{"23", "24"} << 5 << 100 << "memory";
    QTest::newRow("memory with line end") << L{"2324\n"} << 0 << 0 << "memory";
    QTest::newRow("memory before the pause is over") << L{"2324"} << 0 << pause - 1 << "";
    QTest::newRow("memory run into more text") << L{"2324", "71\n"} << 5 << 100 << "";
    QTest::newRow("memory with a pause inside") << L{"232", "4"} << pause + 5 << 100 << "";
    QTest::newRow("opening text") << L{"\nUP\n\n\r"} << 0 << 100 << "greeting";
    QTest::newRow("lone line feed") << L{"\n"} << 0 << 100 << "";
    QTest::newRow("wake step, then configuration")
        << L{"\n", "71\n"} << 100 << 100 << "configuration";
    QTest::newRow("noise line") << L{"hello 71\n"} << 0 << 100 << "";
    QTest::newRow("noise, pause, configuration")
        << L{"x7!", "71\n"} << pause + 5 << 100 << "configuration";
    QTest::newRow("long noise line, configuration")
        << L{QByteArray(1000, '7'), "\n71\n"} << 0 << 100 << "configuration";
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte += char(b);
    QTest::newRow("every byte value") << L{everyByte} << 0 << 100 << "";
    QTest::newRow("every byte value, then memory")
        << L{everyByte, "2324"} << pause + 5 << 100 << "memory";
}

void TestSimulatedDevice::answers()
{
    QFETCH(QList<QByteArray>, writes);
    QFETCH(int, gapMs);
    QFETCH(int, waitAfterMs);
    QFETCH(QString, expected);

    auto device = SimulatedDevice::createWithRecords(3);
    const DeviceSettings settingsBefore = device->settings();
    Host host(*device);
    for (int i = 0; i < writes.size(); ++i) {
        if (i > 0)
            host.wait(gapMs);
        host.write(writes.at(i));
    }
    host.wait(waitAfterMs);

    QByteArray wanted;
    if (expected == "configuration")
        wanted = DeviceReports::configuration(device->identity(), device->settings());
    else if (expected == "memory")
        wanted = DeviceReports::memory(device->memory(), SimulatedDevice::memoryCapacity);
    else if (expected == "greeting")
        wanted = DeviceReports::greeting();
    QCOMPARE(host.output(), wanted);
    // Nothing in these texts is a setting or a clear command.
    QCOMPARE(device->settings(), settingsBefore);
    QCOMPARE(device->memory().size(), 3);
}

void TestSimulatedDevice::settingCommands_data()
{
    QTest::addColumn<QList<QByteArray>>("writes");
    QTest::addColumn<QList<int>>(
        "expected"); // threshold, ID, brightness, channel, time, cycles, duration

    using L = QList<QByteArray>;
    // Defaults: 40, 1, 130, 0, 5, 10, 10.
    QTest::newRow("threshold and ID")
        << L{"32200\n4117\n"} << QList<int>{200, 17, 130, 0, 5, 10, 10};
    QTest::newRow("threshold and ID split")
        << L{"32", "200\n41", "17\n"} << QList<int>{200, 17, 130, 0, 5, 10, 10};
    QTest::newRow("lowest threshold, ID 00")
        << L{"325\n4100\n"} << QList<int>{5, 0, 130, 0, 5, 10, 10};
    QTest::newRow("brightness 5") << L{"515\n"} << QList<int>{40, 1, 5, 0, 5, 10, 10};
    QTest::newRow("brightness 255") << L{"51255\n"} << QList<int>{40, 1, 255, 0, 5, 10, 10};
    QTest::newRow("channel") << L{"43200\n"} << QList<int>{40, 1, 130, 200, 5, 10, 10};
    QTest::newRow("continuous mode at maximum")
        << L{"82048\n4096\n"} << QList<int>{40, 1, 130, 0, 2048, 4096, 10};
    QTest::newRow("continuous mode at zero")
        << L{"80000\n0000\n"} << QList<int>{40, 1, 130, 0, 0, 0, 10};
    QTest::newRow("continuous mode split")
        << L{"8", "0123\n04", "56\n"} << QList<int>{40, 1, 130, 0, 123, 456, 10};
    QTest::newRow("duration 0") << L{"75000\n"} << QList<int>{40, 1, 130, 0, 5, 10, 0};
    QTest::newRow("duration 255") << L{"75255\n"} << QList<int>{40, 1, 130, 0, 5, 10, 255};
    QTest::newRow("threshold below range") << L{"324\n"} << QList<int>{40, 1, 130, 0, 5, 10, 10};
    QTest::newRow("ID above range") << L{"4132\n"} << QList<int>{40, 1, 130, 0, 5, 10, 10};
    QTest::newRow("duration above range") << L{"75256\n"} << QList<int>{40, 1, 130, 0, 5, 10, 10};
    QTest::newRow("cycle time above range, count kept")
        << L{"82049\n0033\n"} << QList<int>{40, 1, 130, 0, 5, 33, 10};
    QTest::newRow("count above range")
        << L{"80007\n4097\n"} << QList<int>{40, 1, 130, 0, 7, 10, 10};
    QTest::newRow("letters in the value")
        << L{"32a0\n51x\n43\n75\n"} << QList<int>{40, 1, 130, 0, 5, 10, 10};
    QTest::newRow("huge number") << L{"51999999999999999999\n"}
                                 << QList<int>{40, 1, 130, 0, 5, 10, 10};
}

void TestSimulatedDevice::settingCommands()
{
    QFETCH(QList<QByteArray>, writes);
    QFETCH(QList<int>, expected);

    SimulatedDevice device;
    Host host(device);
    for (const QByteArray &bytes : writes) {
        host.write(bytes);
        host.wait(1);
    }
    host.wait(100);
    QCOMPARE(settingsList(device.settings()), expected);
    QCOMPARE(host.output(), QByteArray()); // settings are taken silently
}

void TestSimulatedDevice::cycleCountMustFollowAtOnce()
{
    // A count line that comes only after a pause belongs to nothing: the
    // read command there must stay a read command.
    SimulatedDevice device;
    Host host(device);
    host.write("80007\n");
    host.wait(100);
    host.write("71\n");
    host.wait(100);
    QCOMPARE(device.settings().cycleTime, 7);
    QCOMPARE(device.settings().cycles, 10);
    QCOMPARE(host.output(), DeviceReports::configuration(device.identity(), device.settings()));
}

void TestSimulatedDevice::clockCommand_data()
{
    QTest::addColumn<QList<QByteArray>>("writes");
    QTest::addColumn<QDateTime>("expected"); // invalid: clock unchanged

    using L = QList<QByteArray>;
    const auto utc = [](int y, int mo, int d, int h, int mi, int s) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
    };
    QTest::newRow("Sunday") << L{"622026:12:06:7:02:12:38"} << utc(2026, 12, 6, 2, 12, 38);
    QTest::newRow("Monday, in two writes")
        << L{"622027:01:04:", "1:23:59:59"} << utc(2027, 1, 4, 23, 59, 59);
    QTest::newRow("with line end") << L{"622024:02:29:4:00:00:00\n"} << utc(2024, 2, 29, 0, 0, 0);
    QTest::newRow("month 13") << L{"622026:13:06:7:02:12:38"} << QDateTime();
    QTest::newRow("29 February of a common year") << L{"622026:02:29:7:02:12:38"} << QDateTime();
    QTest::newRow("weekday 0") << L{"622026:12:06:0:02:12:38"} << QDateTime();
    QTest::newRow("hour 24") << L{"622026:12:06:7:24:12:38"} << QDateTime();
    QTest::newRow("one digit short") << L{"622026:12:06:7:02:12:3"} << QDateTime();
    QTest::newRow("one digit long") << L{"622026:12:06:7:02:12:381"} << QDateTime();
    QTest::newRow("blank for a digit") << L{"622026:12:06:7:02: 2:38"} << QDateTime();
}

void TestSimulatedDevice::clockCommand()
{
    QFETCH(QList<QByteArray>, writes);
    QFETCH(QDateTime, expected);

    SimulatedDevice device;
    Host host(device);
    const QDateTime before = device.clock(host.now());
    const qint64 sentAt = host.now();
    for (const QByteArray &bytes : writes)
        host.write(bytes);
    host.wait(100);

    if (!expected.isValid()) {
        QCOMPARE(device.clock(sentAt), before);
        return;
    }
    QCOMPARE(device.clock(sentAt), expected);
    // It runs on from there.
    QCOMPARE(device.clock(sentAt + 61500), expected.addMSecs(61500));
}

void TestSimulatedDevice::clockStampsNewMeasurements()
{
    SimulatedDevice device;
    Host host(device);
    host.write("622026:12:31:4:23:59:58");
    host.wait(3000);
    QVERIFY(device.measure(12.5, 80, host.now()));
    QCOMPARE(device.memory().size(), 1);
    QCOMPARE(device.memory().first().time, QDateTime(QDate(2027, 1, 1), QTime(0, 0, 1), Qt::UTC));
    QCOMPARE(device.memory().first().deviceId, device.settings().deviceId);

    host.write("2324");
    host.wait(100);
    const QList<QByteArray> reports = ReportFields::reports(host.output());
    QCOMPARE(reports.size(), 2);
    QVERIFY(reports[1].contains("\n2027:01:01:5:00:00:01\n"));
}

void TestSimulatedDevice::clearMemory_data()
{
    QTest::addColumn<QList<QByteArray>>("writes");
    QTest::addColumn<bool>("cleared");

    using L = QList<QByteArray>;
    QTest::newRow("after the pause") << L{"221"} << true;
    QTest::newRow("in two writes") << L{"22", "1"} << true;
    QTest::newRow("with line end") << L{"221\n"} << true;
    QTest::newRow("run into more digits") << L{"2210"} << false;
    QTest::newRow("a longer line") << L{"2213\n"} << false;
    QTest::newRow("wrong digit") << L{"222"} << false;
}

void TestSimulatedDevice::clearMemory()
{
    QFETCH(QList<QByteArray>, writes);
    QFETCH(bool, cleared);

    auto device = SimulatedDevice::createDemo();
    Host host(*device);
    for (const QByteArray &bytes : writes)
        host.write(bytes);
    host.wait(100);
    QCOMPARE(device->memory().isEmpty(), cleared);
    QCOMPARE(host.output(), QByteArray());

    host.wake();
    host.write("2324");
    host.wait(100);
    const QList<QByteArray> reports = ReportFields::reports(host.output());
    QVERIFY(!reports.isEmpty());
    const int fill = ReportFields::at(reports[0], "fill level:", 12, 3).toInt();
    const int entries = ReportFields::at(reports[0], "Entries :", 10, 5).trimmed().toInt();
    if (cleared) {
        QCOMPARE(fill, 0);
        QCOMPARE(entries, 0);
        QCOMPARE(reports.size(), 1);
    } else {
        QCOMPARE(fill, SimulatedDevice::demoRecordCount * 100 / SimulatedDevice::memoryCapacity);
        QCOMPARE(entries, SimulatedDevice::demoRecordCount);
        QCOMPARE(reports.size(), 1 + SimulatedDevice::demoRecordCount);
    }
}

void TestSimulatedDevice::memoryReport_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("expectedRecords");
    QTest::addColumn<int>("expectedFill");

    QTest::newRow("empty") << 0 << 0 << 0;
    QTest::newRow("one") << 1 << 1 << 0;
    QTest::newRow("demo") << int(SimulatedDevice::demoRecordCount) << 150 << 1;
    QTest::newRow("half") << 5000 << 5000 << 50;
    QTest::newRow("full") << 10000 << 10000 << 100;
    QTest::newRow("more than fits") << 10005 << 10000 << 100;
}

void TestSimulatedDevice::memoryReport()
{
    QFETCH(int, stored);
    QFETCH(int, expectedRecords);
    QFETCH(int, expectedFill);

    auto device = std::make_shared<SimulatedDevice>();
    // Records beyond the capacity are not kept.
    device->setMemory(MeasurementGenerator(50).generate(stored));
    QCOMPARE(device->memory().size(), expectedRecords);
    QCOMPARE(device->fillLevel(), expectedFill);
    SimulatedDevice probe;
    probe.setMemory(device->memory());
    QCOMPARE(probe.measure(1.0, 10, 0), expectedRecords < SimulatedDevice::memoryCapacity);

    Host host(*device);
    host.write("2324");
    host.wait(100);
    const QByteArray output = host.output();
    const QList<QByteArray> reports = ReportFields::reports(output);
    // Fill level first, as a report of its own, then one report per record,
    // and nothing after the last separator but its line end.
    QVERIFY(output.endsWith(separator + '\n'));
    QCOMPARE(reports.size(), 1 + expectedRecords);
    QCOMPARE(ReportFields::at(reports[0], "fill level:", 12, 3),
             QByteArray::number(expectedFill).rightJustified(3, '0'));
    QCOMPARE(ReportFields::at(reports[0], "Entries :", 10, 5).trimmed().toInt(), expectedRecords);
    QVERIFY(!reports[0].contains("Nr.:"));
    for (int i = 1; i < reports.size(); ++i) {
        const QByteArray &report = reports[i];
        QCOMPARE(report.count("Nr.:"), 1);
        QVERIFY(!report.contains("fill level:"));
        QCOMPARE(ReportFields::at(report, "Nr.:", 5, 6).split('\n').first().toInt(), i);
    }
    if (expectedRecords > 0) {
        // The last record carries the last stored measurement.
        const SimulatedMeasurement &last = device->memory().last();
        const QByteArray &report = reports.last();
        QVERIFY(report.contains("\n" + DeviceReports::timeStampText(last.time).toLatin1() + "\n"));
        QCOMPARE(ReportFields::at(report, "Messwert: ", 10, 4),
                 DeviceReports::forceText(last.force).toLatin1());
        QCOMPARE(ReportFields::at(report, "Pos.: ", 6, 3).toInt(), last.positionRaw);
        QCOMPARE(ReportFields::at(report, "ID: ", 4, 3).toInt(), last.deviceId);
    }
}

void TestSimulatedDevice::configurationReportLayout()
{
    SimulatedDevice device;
    DeviceIdentity identity;
    identity.serialNumber = "123456";
    identity.firmwareVersion = 107;
    identity.checkDate = "2026-03-15";
    identity.sleevePositionRaw = -25;
    identity.measuringRange = 1500;
    device.setIdentity(identity);
    DeviceSettings settings;
    settings.wakeThreshold = 7;
    settings.deviceId = 3;
    settings.brightness = 9;
    settings.radioChannel = 12;
    settings.cycleTime = 2048;
    settings.cycles = 4;
    settings.duration = 255;
    device.setSettings(settings);
    Host host(device);
    host.write("71\n");
    const QByteArray report = host.output();

    // Label, characters to skip behind its start, value at its width; in the
    // order the program looks for them.
    struct Field
    {
        const char *label;
        int skip;
        const char *value;
    };
    const Field fields[] = {
        {"Serial number :", 16, "123456"},
        {"Huelsenpos.:", 13, "-25"},
        {"LEDbrightness: ", 15, "009"},
        {"Softwareversion:", 17, "0107"},
        {"HF-CH: ", 7, "0012"},
        {"HF-ID: ", 7, "0003"},
        {"SMB: ", 5, "007"},
        {"SMB dur.: ", 10, "255"},
        {"Nr. of cycles: ", 15, "0004"},
        {"Cycle time: ", 12, "2048"},
        {"Messbereich:", 13, "1500"},
        {"Info :", 7, "2026-03-15"},
    };
    qsizetype previous = -1;
    for (const Field &field : fields) {
        const qsizetype position = report.indexOf(field.label);
        QVERIFY2(position > previous, field.label);
        QCOMPARE(report.count(field.label), 1);
        previous = position;
        const QByteArray value(field.value);
        QCOMPARE(report.mid(position + field.skip, value.size()), value);
    }
    // The value of the last field, then the line end the program drops, then
    // the separator and a line end that stays behind.
    QVERIFY(report.endsWith(QByteArray("2026-03-15\n") + separator + '\n'));
    // No label of the measurement rules, which would make the program drop
    // text in front of it.
    for (const char *label : {"Nr.:", "fill level:", "Messwert: ", "Pos.: "})
        QVERIFY2(!report.contains(label), label);
}

void TestSimulatedDevice::recordReportLayout()
{
    const SimulatedMeasurement measurement{QDateTime(QDate(2012, 3, 5), QTime(14, 7, 59), Qt::UTC),
                                           2.34, 45, 4};
    QCOMPARE(DeviceReports::record(17, measurement), deviceRecord(17));
}

void TestSimulatedDevice::forceText_data()
{
    QTest::addColumn<double>("force");
    QTest::addColumn<QString>("text");

    QTest::newRow("two decimals") << 2.34 << "2,34";
    QTest::newRow("zero") << 0.0 << "0,00";
    QTest::newRow("one decimal") << 23.47 << "23,5";
    QTest::newRow("rounds up into one decimal") << 9.996 << "10,0";
    QTest::newRow("whole kN") << 123.4 << "0123";
    QTest::newRow("four digits") << 1500.0 << "1500";
    QTest::newRow("too large") << 12345.0 << "9999";
    QTest::newRow("small negative") << -1.5 << "-1,5";
    QTest::newRow("larger negative") << -25.0 << "-025";
    QTest::newRow("too negative") << -5000.0 << "-999";
    QTest::newRow("not a number") << qQNaN() << "0,00";
}

void TestSimulatedDevice::forceText()
{
    QFETCH(double, force);
    QFETCH(QString, text);
    QCOMPARE(DeviceReports::forceText(force), text);
}

void TestSimulatedDevice::generatedData_data()
{
    QTest::addColumn<int>("range");
    QTest::newRow("50 kN") << 50;
    QTest::newRow("200 kN") << 200;
    QTest::newRow("1500 kN") << 1500;
}

void TestSimulatedDevice::generatedData()
{
    QFETCH(int, range);

    const QList<SimulatedMeasurement> records = MeasurementGenerator(range).generate(1000);
    QCOMPARE(records.size(), 1000);
    // Repeatable, so demo, tests and benchmark always see the same memory.
    const QList<SimulatedMeasurement> again = MeasurementGenerator(range).generate(1000);
    for (int i = 0; i < records.size(); ++i) {
        const SimulatedMeasurement &r = records.at(i);
        QCOMPARE(r.time, again.at(i).time);
        QCOMPARE(r.force, again.at(i).force);
        if (i > 0)
            QVERIFY(r.time > records.at(i - 1).time);
        QVERIFY(r.time.date().dayOfWeek() <= 5);
        QVERIFY(r.time.time() >= QTime(7, 30) && r.time.time() <= QTime(17, 0));
        QVERIFY(r.force > 0 && r.force <= range);
        // Stored as the line carries it, so what a reader shows is exact.
        QCOMPARE(DeviceReports::wireForce(r.force), r.force);
        const double mm = range == 50 ? r.positionRaw * 5 / 100.0 : r.positionRaw / 10.0;
        QVERIFY(mm > 1.0 && mm < 10.0);
        QVERIFY(deviceSetting(ReportSink::Value::DeviceId).range.contains(r.deviceId));
    }
    const auto demo = SimulatedDevice::createDemo()->memory();
    const qint64 days = demo.first().time.daysTo(demo.last().time);
    QVERIFY2(days >= 2 && days <= 7, qPrintable(QString::number(days)));
}

void TestSimulatedDevice::setIdentityKeepsFieldWidths()
{
    SimulatedDevice device;
    DeviceIdentity identity;
    identity.serialNumber = "4711";
    identity.checkDate = "1.1.26\n";
    identity.firmwareVersion = 123456;
    identity.sleevePositionRaw = -500;
    identity.measuringRange = 100000;
    device.setIdentity(identity);
    QCOMPARE(device.identity().serialNumber, "004711");
    QCOMPARE(device.identity().checkDate, "1.1.26?   ");
    QCOMPARE(device.identity().firmwareVersion, 9999);
    QCOMPARE(device.identity().sleevePositionRaw, -99);
    QCOMPARE(device.identity().measuringRange, 9999);
}

QTEST_GUILESS_MAIN(TestSimulatedDevice)
#include "tst_simulateddevice.moc"
