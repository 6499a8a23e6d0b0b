#include "demooptions.h"

#include "sim/simulateddevice.h"
#include "sim/simulateddriver.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void failWith(const QString &message)
{
    std::fprintf(stderr, "kalvor2-demo: %s\n", qPrintable(message));
    std::exit(2);
}

} // namespace

std::unique_ptr<SimulatedDriver> simulatedDriverFromArguments(const QCoreApplication &application)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The Kalvor II tool on a simulated device inside the process, which answers at the pace "
        "of a real one at 115200 baud."));
    parser.addHelpOption();
    const QCommandLineOption layout(
        QStringLiteral("memory-layout"),
        QStringLiteral("How the device sends its memory: per-record (one report per record, "
                       "the default) or one-report (all records behind one separator, as a real "
                       "device may)."),
        QStringLiteral("layout"), QStringLiteral("per-record"));
    const QCommandLineOption records(
        QStringLiteral("records"),
        QStringLiteral("How many measurements the device holds, 0 to %1 (default %2).")
            .arg(SimulatedDevice::memoryCapacity)
            .arg(SimulatedDevice::demoRecordCount),
        QStringLiteral("count"), QString::number(SimulatedDevice::demoRecordCount));
    parser.addOption(layout);
    parser.addOption(records);
    parser.process(application);

    bool ok = false;
    const int count = parser.value(records).toInt(&ok);
    if (!ok || count < 0 || count > SimulatedDevice::memoryCapacity)
        failWith(QStringLiteral("--records takes a number from 0 to %1")
                     .arg(SimulatedDevice::memoryCapacity));
    auto device = SimulatedDevice::createWithRecords(count);
    const QString layoutName = parser.value(layout);
    if (layoutName == QLatin1String("one-report"))
        device->setMemoryLayout(DeviceReports::MemoryLayout::OneReport);
    else if (layoutName != QLatin1String("per-record"))
        failWith(QStringLiteral("--memory-layout takes per-record or one-report"));

    return std::make_unique<SimulatedDriver>(SimulatedDriver::Timing::WireRate, std::move(device));
}
