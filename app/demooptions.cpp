#include "demooptions.h"

#include "sim/simulateddevice.h"
#include "sim/simulateddriver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTimer>

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
    const QCommandLineOption unplugAt(
        QStringLiteral("unplug-at"),
        QStringLiteral("Pulls the converter out so many seconds after the start."),
        QStringLiteral("seconds"));
    const QCommandLineOption replugAt(
        QStringLiteral("replug-at"),
        QStringLiteral("Plugs it back in so many seconds after the start."),
        QStringLiteral("seconds"));
    parser.addOption(layout);
    parser.addOption(records);
    parser.addOption(unplugAt);
    parser.addOption(replugAt);
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

    auto driver
        = std::make_unique<SimulatedDriver>(SimulatedDriver::Timing::WireRate, std::move(device));
    // The driver lives as long as the program (the controller is never
    // deleted), so the scheduled plugging may hold on to it.
    SimulatedDriver *simulated = driver.get();
    const auto schedule = [&](const QCommandLineOption &option, void (SimulatedDriver::*act)()) {
        if (!parser.isSet(option))
            return;
        bool valid = false;
        const double seconds = parser.value(option).toDouble(&valid);
        if (!valid || seconds < 0 || seconds > 24 * 3600)
            failWith(QStringLiteral("--%1 takes a number of seconds").arg(option.names().first()));
        QTimer::singleShot(qRound(seconds * 1000), QCoreApplication::instance(),
                           [simulated, act] { (simulated->*act)(); });
    };
    schedule(unplugAt, &SimulatedDriver::unplug);
    schedule(replugAt, &SimulatedDriver::replug);
    return driver;
}
