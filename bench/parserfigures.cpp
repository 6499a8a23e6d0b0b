// The report parser alone, rows and values collected as text, on memory
// reports in the worst layout: every record in one chunk behind one separator;
// then the workbook written from a full memory's rows.

#include "benchutil.h"
#include "protocol/reportdrain.h"
#include "protocol/reportparser.h"
#include "referencereportparser.h"
#include "textreportsink.h"

#include <QElapsedTimer>

#include <algorithm>

namespace {

struct DrainTimes
{
    double totalMs = 0;
    double worstTickMs = 0;
    qsizetype rows = 0;
};

// Works the report off starting in the accumulator, tick by tick, as the
// clock tick does, until a tick changes nothing.
template<typename Parser>
DrainTimes drainAll(const QString &report)
{
    Parser parser;
    int measuringRange = -1;
    int measurementNumber = 1;
    float sleevePositionRaw = 0;
    ParserState state{measuringRange, measurementNumber, sleevePositionRaw};
    TextReportSink sink;
    QString accumulator = report;
    DrainTimes times;
    QElapsedTimer timer;
    for (;;) {
        timer.start();
        const bool changed = drainReports(
            accumulator, [&](QString &text) { return parser.parseReport(text, state, sink); },
            [&] { return parser.recordWaiting(); });
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        times.totalMs += ms;
        times.worstTickMs = std::max(times.worstTickMs, ms);
        if (!changed)
            break;
    }
    times.rows = sink.rows().size();
    return times;
}

// The median run of three, by total time.
DrainTimes medianOfThree(const QString &report)
{
    DrainTimes runs[3];
    for (DrainTimes &run : runs)
        run = drainAll<ReportParser>(report);
    std::sort(std::begin(runs), std::end(runs),
              [](const DrainTimes &a, const DrainTimes &b) { return a.totalMs < b.totalMs; });
    return runs[1];
}

} // namespace

void runParserFigures()
{
    double total4096 = 0;
    for (int records : {1000, 4096, 10000}) {
        const DrainTimes times = medianOfThree(worstLayoutReport(records));
        if (times.rows != records)
            qFatal("parser produced %lld rows for %d records", qlonglong(times.rows), records);
        printFigure(QStringLiteral("parse_total_ms_%1").arg(records), times.totalMs, "ms");
        printFigure(QStringLiteral("parse_worst_tick_ms_%1").arg(records), times.worstTickMs, "ms");
        if (records == 10000)
            printFigure(QStringLiteral("parse_records_per_s_10000"),
                        records / (times.totalMs / 1000.0), "records/s");
        if (records == 4096)
            total4096 = times.totalMs;
    }
    const DrainTimes reference = drainAll<ReferenceReportParser>(worstLayoutReport(4096));
    if (reference.rows != 4096)
        qFatal("reference parser produced %lld rows", qlonglong(reference.rows));
    printFigure(QStringLiteral("reference_total_ms_4096"), reference.totalMs, "ms");
    printFigure(QStringLiteral("speedup_vs_reference_4096"), reference.totalMs / total4096, "x");

    // The rows' way on without widgets: into the workbook.
    runWorkbookFigures();
}
