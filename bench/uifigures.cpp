// The real controller and form (offscreen): working off a full memory report
// through its clock ticks, a report streaming in, and the hidden receive log.

#include "benchutil.h"
#include "fakedriver.h"
#include "link/ftdi_control.h"
#include "processusage.h"
#include "ui/measurementchart.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

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

// `page` is the page showing while the memory is read: the "Messwerte"
// table, or the "Diagramm" page in one of its views.
enum class Page { Table, Trend, Scatter };

// With `archive`, the rows come as a memory read that the window keeps in an
// archive file, each tick's batch written in the tick.
WindowRun windowRun(Page page, bool archive = false)
{
    constexpr int records = 10000;
    constexpr int rowsPerTick = 250;
    QTemporaryDir folder;
    auto controller = makeController(archive ? std::make_unique<FakeDriver>() : nullptr);
    if (archive) {
        if (!controller->openArchive(folder.filePath(QStringLiteral("archive.sqlite"))).usable())
            qFatal("no archive in %s", qPrintable(folder.path()));
        // The device tells its range; then "Speicher lesen".
        controller->receiveAccumulator
            = QStringLiteral("Messbereich: 0020\n%1\n").arg(QString(25, QLatin1Char('=')));
        controller->clockTick();
        if (controller->session().readMemory() != DeviceSession::ReadStart::Started)
            qFatal("the memory read did not start");
    }
    MeasurementChart *chart = controller->chart();
    if (page == Page::Table) {
        controller->ui.tabWidget->setCurrentIndex(1);
    } else {
        controller->ui.tabWidget->setCurrentWidget(chart);
        chart->setView(page == Page::Trend ? MeasurementChart::View::Trend
                                           : MeasurementChart::View::ForceOverPosition);
    }
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
    if (archive) {
        QList<ArchivedReadSummary> reads;
        controller->archive().archive().listReads(reads);
        if (reads.size() != 1 || reads.first().rowsArchived != records)
            qFatal("the archive holds %d rows of %d",
                   reads.isEmpty() ? 0 : reads.first().rowsArchived, records);
    }

    // The floor: the same rows into the same tree and the same points into
    // the same chart, no parsing at all.
    const QList<MeasurementRow> rows = controller->rows();
    tree->clear();
    chart->clear();
    QCoreApplication::processEvents();
    double floor = 0;
    for (int first = 0; first < records; first += rowsPerTick) {
        const QList<MeasurementRow> batch = rows.mid(first, rowsPerTick);
        timer.start();
        for (const MeasurementRow &row : batch)
            new QTreeWidgetItem(tree, row.cells);
        chart->appendRows(batch);
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
void fullReportThroughTheWindow(Page page, const QString &suffix, bool archive = false)
{
    QList<double> totals;
    QList<double> floors;
    double worst = 0;
    for (int run = 0; run < 3; ++run) {
        const WindowRun result = windowRun(page, archive);
        totals << result.total;
        floors << result.floor;
        worst = std::max(worst, result.worst);
    }
    printFigure(QStringLiteral("ui_total_ms_10000") + suffix, median(totals), "ms");
    printFigure(QStringLiteral("ui_worst_tick_ms_10000") + suffix, worst, "ms");
    printFigure(QStringLiteral("widget_floor_ms_10000") + suffix, median(floors), "ms");
    printFigure(QStringLiteral("ui_overhead_ratio") + suffix, median(totals) / median(floors), "x");
}

// Resident memory the chart adds for a full memory's points, shown.
void chartMemory()
{
    auto controller = makeController();
    controller->receiveAccumulator = worstLayoutReport(10000);
    for (int tick = 0; tick < 100; ++tick)
        controller->clockTick();
    const QList<MeasurementRow> rows = controller->rows();
    if (rows.size() != 10000)
        qFatal("parsed %lld rows for the chart", qlonglong(rows.size()));
    MeasurementChart chart;
    chart.resize(929, 270);
    chart.show();
    QCoreApplication::processEvents();
    const qint64 before = ProcessUsage::residentKiB();
    chart.appendRows(rows);
    QCoreApplication::processEvents();
    printFigure(QStringLiteral("chart_memory_mb_10000"),
                double(ProcessUsage::residentKiB() - before) / 1024.0, "MB");
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

// A controller on a fake converter, and its receive runs timed.
struct Receiver
{
    FakeDriver *fake = nullptr;
    std::unique_ptr<KalvorIIControl> controller;
    Receiver()
    {
        auto fakeOwner = std::make_unique<FakeDriver>();
        fake = fakeOwner.get();
        controller = makeController(std::move(fakeOwner));
    }
    double run(const QByteArray &chunk)
    {
        fake->deliver(chunk);
        while (!fake->incoming.isEmpty())
            controller->link->poll();
        QElapsedTimer timer;
        timer.start();
        controller->receiveOnce();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        controller->receiveAccumulator.clear();
        return ms;
    }
    double sample(const QByteArray &chunk)
    {
        double ms = 0;
        for (int i = 0; i < 8; ++i)
            ms += run(chunk);
        return ms;
    }
};

// Receive runs of `chunk` into a hidden log that already holds `before` of
// `filler`, over runs into a log that starts empty. A run takes about a
// millisecond, so each sample is eight runs, the two logs take turns sample
// by sample (whatever the machine does weighs on both alike), and the figure
// is the ratio of the medians of nine samples. Both logs grow alike during
// the samples, so that the memory they take on costs both the same.
double logRatio(const QByteArray &chunk, const QByteArray &filler, qsizetype before)
{
    Receiver empty;
    Receiver loaded;
    for (qsizetype received = 0; received < before; received += filler.size()) {
        for (qsizetype at = 0; at < filler.size(); at += 65536)
            loaded.run(filler.mid(at, 65536));
    }
    empty.sample(chunk); // the first runs of a controller pay for setting up
    QList<double> emptySamples;
    QList<double> loadedSamples;
    for (int i = 0; i < 9; ++i) {
        emptySamples << empty.sample(chunk);
        loadedSamples << loaded.sample(chunk);
    }
    return median(loadedSamples) / median(emptySamples);
}

// One full receive run (65,536 characters, the most a run moves) of memory
// records into the hidden log, with 5 MB already received and with an empty
// log.
void logReceive()
{
    const QByteArray records = worstLayoutReport(1000).toLatin1();
    printFigure(QStringLiteral("log_receive_ratio"),
                logRatio(records.left(65536), records, 5 * 1024 * 1024), "x");
}

// The same with text that has no line feed at all (or carriage returns
// only), after 4 MB of it.
void logLongLine()
{
    const QByteArray chunk(65536, 'x');
    printFigure(QStringLiteral("log_line_ratio"), logRatio(chunk, chunk, 4 * 1024 * 1024), "x");
}

} // namespace

void runUiFigures()
{
    fullReportThroughTheWindow(Page::Table, QString());
    fullReportThroughTheWindow(Page::Trend, QStringLiteral("_chart"));
    fullReportThroughTheWindow(Page::Scatter, QStringLiteral("_scatter"));
    fullReportThroughTheWindow(Page::Table, QStringLiteral("_archive"), true);
    chartMemory();
    streamingReport();
    logReceive();
    logLongLine();
}
