#include "processusage.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <ctime>

double ProcessUsage::cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

double ProcessUsage::cpuPercentWhileRunning(int ms)
{
    const double before = cpuMs();
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(ms);
    return 100.0 * (cpuMs() - before) / double(wall.elapsed());
}

qint64 ProcessUsage::residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}
