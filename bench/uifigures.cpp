// The real controller and form (offscreen): working off a full memory report
// through its clock ticks, a report streaming in, and the hidden receive log.

#include "benchutil.h"
#include "fakedriver.h"
#include "link/ftdi_control.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>

namespace {

double tickMs(KalvorIIControl &controller)
{
    QElapsedTimer timer;
    timer.start();
    controller.clockTick();
    return double(timer.nsecsElapsed()) / 1e6;
}

// Each tick is followed by what the event loop does next in the running
// program: the window repaints the rows that came in. The floor pays the same
// repaints for the same rows, so the ratio is what parsing adds on top of
// showing the rows at all.
struct WindowRun
{
    double total = 0;
    double worst = 0;
    double floor = 0;
};

WindowRun windowRun()
{
    constexpr int records = 10000;
    constexpr int rowsPerTick = 250;
    auto controller = makeController();
    // The user reads the memory on the "Messwerte" page: the table is shown.
    controller->ui.tabWidget->setCurrentIndex(1);
    QTreeWidget *tree = controller->ui.Messwert_treeWidget;
    QCoreApplication::processEvents();
    controller->receiveAccumulator = worstLayoutReport(records);

    double total = 0;
    double worst = 0;
    int rowsBefore = -1;
    QString accumulatorBefore;
    QElapsedTimer timer;
    // Until a tick leaves rows and accumulator as they were.
    while (tree->topLevelItemCount() != rowsBefore
           || controller->receiveAccumulator != accumulatorBefore) {
        rowsBefore = tree->topLevelItemCount();
        accumulatorBefore = controller->receiveAccumulator;
        timer.start();
        controller->clockTick();
        QCoreApplication::processEvents();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        total += ms;
        worst = std::max(worst, ms);
    }
    if (tree->topLevelItemCount() != records)
        qFatal("window shows %d rows for %d records", tree->topLevelItemCount(), records);

    // The floor: the same rows into the same tree, no parsing at all.
    const QList<MeasurementRow> rows = controller->rows();
    tree->clear();
    QCoreApplication::processEvents();
    double floor = 0;
    for (int first = 0; first < records; first += rowsPerTick) {
        timer.start();
        for (int i = first; i < std::min(records, first + rowsPerTick); ++i)
            new QTreeWidgetItem(tree, rows.at(i).cells);
        QCoreApplication::processEvents();
        floor += double(timer.nsecsElapsed()) / 1e6;
    }

    return {total, worst, floor};
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// Three runs: the medians of the totals and floors (a moment of the machine
// moves a single run by 10 % or more), the worst tick of all.
void fullReportThroughTheWindow()
{
    QList<double> totals;
    QList<double> floors;
    double worst = 0;
    for (int run = 0; run < 3; ++run) {
        const WindowRun result = windowRun();
        totals << result.total;
        floors << result.floor;
        worst = std::max(worst, result.worst);
    }
    printFigure(QStringLiteral("ui_total_ms_10000"), median(totals), "ms");
    printFigure(QStringLiteral("ui_worst_tick_ms_10000"), worst, "ms");
    printFigure(QStringLiteral("widget_floor_ms_10000"), median(floors), "ms");
    printFigure(QStringLiteral("ui_overhead_ratio"), median(totals) / median(floors), "x");
}

// A report of 10,000 records arriving at the wire rate, no separator yet: a
// tick near the end must cost about what one near the start does.
void streamingReport()
{
    constexpr int bytesPerTick = 11520 / 10; // 100 ms at 115200 baud, 8N1
    QString report = worstLayoutReport(10000);
    report.truncate(report.lastIndexOf(QStringLiteral("=========================")));
    auto controller = makeController();

    const qsizetype ticks = report.size() / bytesPerTick;
    const qsizetype early = ticks / 100;
    const qsizetype late = ticks * 99 / 100;
    constexpr int sampleTicks = 8;
    double earlyMs = 0;
    double lateMs = 0;
    for (qsizetype tick = 0; tick < ticks; ++tick) {
        controller->receiveAccumulator.append(
            QStringView(report).mid(tick * bytesPerTick, bytesPerTick));
        const double ms = tickMs(*controller);
        if (tick >= early && tick < early + sampleTicks)
            earlyMs += ms;
        if (tick >= late && tick < late + sampleTicks)
            lateMs += ms;
    }
    printFigure(QStringLiteral("stream_tick_ratio"), lateMs / earlyMs, "x");
}

// One full receive run (65,536 characters, the most a run moves) into the
// hidden log, with 5 MB already received and with an empty log.
void logReceive()
{
    auto fakeOwner = std::make_unique<FakeDriver>();
    FakeDriver *fake = fakeOwner.get();
    auto controller = makeController(std::move(fakeOwner));
    const QString records = worstLayoutReport(1000);
    const QByteArray chunk = records.left(65536).toLatin1();

    const auto receiveRun = [&](const QByteArray &bytes) {
        fake->deliver(bytes);
        while (!fake->incoming.isEmpty())
            controller->link->poll();
        QElapsedTimer timer;
        timer.start();
        controller->receiveOnce();
        return double(timer.nsecsElapsed()) / 1e6;
    };
    const auto averageRun = [&] {
        double sum = 0;
        constexpr int runs = 10;
        for (int i = 0; i < runs; ++i) {
            sum += receiveRun(chunk);
            controller->receiveAccumulator.clear();
        }
        return sum / runs;
    };

    const double empty = averageRun();
    const QByteArray bulk = records.toLatin1();
    qsizetype received = 0;
    while (received < 5 * 1024 * 1024) {
        for (qsizetype at = 0; at < bulk.size(); at += 65536)
            receiveRun(bulk.mid(at, 65536));
        received += bulk.size();
        controller->receiveAccumulator.clear();
    }
    const double loaded = averageRun();
    printFigure(QStringLiteral("log_receive_ratio"), loaded / empty, "x");
}

// The same with text that has no line feed at all (or carriage returns
// only): one receive run after 4 MB of it, against one with an empty log.
void logLongLine()
{
    const auto measure = [](qsizetype before) {
        auto fakeOwner = std::make_unique<FakeDriver>();
        FakeDriver *fake = fakeOwner.get();
        auto controller = makeController(std::move(fakeOwner));
        const QByteArray chunk(65536, 'x');
        const auto receiveRun = [&] {
            fake->deliver(chunk);
            while (!fake->incoming.isEmpty())
                controller->link->poll();
            QElapsedTimer timer;
            timer.start();
            controller->receiveOnce();
            controller->receiveAccumulator.clear();
            return double(timer.nsecsElapsed()) / 1e6;
        };
        for (qsizetype received = 0; received < before; received += chunk.size())
            receiveRun();
        double sum = 0;
        constexpr int runs = 10;
        for (int i = 0; i < runs; ++i)
            sum += receiveRun();
        return sum / runs;
    };
    const double empty = measure(0);
    const double loaded = measure(4 * 1024 * 1024);
    printFigure(QStringLiteral("log_line_ratio"), loaded / empty, "x");
}

} // namespace

void runUiFigures()
{
    fullReportThroughTheWindow();
    streamingReport();
    logReceive();
    logLongLine();
}
