#include "benchutil.h"

#include "fakedriver.h"
#include "reportgenerator.h"

#include <QTimer>

#include <cstdio>

void printFigure(const QString &name, double value, const char *unit)
{
    std::printf("%s %.3f %s\n", qPrintable(name), value, unit);
    std::fflush(stdout);
}

std::unique_ptr<KalvorIIControl> makeController(std::unique_ptr<FtdiDriver> driver)
{
    if (!driver) {
        auto none = std::make_unique<FakeDriver>();
        none->deviceCountResult = 0;
        driver = std::move(none);
    }
    return std::make_unique<KalvorIIControl>(std::move(driver), KalvorIIControl::Timers::Stopped);
}

QString worstLayoutReport(int records)
{
    ReportGenerator generator(4096);
    return generator.memoryReport(records, ReportGenerator::Layout::SingleChunk);
}
