// The program as a whole on the simulated device: idle CPU with the link
// open, the delay from the last byte of a full memory read to its last row,
// and memory over many reads.

#include "benchutil.h"
#include "link/ftdi_control.h"
#include "processusage.h"
#include "sim/devicereports.h"
#include "sim/simulateddevice.h"
#include "sim/simulateddriver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <array>

namespace {

void idleCpu()
{
    // The program and the bare loop take turns in slices of two seconds, so
    // that a slow moment of the machine weighs on both alike; each adds up to
    // ten seconds.
    constexpr int slices = 5;
    constexpr int sliceMs = 2000;
    auto controller = makeController(std::make_unique<SimulatedDriver>(
        SimulatedDriver::Timing::WireRate, SimulatedDevice::createDemo()));
    const std::array programTimers{controller->link->pollingTimer(), controller->receiveTimer,
                                   controller->clockTimer};

    // A bare event loop with the program's three timers and nothing to do.
    QObject context;
    QTimer poll, receive, clock;
    const std::array baselineTimers{&poll, &receive, &clock};
    for (auto [timer, interval] : {std::pair{&poll, 1}, {&receive, 50}, {&clock, 100}}) {
        QObject::connect(timer, &QTimer::timeout, &context, [] {});
        timer->setInterval(interval);
    }
    // A stopped timer keeps its interval; start() runs it again.
    const auto start = [](const auto &timers) {
        for (QTimer *timer : timers)
            timer->start();
    };
    const auto stop = [](const auto &timers) {
        for (QTimer *timer : timers)
            timer->stop();
    };

    start(programTimers);
    QTest::qWait(2000); // the configuration answer arrives and is shown
    double program = 0;
    double baseline = 0;
    for (int i = 0; i < slices; ++i) {
        stop(baselineTimers);
        start(programTimers);
        QTest::qWait(200); // settle after the switch
        program += ProcessUsage::cpuPercentWhileRunning(sliceMs) / slices;

        stop(programTimers);
        start(baselineTimers);
        QTest::qWait(200);
        baseline += ProcessUsage::cpuPercentWhileRunning(sliceMs) / slices;
    }
    stop(baselineTimers);
    printFigure(QStringLiteral("idle_cpu_percent"), program, "%");
    printFigure(QStringLiteral("idle_baseline_cpu_percent"), baseline, "%");
    printFigure(QStringLiteral("idle_cpu_ratio"), program / baseline, "x");
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
    idleCpu();
}
