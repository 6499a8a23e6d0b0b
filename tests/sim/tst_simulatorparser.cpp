// The simulated device's reports through the program's own report parser:
// what the device holds is what the window would show, field by field and
// row by row.

#include "protocol/reportdrain.h"
#include "protocol/reportparser.h"
#include "protocol/reportsink.h"
#include "sim/devicereports.h"
#include "sim/simulateddevice.h"
#include "sim/simulateddriver.h"

#include <QtTest>

namespace {

class RecordingSink : public ReportSink
{
public:
    QMap<Text, QString> texts;
    QMap<Value, int> values;
    double sleevePosition = qQNaN();
    QList<QStringList> rows;

    void setText(Text which, const QString &text) override { texts[which] = text; }
    void setValue(Value which, int value) override { values[which] = value; }
    void setSleevePosition(double millimetres) override { sleevePosition = millimetres; }
    void appendRow(const MeasurementRow &row) override { rows.append(row.cells); }
};

// The program's receive side in simulated time: the 1 ms poll into the link
// buffer (at most 4096 bytes a poll), the 50 ms receive run into the
// accumulator, the 100 ms clock tick with at most 250 parser calls while the
// accumulator holds text.
class Program
{
public:
    Program(SimulatedDriver::Timing timing, std::shared_ptr<SimulatedDevice> device)
        : m_driver(timing, std::move(device))
    {
        m_driver.setTimeSource([this] { return m_now; });
        m_driver.open(0, &m_handle);
        write("\nUP\n\n\r");
    }

    SimulatedDevice &device() { return m_driver.device(); }
    RecordingSink sink;
    int measuringRange = -1;

    void write(const QByteArray &bytes)
    {
        quint32 written = 0;
        m_driver.write(m_handle, bytes.constData(), quint32(bytes.size()), &written);
    }
    // A command as the program sends it: wake step, then the text.
    void command(const QByteArray &text)
    {
        write("\n");
        run(100);
        write(text);
        run(100);
    }
    void run(qint64 ms)
    {
        for (qint64 end = m_now + ms; m_now < end;) {
            ++m_now;
            poll();
            if (m_now % 50 == 0)
                receive();
            if (m_now % 100 == 0)
                tick();
        }
    }
    // Runs until the line is empty and the parser has worked off its block.
    void runToEnd()
    {
        int quietTicks = 0;
        while (quietTicks < 3) {
            const auto before = sink.rows.size();
            const QString blockBefore = m_parser.block();
            run(100);
            const bool quiet = m_driver.bytesOnTheLine() == 0 && m_link.isEmpty()
                && !m_accumulator.contains(QLatin1String(DeviceReports::separator))
                && sink.rows.size() == before && m_parser.block() == blockBefore;
            quietTicks = quiet ? quietTicks + 1 : 0;
        }
    }

private:
    void poll()
    {
        quint32 rx = 0, tx = 0, events = 0;
        if (m_driver.getStatus(m_handle, &rx, &tx, &events) != FT_OK || rx == 0)
            return;
        QByteArray buffer(int(qMin<quint32>(rx, 4096)), '\0');
        quint32 got = 0;
        m_driver.read(m_handle, buffer.data(), quint32(buffer.size()), &got);
        m_link += buffer.left(int(got));
    }
    void receive()
    {
        const QByteArray taken = m_link.left(65536);
        m_link.remove(0, taken.size());
        m_accumulator += QString::fromLatin1(taken).remove(u'\r');
    }
    void tick()
    {
        ParserState state{measuringRange, m_measurementNumber, m_sleevePositionRaw};
        drainReports(
            m_accumulator,
            [&](QString &accumulator) { return m_parser.parseReport(accumulator, state, sink); },
            [this] { return m_parser.recordWaiting(); });
    }

    qint64 m_now = 0;
    SimulatedDriver m_driver;
    FT_HANDLE m_handle = nullptr;
    QByteArray m_link;
    QString m_accumulator;
    ReportParser m_parser;
    int m_measurementNumber = 1;
    float m_sleevePositionRaw = 0;
};

QStringList expectedRow(int number, const SimulatedMeasurement &m, int range)
{
    const int decimals = range > 999 ? 0 : (range < 100 ? 2 : 1);
    const double mm = range == 50 ? m.positionRaw * 5 / 100.0 : m.positionRaw / 10.0;
    return {QString::number(number),
            m.time.toString(QStringLiteral("yyyy:MM:dd")),
            m.time.toString(QStringLiteral("hh:mm:ss")),
            QString::number(m.force, 'f', decimals),
            QString::number(mm, 'g', 6),
            QString::number(m.deviceId)};
}

} // namespace

class TestSimulatorParser : public QObject
{
    Q_OBJECT

private slots:
    void configurationShowsDeviceState_data();
    void configurationShowsDeviceState();
    void memoryBecomesRows_data();
    void memoryBecomesRows();
    void rowsAppearWhileMemoryStreams();
};

void TestSimulatorParser::configurationShowsDeviceState_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<int>("firmware");
    QTest::addColumn<QString>("checkDate");
    QTest::addColumn<int>("sleeveRaw");
    QTest::addColumn<int>("range");
    QTest::addColumn<QList<int>>(
        "settings"); // threshold, ID, brightness, channel, time, cycles, duration
    QTest::addColumn<QString>("firmwareShown");
    QTest::addColumn<double>("sleeveShown");

    QTest::newRow("demo device") << "004711" << 123 << "15.03.2026" << 45 << 50
                                 << QList<int>{40, 1, 130, 0, 5, 10, 10} << "V 1.23" << 2.25;
    QTest::newRow("negative sleeve, 100 kN") << "A1B2C3" << 105 << "2026-03-15" << -25 << 100
                                             << QList<int>{5, 0, 0, 0, 0, 0, 0} << "V 1.5" << -2.5;
    QTest::newRow("largest values, 1500 kN")
        << "999999" << 1000 << "31.12.2099" << 999 << 1500
        << QList<int>{255, 31, 255, 255, 2048, 4096, 255} << "V 10.0" << 99.9;
}

void TestSimulatorParser::configurationShowsDeviceState()
{
    QFETCH(QString, serial);
    QFETCH(int, firmware);
    QFETCH(QString, checkDate);
    QFETCH(int, sleeveRaw);
    QFETCH(int, range);
    QFETCH(QList<int>, settings);
    QFETCH(QString, firmwareShown);
    QFETCH(double, sleeveShown);

    Program program(SimulatedDriver::Timing::WireRate, SimulatedDevice::createEmpty());
    DeviceIdentity identity;
    identity.serialNumber = serial;
    identity.firmwareVersion = firmware;
    identity.checkDate = checkDate;
    identity.sleevePositionRaw = sleeveRaw;
    identity.measuringRange = range;
    program.device().setIdentity(identity);

    // The settings reach the device the way the program writes them.
    program.command("622026:12:06:7:02:12:38");
    program.write("32" + QByteArray::number(settings[0]) + "\n"
                  + QString::asprintf("41%02d\n", settings[1]).toLatin1());
    program.run(150);
    program.write("51" + QByteArray::number(settings[2]) + "\n");
    program.run(300);
    program.write("43" + QByteArray::number(settings[3]) + "\n");
    program.run(100);
    program.write(QString::asprintf("8%04d\n%04d\n", settings[4], settings[5]).toLatin1());
    program.run(100);
    program.write(QString::asprintf("75%03d\n", settings[6]).toLatin1());
    program.run(100);
    program.command("71\n");
    program.runToEnd();

    using T = ReportSink::Text;
    using V = ReportSink::Value;
    const RecordingSink &sink = program.sink;
    QCOMPARE(sink.texts.value(T::SerialNumber), serial);
    QCOMPARE(sink.texts.value(T::FirmwareVersion), firmwareShown);
    QCOMPARE(sink.texts.value(T::CheckDate), checkDate);
    QCOMPARE(program.measuringRange, range);
    QVERIFY2(qAbs(sink.sleevePosition - sleeveShown) < 1e-5,
             qPrintable(QString::number(sink.sleevePosition)));
    QCOMPARE(sink.values.value(V::WakeThreshold, -1), settings[0]);
    QCOMPARE(sink.values.value(V::DeviceId, -1), settings[1]);
    QCOMPARE(sink.values.value(V::Brightness, -1), settings[2]);
    QCOMPARE(sink.values.value(V::RadioChannel, -1), settings[3]);
    QCOMPARE(sink.values.value(V::CycleTime, -1), settings[4]);
    QCOMPARE(sink.values.value(V::Cycles, -1), settings[5]);
    QCOMPARE(sink.values.value(V::Duration, -1), settings[6]);
    QVERIFY(sink.rows.isEmpty());
}

void TestSimulatorParser::memoryBecomesRows_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("range");
    QTest::addColumn<bool>("wireRate");

    QTest::newRow("demo, at wire rate") << int(SimulatedDevice::demoRecordCount) << 50 << true;
    QTest::newRow("empty memory") << 0 << 50 << true;
    QTest::newRow("one record") << 1 << 50 << true;
    QTest::newRow("200 kN range") << 300 << 200 << false;
    QTest::newRow("1500 kN range") << 300 << 1500 << false;
    QTest::newRow("full memory") << int(SimulatedDevice::memoryCapacity) << 50 << false;
}

void TestSimulatorParser::memoryBecomesRows()
{
    QFETCH(int, records);
    QFETCH(int, range);
    QFETCH(bool, wireRate);

    Program program(wireRate ? SimulatedDriver::Timing::WireRate : SimulatedDriver::Timing::Instant,
                    SimulatedDevice::createWithRecords(records, range));
    // The program reads the configuration first; the range it reports sets
    // how the rows are written.
    program.command("71\n");
    program.command("2324");
    program.runToEnd();

    const QList<SimulatedMeasurement> &memory = program.device().memory();
    QCOMPARE(memory.size(), records);
    QCOMPARE(program.sink.values.value(ReportSink::Value::FillLevel, -1),
             records * 100 / SimulatedDevice::memoryCapacity);
    QCOMPARE(program.sink.rows.size(), records);
    for (int i = 0; i < records; ++i)
        QCOMPARE(program.sink.rows.at(i), expectedRow(i + 1, memory.at(i), range));
}

void TestSimulatorParser::rowsAppearWhileMemoryStreams()
{
    Program program(SimulatedDriver::Timing::WireRate, SimulatedDevice::createDemo());
    program.command("71\n");
    program.runToEnd();
    program.command("2324");
    const int total = int(SimulatedDevice::demoRecordCount);
    const qint64 reportBytes
        = DeviceReports::memory(program.device().memory(), SimulatedDevice::memoryCapacity).size();
    // Half the report's line time later, about half the rows are there:
    // they follow the bytes, not the end of the report.
    program.run(reportBytes * 1000 / SimulatedDriver::wireBytesPerSecond / 2);
    const auto halfway = program.sink.rows.size();
    QVERIFY2(halfway > total / 4 && halfway < total * 3 / 4, qPrintable(QString::number(halfway)));
    QCOMPARE(program.sink.values.value(ReportSink::Value::FillLevel, -1), 1);
    program.runToEnd();
    QCOMPARE(program.sink.rows.size(), total);
}

QTEST_GUILESS_MAIN(TestSimulatorParser)
#include "tst_simulatorparser.moc"
