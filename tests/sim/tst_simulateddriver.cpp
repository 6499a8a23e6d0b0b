#include "link/ftdi_control.h"
#include "protocol/limits.h"
#include "sim/devicereports.h"
#include "sim/simulateddevice.h"
#include "sim/simulateddriver.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

using Timing = SimulatedDriver::Timing;

// A driver on a simulated clock, opened, polled the way the link polls it.
struct Line
{
    qint64 t = 0;
    std::unique_ptr<SimulatedDriver> driver;
    FT_HANDLE handle = nullptr;

    explicit Line(Timing timing,
                  std::shared_ptr<SimulatedDevice> device = SimulatedDevice::createDemo())
        : driver(std::make_unique<SimulatedDriver>(timing, std::move(device)))
    {
        driver->setTimeSource([this] { return t; });
        QCOMPARE(driver->open(0, &handle), FT_OK);
    }
    void write(const QByteArray &bytes)
    {
        quint32 written = 0;
        QCOMPARE(driver->write(handle, bytes.constData(), quint32(bytes.size()), &written), FT_OK);
        QCOMPARE(written, quint32(bytes.size()));
    }
    quint32 queued()
    {
        quint32 rx = 0, tx = 0, events = 0;
        if (driver->getStatus(handle, &rx, &tx, &events) != FT_OK)
            return 0;
        return rx;
    }
    // One poll of the link: the queued count, then a read of at most the
    // poll's size.
    QByteArray poll()
    {
        const quint32 n = qMin<quint32>(queued(), Limits::pollBytes);
        QByteArray bytes(int(n), '\0');
        quint32 got = 0;
        if (n == 0 || driver->read(handle, bytes.data(), n, &got) != FT_OK)
            return {};
        bytes.truncate(int(got));
        return bytes;
    }
};

constexpr qint64 bytesPerSecond = 11520;

} // namespace

class TestSimulatedDriver : public QObject
{
    Q_OBJECT

private slots:
    void oneDeviceOpenedByIndexZero();
    void operationsNeedTheOpenHandle();
    void demoDeviceByDefault();
    void instantDeliversEverythingAtOnce();
    void readTakesWhatHasArrived();
    void wireRatePacing_data();
    void wireRatePacing();
    void idleLineGivesNoHeadStart();
    void outputDroppedWhenClosed();
    void realTimeByDefault();
    void linkReadsWholeMemoryWithoutLoss();
};

void TestSimulatedDriver::oneDeviceOpenedByIndexZero()
{
    SimulatedDriver driver(Timing::Instant);
    quint32 count = 99;
    QCOMPARE(driver.createDeviceInfoList(&count), FT_OK);
    QCOMPARE(count, 1u);
    QCOMPARE(driver.createDeviceInfoList(nullptr), FT_INVALID_PARAMETER);

    FT_HANDLE handle = nullptr;
    QCOMPARE(driver.open(1, &handle), FT_DEVICE_NOT_FOUND);
    QCOMPARE(driver.open(-1, &handle), FT_DEVICE_NOT_FOUND);
    QCOMPARE(driver.open(0, nullptr), FT_INVALID_PARAMETER);
    QVERIFY(!driver.isOpen());
    QCOMPARE(driver.open(0, &handle), FT_OK);
    QVERIFY(handle);
    QVERIFY(driver.isOpen());
    FT_HANDLE second = nullptr;
    QVERIFY(driver.open(0, &second) != FT_OK); // in use
    QVERIFY(!second);

    QCOMPARE(driver.close(handle), FT_OK);
    QVERIFY(!driver.isOpen());
    QCOMPARE(driver.close(handle), FT_INVALID_HANDLE);
    QCOMPARE(driver.open(0, &handle), FT_OK); // and again after closing
}

void TestSimulatedDriver::operationsNeedTheOpenHandle()
{
    SimulatedDriver driver(Timing::Instant);
    FT_HANDLE handle = nullptr;
    char buffer[16] = {};
    quint32 n = 77, rx = 0, tx = 0, events = 0;

    // Not open yet.
    QCOMPARE(driver.write(handle, "71\n", 3, &n), FT_INVALID_HANDLE);
    QCOMPARE(n, 0u);
    QCOMPARE(driver.getStatus(handle, &rx, &tx, &events), FT_INVALID_HANDLE);

    QCOMPARE(driver.open(0, &handle), FT_OK);
    QCOMPARE(driver.setBaudRate(handle, 115200), FT_OK);
    QCOMPARE(driver.setDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE),
             FT_OK);
    QCOMPARE(driver.baudRate(), 115200u);
    QCOMPARE(driver.setBaudRate(handle, 0), FT_INVALID_PARAMETER);
    QCOMPARE(driver.setDataCharacteristics(handle, 9, 0, 0), FT_INVALID_PARAMETER);
    QCOMPARE(driver.getStatus(handle, nullptr, &tx, &events), FT_INVALID_PARAMETER);
    QCOMPARE(driver.read(handle, nullptr, 4, &n), FT_INVALID_PARAMETER);

    FT_HANDLE wrong = &n;
    QCOMPARE(driver.setBaudRate(wrong, 115200), FT_INVALID_HANDLE);
    QCOMPARE(driver.setDataCharacteristics(wrong, 8, 0, 0), FT_INVALID_HANDLE);
    QCOMPARE(driver.getStatus(wrong, &rx, &tx, &events), FT_INVALID_HANDLE);
    QCOMPARE(driver.read(wrong, buffer, 4, &n), FT_INVALID_HANDLE);
    QCOMPARE(driver.write(wrong, "71\n", 3, &n), FT_INVALID_HANDLE);
    QCOMPARE(driver.close(wrong), FT_INVALID_HANDLE);
    QVERIFY(driver.isOpen());

    QCOMPARE(driver.close(handle), FT_OK);
    QCOMPARE(driver.write(handle, "71\n", 3, &n), FT_INVALID_HANDLE);
    QCOMPARE(n, 0u);
    QCOMPARE(driver.read(handle, buffer, 4, &n), FT_INVALID_HANDLE);
}

void TestSimulatedDriver::demoDeviceByDefault()
{
    SimulatedDriver driver;
    QCOMPARE(driver.timing(), Timing::WireRate);
    QCOMPARE(driver.device().memory().size(), SimulatedDevice::demoRecordCount);
}

void TestSimulatedDriver::instantDeliversEverythingAtOnce()
{
    Line line(Timing::Instant);
    line.write("2324");
    line.t = SimulatedDevice::commandPauseMs - 1;
    QCOMPARE(line.queued(), 0u); // the device waits for the pause behind the command
    line.t = SimulatedDevice::commandPauseMs;
    const QByteArray expected
        = DeviceReports::memory(line.driver->device().memory(), SimulatedDevice::memoryCapacity);
    QCOMPARE(line.queued(), quint32(expected.size()));

    QByteArray received;
    for (QByteArray chunk = line.poll(); !chunk.isEmpty(); chunk = line.poll()) {
        QVERIFY(chunk.size() <= Limits::pollBytes);
        received += chunk;
    }
    QCOMPARE(received, expected);
    QCOMPARE(line.queued(), 0u);
}

void TestSimulatedDriver::readTakesWhatHasArrived()
{
    Line line(Timing::Instant);
    line.write("71\n");
    const quint32 queued = line.queued();
    QVERIFY(queued > 0);
    QByteArray buffer(int(queued) + 100, '\0');
    quint32 got = 0;
    QCOMPARE(line.driver->read(line.handle, buffer.data(), queued + 100, &got), FT_OK);
    QCOMPARE(got, queued);
    QCOMPARE(buffer.left(int(got)),
             DeviceReports::configuration(line.driver->device().identity(),
                                          line.driver->device().settings()));
    QCOMPARE(line.driver->read(line.handle, buffer.data(), 10, &got), FT_OK);
    QCOMPARE(got, 0u);
}

void TestSimulatedDriver::wireRatePacing_data()
{
    QTest::addColumn<int>("durationMs");
    QTest::addColumn<int>("pollEveryMs");

    QTest::newRow("1 s, polled every ms") << 1000 << 1;
    QTest::newRow("3 s, polled every ms") << 3000 << 1;
    QTest::newRow("1 s, polled every 50 ms") << 1000 << 50;
    QTest::newRow("10 s, polled every 100 ms") << 10000 << 100;
    QTest::newRow("2.5 s in one jump") << 2500 << 2500;
}

void TestSimulatedDriver::wireRatePacing()
{
    QFETCH(int, durationMs);
    QFETCH(int, pollEveryMs);

    // 2000 records are about 220 kB, more than 10 s of line time.
    Line line(Timing::WireRate, SimulatedDevice::createWithRecords(2000));
    line.write("2324");
    // The device starts sending once the pause has shown the command complete.
    const qint64 start = SimulatedDevice::commandPauseMs;
    qint64 received = 0;
    for (int elapsed = 0; elapsed < durationMs;) {
        elapsed = qMin(elapsed + pollEveryMs, durationMs);
        line.t = start + elapsed;
        received += line.poll().size();
        const qint64 due = qint64(elapsed) * bytesPerSecond / 1000;
        QVERIFY2(
            received <= due,
            qPrintable(QStringLiteral("%1 > %2 at %3 ms").arg(received).arg(due).arg(elapsed)));
        // A poll takes what the poll holds; the rest waits in the queue.
        QCOMPARE(received + qint64(line.queued()), due);
    }
    received += line.poll().size();
    QCOMPARE(received + line.queued(), qint64(durationMs) * bytesPerSecond / 1000);
    QVERIFY(line.driver->bytesOnTheLine() > 0);
}

void TestSimulatedDriver::idleLineGivesNoHeadStart()
{
    Line line(Timing::WireRate);
    line.write("71\n");
    line.t = 1000;
    const QByteArray first = line.poll();
    QCOMPARE(first,
             DeviceReports::configuration(line.driver->device().identity(),
                                          line.driver->device().settings()));

    // Seconds of idle line do not let the next report arrive faster.
    line.t = 60000;
    line.write("71\n");
    QCOMPARE(line.queued(), 0u);
    line.t += 1;
    QCOMPARE(line.queued(), quint32(bytesPerSecond / 1000));
    line.t += 9;
    QCOMPARE(line.queued(), quint32(10 * bytesPerSecond / 1000));
}

void TestSimulatedDriver::outputDroppedWhenClosed()
{
    Line line(Timing::Instant);
    line.write("71\n");
    QVERIFY(line.queued() > 0);
    QCOMPARE(line.driver->close(line.handle), FT_OK);
    QCOMPARE(line.driver->open(0, &line.handle), FT_OK);
    QCOMPARE(line.queued(), 0u);
    line.write("71\n");
    QCOMPARE(line.poll(),
             DeviceReports::configuration(line.driver->device().identity(),
                                          line.driver->device().settings()));
}

void TestSimulatedDriver::realTimeByDefault()
{
    // Without a time source of its own the driver paces by the real clock.
    SimulatedDriver driver(Timing::WireRate);
    QElapsedTimer clock;
    clock.start();
    FT_HANDLE handle = nullptr;
    QCOMPARE(driver.open(0, &handle), FT_OK);
    quint32 written = 0;
    QCOMPARE(driver.write(handle, "2324", 4, &written), FT_OK);
    QTest::qSleep(150);
    quint32 rx = 0, tx = 0, events = 0;
    QCOMPARE(driver.getStatus(handle, &rx, &tx, &events), FT_OK);
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(rx > 0, "nothing arrived in 150 ms");
    QVERIFY2(qint64(rx) <= elapsed * bytesPerSecond / 1000,
             qPrintable(QStringLiteral("%1 bytes in %2 ms").arg(rx).arg(elapsed)));
}

void TestSimulatedDriver::linkReadsWholeMemoryWithoutLoss()
{
    // The program's link on the simulated driver: count, open, the opening
    // text, a memory read, everything arrives in order.
    auto driver = std::make_unique<SimulatedDriver>(Timing::Instant);
    SimulatedDriver *sim = driver.get();
    qint64 t = 0;
    sim->setTimeSource([&t] { return t; });
    FTDI_Control link(std::move(driver));
    QCOMPARE(link.deviceCount(), 1);
    QCOMPARE(link.openDevice(QStringLiteral("USB Serial Converter")), false);
    QCOMPARE(sim->baudRate(), 115200u);

    const auto poll = [&link] { link.poll(); };
    QByteArray expected = DeviceReports::greeting();
    t = 100;
    link.sendText(QStringLiteral("\n"));
    t = 200;
    link.sendText(QStringLiteral("2324"));
    t = 300;
    expected += DeviceReports::memory(sim->device().memory(), SimulatedDevice::memoryCapacity);
    for (int i = 0; i < 100 && link.bytesAvailable() < expected.size(); ++i)
        poll();
    QCOMPARE(link.bytesAvailable(), int(expected.size()));
    QByteArray received(expected.size(), '\0');
    QCOMPARE(link.takeBytes(received.data(), int(received.size())), int(expected.size()));
    QCOMPARE(received, expected);
}

QTEST_GUILESS_MAIN(TestSimulatedDriver)
#include "tst_simulateddriver.moc"
