#include "benchutil.h"

#include "controllerwithdriver.h"
#include "link/ftdidriver.h"
#include "reportgenerator.h"

#include <QMetaObject>
#include <QTimer>

#include <cstdio>

void printFigure(const QString &name, double value, const char *unit)
{
    std::printf("%s %.3f %s\n", qPrintable(name), value, unit);
    std::fflush(stdout);
}

std::unique_ptr<KalvorIIControl> makeController(std::unique_ptr<FtdiDriver> driver)
{
    auto controller = controllerWithDriver(std::move(driver));
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
