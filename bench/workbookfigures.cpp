// The workbook export: a full memory of 10,000 rows, with its chart, written
// to disk as the export does.

#include "benchutil.h"
#include "export/workbook.h"
#include "simulatedread.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <array>

void runWorkbookFigures()
{
    const SimulatedRead read = simulatedRead(10000);
    if (read.rows.size() != 10000)
        qFatal("the simulated read gave %lld rows", qlonglong(read.rows.size()));
    QTemporaryDir dir;
    if (!dir.isValid())
        qFatal("no temporary folder");
    const QDateTime exportedAt = QDateTime::currentDateTime();
    const QString name = dir.filePath(QStringLiteral("workbook.xlsx"));

    // The median of five writes, after one that warms the caches.
    std::array<double, 6> runs{};
    QElapsedTimer timer;
    for (double &ms : runs) {
        timer.start();
        const QString error = Workbook::writeWorkbook(name, read.rows, read.info, exportedAt);
        ms = double(timer.nsecsElapsed()) / 1e6;
        if (!error.isEmpty())
            qFatal("workbook not written: %s", qPrintable(error));
    }
    std::sort(runs.begin() + 1, runs.end());
    printFigure(QStringLiteral("workbook_write_ms_10000"), runs[3], "ms");
}
