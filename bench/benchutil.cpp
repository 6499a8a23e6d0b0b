#include "benchutil.h"

#include "link/ftdidriver.h"
#include "reportgenerator.h"

#include <QFile>
#include <QMetaObject>
#include <QTimer>

#include <cstdio>
#include <ctime>

void printFigure(const QString &name, double value, const char *unit)
{
    std::printf("%s %.3f %s\n", qPrintable(name), value, unit);
    std::fflush(stdout);
}

double processCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

std::unique_ptr<KalvorIIControl> makeController(std::unique_ptr<FtdiDriver> driver)
{
    auto owner = std::make_shared<std::unique_ptr<FtdiDriver>>(std::move(driver));
    setFtdiDriverFactory([owner] { return std::move(*owner); });
    auto controller = std::make_unique<KalvorIIControl>();
    setFtdiDriverFactory(nullptr);
    controller->clockTimer->stop();
    controller->receiveTimer->stop();
    return controller;
}

void invokeSlot(QObject *object, const char *slot)
{
    QMetaObject::invokeMethod(object, slot, Qt::DirectConnection);
}

QString worstLayoutReport(int records)
{
    ReportGenerator generator(4096);
    return generator.memoryReport(records, ReportGenerator::Layout::SingleChunk);
}
