// The program as a whole on the simulated device: idle CPU with the link
// open, the delay from the last byte of a full memory read to its last row,
// and memory over many reads; and on the serial backend: how soon a byte
// from a quiet converter reaches the link.

#include "benchutil.h"
#include "fakedriver.h"
#include "link/ftdi_control.h"
#include "link/serialportdriver.h"
#include "processusage.h"
#include "sim/devicereports.h"
#include "sim/simulateddevice.h"
#include "sim/simulateddriver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <array>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace {

// The event loop as the program runs it, without the sleeps of QTest::qWait.
void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The program left alone: its wakeups a second (every thread's context
// switches, from /proc) and its CPU, over ten seconds, counted from two
// seconds after the last byte, with its own timers, with a converter open
// and silent, and with none at all.
void idleFigures()
{
    constexpr int measureMs = 10000;
    const auto measure = [](const char *suffix) {
        runFor(2000);
        const qint64 switchesBefore = ProcessUsage::contextSwitches();
        const double cpuBefore = ProcessUsage::cpuMs();
        QElapsedTimer wall;
        wall.start();
        runFor(measureMs);
        const double seconds = double(wall.elapsed()) / 1000.0;
        printFigure(QStringLiteral("idle_wakeups_per_s_") + QLatin1String(suffix),
                    double(ProcessUsage::contextSwitches() - switchesBefore) / seconds, "/s");
        printFigure(QStringLiteral("idle_cpu_percent_") + QLatin1String(suffix),
                    (ProcessUsage::cpuMs() - cpuBefore) / seconds / 10.0, "%");
    };
    {
        KalvorIIControl controller(std::make_unique<SimulatedDriver>(
            SimulatedDriver::Timing::WireRate, SimulatedDevice::createDemo()));
        measure("connected");
    }
    {
        auto none = std::make_unique<FakeDriver>();
        none->deviceCountResult = 0;
        KalvorIIControl controller(std::move(none));
        measure("none");
    }
}

// The serial backend, telling when one of the link's polls reads bytes: the
// moment they go into the link's buffer.
class WatchedDriver : public FtdiDriver
{
public:
    explicit WatchedDriver(const QString &portName)
        : m_driver(QStringList{portName})
    {
    }
    std::function<void()> onBytesRead;

    FT_STATUS createDeviceInfoList(quint32 *count) override
    {
        return m_driver.createDeviceInfoList(count);
    }
    FT_STATUS open(int index, FT_HANDLE *handle) override { return m_driver.open(index, handle); }
    FT_STATUS setBaudRate(FT_HANDLE handle, quint32 baudRate) override
    {
        return m_driver.setBaudRate(handle, baudRate);
    }
    FT_STATUS setDataCharacteristics(FT_HANDLE handle, quint8 wordLength, quint8 stopBits,
                                     quint8 parity) override
    {
        return m_driver.setDataCharacteristics(handle, wordLength, stopBits, parity);
    }
    FT_STATUS getStatus(FT_HANDLE handle, quint32 *rxQueued, quint32 *txQueued,
                        quint32 *eventStatus) override
    {
        return m_driver.getStatus(handle, rxQueued, txQueued, eventStatus);
    }
    FT_STATUS read(FT_HANDLE handle, void *buffer, quint32 toRead, quint32 *got) override
    {
        const FT_STATUS status = m_driver.read(handle, buffer, toRead, got);
        if (status == FT_OK && *got > 0 && onBytesRead)
            onBytesRead();
        return status;
    }
    FT_STATUS write(FT_HANDLE handle, const void *buffer, quint32 toWrite,
                    quint32 *written) override
    {
        return m_driver.write(handle, buffer, toWrite, written);
    }
    FT_STATUS close(FT_HANDLE handle) override { return m_driver.close(handle); }
    FT_STATUS setEventNotification(FT_HANDLE handle, quint32 mask, Notification notify) override
    {
        return m_driver.setEventNotification(handle, mask, std::move(notify));
    }

private:
    SerialPortDriver m_driver;
};

// A byte from a quiet converter to the link's buffer: the program on the
// serial backend, its own timers running, a pseudo-terminal in the
// converter's place. The byte is written into the terminal's other end at
// a moment the program sleeps, the line quiet for longer than the fast
// window; counted until the poll that takes it into the link's buffer. The
// worst of twenty, at varied phases of the program's timers.
void firstByteLatency()
{
    int deviceEnd = -1;
    int portEnd = -1;
    char portName[256] = {};
    if (::openpty(&deviceEnd, &portEnd, portName, nullptr, nullptr) != 0)
        qFatal("no pseudo-terminal for the serial backend");
    ::fcntl(deviceEnd, F_SETFL, ::fcntl(deviceEnd, F_GETFL) | O_NONBLOCK);
    {
        auto made = std::make_unique<WatchedDriver>(QString::fromLocal8Bit(portName));
        WatchedDriver *driver = made.get();
        KalvorIIControl controller(std::move(made));
        if (!controller.link->isOpen())
            qFatal("the serial backend did not open %s", portName);
        QRandomGenerator random(20261207);
        double worst = 0;
        for (int sample = 0; sample < 20; ++sample) {
            char drain[256];
            while (::read(deviceEnd, drain, sizeof drain) > 0) {
                // what the program sent: not of interest here
            }
            QEventLoop loop;
            QElapsedTimer sinceWrite;
            driver->onBytesRead = [&] {
                if (sinceWrite.isValid())
                    loop.quit();
            };
            QTimer::singleShot(FTDI_Control::fastWindowMs + 100
                                   + int(random.bounded(2 * FTDI_Control::slowPollMs)),
                               Qt::PreciseTimer, &loop, [&] {
                                   sinceWrite.start();
                                   if (::write(deviceEnd, "S", 1) != 1)
                                       qFatal("cannot write to the pseudo-terminal");
                               });
            QTimer::singleShot(10000, &loop, [] { qFatal("the byte never reached the link"); });
            loop.exec();
            driver->onBytesRead = nullptr;
            worst = std::max(worst, double(sinceWrite.nsecsElapsed()) / 1e6);
        }
        printFigure(QStringLiteral("first_byte_latency_ms"), worst, "ms");
    }
    ::close(portEnd);
    ::close(deviceEnd);
}

// One look at the FTDI list through the serial backend, as the program
// makes once a second.
void hotplugScan()
{
    SerialPortDriver driver;
    quint32 count = 0;
    driver.createDeviceInfoList(&count); // the first look loads what it needs
    constexpr int looks = 50;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < looks; ++i)
        driver.createDeviceInfoList(&count);
    printFigure(QStringLiteral("hotplug_scan_ms"), double(timer.nsecsElapsed()) / 1e6 / looks,
                "ms");
    // What a look costs when the USB serial device nodes have changed: the
    // system is asked for every port's vendor.
    timer.start();
    for (int i = 0; i < looks; ++i)
        SerialPortDriver::ftdiPortNames();
    printFigure(QStringLiteral("hotplug_vendor_query_ms"),
                double(timer.nsecsElapsed()) / 1e6 / looks, "ms");
}

// Runs the link's poll every simulated millisecond, the receive run every 50
// and the clock tick every 100, receive first where both fall due.
struct SimulatedTime
{
    qint64 now = 0;
    KalvorIIControl *controller = nullptr;
    void advanceOneMs()
    {
        ++now;
        controller->link->poll();
        if (now % 50 == 0)
            controller->receiveOnce();
        if (now % 100 == 0)
            controller->clockTick();
    }
};

// A full memory read at the wire rate: from its last byte to its last row.
// In the one-report layout nothing can be parsed before the separator, the
// last byte, comes; 250 parser calls a tick then need 40 ticks. During that
// read the status line must keep up with what the wire has brought: the
// largest difference, sampled every tick, between the records delivered and
// the count shown.
void demoLastRow(DeviceReports::MemoryLayout layout, const QString &suffix)
{
    constexpr int records = 10000;
    SimulatedTime time;
    auto device = SimulatedDevice::createWithRecords(records, 50);
    device->setMemoryLayout(layout);
    auto driverOwner = std::make_unique<SimulatedDriver>(SimulatedDriver::Timing::WireRate, device);
    SimulatedDriver *driver = driverOwner.get();
    driver->setTimeSource([&time] { return time.now; });
    auto controller = makeController(std::move(driverOwner));
    time.controller = controller.get();
    for (int i = 0; i < 2000; ++i)
        time.advanceOneMs();

    // Where each record label stands in what the device will send.
    const QByteArray output
        = DeviceReports::memory(device->memory(), SimulatedDevice::memoryCapacity, layout);
    QList<qsizetype> labelEnds;
    for (qsizetype at = output.indexOf("Nr.:"); at >= 0; at = output.indexOf("Nr.:", at + 4))
        labelEnds << at + 4;

    controller->ui.ReadSpeicher_PB->click();
    QTreeWidget *tree = controller->ui.Messwert_treeWidget;
    qint64 lastByteMs = -1;
    qint64 lastRowMs = -1;
    qsizetype worstLag = 0;
    while (lastRowMs < 0 && time.now < 10 * 60 * 1000) {
        time.advanceOneMs();
        if (lastByteMs < 0 && time.now > 2500 && driver->bytesOnTheLine() == 0
            && !device->hasOutput())
            lastByteMs = time.now;
        // Just before a tick, the status line is oldest: it shows what the
        // last tick saw, 99 ms ago.
        if (time.now % 100 == 99 && lastByteMs < 0) {
            const qsizetype delivered = output.size() - driver->bytesOnTheLine();
            const qsizetype onTheWire
                = std::upper_bound(labelEnds.cbegin(), labelEnds.cend(), delivered)
                - labelEnds.cbegin();
            static const QRegularExpression shownCount(QStringLiteral("(\\d+) von"));
            const QRegularExpressionMatch shown
                = shownCount.match(controller->ui.ReadStatus_lb->text());
            worstLag = std::max(worstLag,
                                onTheWire - (shown.hasMatch() ? shown.captured(1).toInt() : 0));
        }
        if (tree->topLevelItemCount() == records)
            lastRowMs = time.now;
    }
    if (lastRowMs < 0 || lastByteMs < 0)
        qFatal("the memory read did not complete in simulated time");
    if (suffix.isEmpty())
        printFigure(QStringLiteral("demo_read_ms_10000"), double(lastByteMs - 2000), "ms");
    printFigure(QStringLiteral("demo_last_row_ms") + suffix, double(lastRowMs - lastByteMs), "ms");
    if (!suffix.isEmpty())
        printFigure(QStringLiteral("progress_lag_records"), double(worstLag), "records");
}

// Twenty full memory reads in a row: memory after the 20th against after
// the 5th.
void soak()
{
    constexpr int records = 10000;
    SimulatedTime time;
    auto device = SimulatedDevice::createWithRecords(records, 50);
    auto driverOwner = std::make_unique<SimulatedDriver>(SimulatedDriver::Timing::Instant, device);
    driverOwner->setTimeSource([&time] { return time.now; });
    auto controller = makeController(std::move(driverOwner));
    time.controller = controller.get();
    // "Speicher lesen" stays off until the device has told its measuring
    // range: let its configuration report come and be parsed first.
    for (int i = 0; i < 2000; ++i)
        time.advanceOneMs();
    if (!controller->ui.ReadSpeicher_PB->isEnabled())
        qFatal("the simulated device never reported its configuration");
    QTreeWidget *tree = controller->ui.Messwert_treeWidget;
    qint64 afterFifth = 0;
    qint64 afterTwentieth = 0;
    for (int read = 1; read <= 20; ++read) {
        controller->ui.ReadSpeicher_PB->click();
        const qint64 start = time.now;
        while (tree->topLevelItemCount() < records && time.now - start < 120000)
            time.advanceOneMs();
        if (tree->topLevelItemCount() != records)
            qFatal("read %d showed %d rows", read, tree->topLevelItemCount());
        for (int i = 0; i < 300; ++i)
            time.advanceOneMs();
        QCoreApplication::processEvents();
        if (read == 5)
            afterFifth = ProcessUsage::residentKiB();
        if (read == 20)
            afterTwentieth = ProcessUsage::residentKiB();
    }
    printFigure(QStringLiteral("soak_rss_growth_percent"),
                100.0 * double(afterTwentieth - afterFifth) / double(afterFifth), "%");
}

} // namespace

void runSystemFigures()
{
    demoLastRow(DeviceReports::MemoryLayout::PerRecord, QString());
    demoLastRow(DeviceReports::MemoryLayout::OneReport, QStringLiteral("_one_report"));
    soak();
    idleFigures();
    firstByteLatency();
    hotplugScan();
}
