#include "demooptions.h"

#include "app/commandline.h"
#include "sim/simulateddevice.h"
#include "sim/simulateddriver.h"

#include <QCoreApplication>
#include <QTimer>

DemoOptions demoOptionsFromArguments(int argc, char *argv[])
{
    CommandLine commandLine(
        argc, argv,
        QStringLiteral("The Kalvor II tool on a simulated device inside the process, which "
                       "answers at the pace of a real one at 115200 baud."));
    // The demo is a window: Qt's own options (-platform, -style) reach it.
    commandLine.acceptQtWindowOptions();
    QCommandLineParser &parser = commandLine.parser();
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
    const QCommandLineOption archive(
        QStringLiteral("archive"),
        QStringLiteral("Keeps the reads in this archive file instead of the demo's own "
                       "(archive-demo.sqlite in the user's data folder)."),
        QStringLiteral("path"));
    parser.addOption(layout);
    parser.addOption(records);
    parser.addOption(unplugAt);
    parser.addOption(replugAt);
    parser.addOption(archive);
    commandLine.process();
    if (!parser.positionalArguments().isEmpty())
        commandLine.fail(QStringLiteral("takes no file or other argument: %1")
                             .arg(parser.positionalArguments().first()));

    DemoOptions options;
    bool ok = false;
    options.records = parser.value(records).toInt(&ok);
    if (!ok || options.records < 0 || options.records > SimulatedDevice::memoryCapacity)
        commandLine.fail(QStringLiteral("--records takes a number from 0 to %1")
                             .arg(SimulatedDevice::memoryCapacity));
    const QString layoutName = parser.value(layout);
    if (layoutName == QLatin1String("one-report"))
        options.layout = DeviceReports::MemoryLayout::OneReport;
    else if (layoutName != QLatin1String("per-record"))
        commandLine.fail(QStringLiteral("--memory-layout takes per-record or one-report"));

    const auto milliseconds = [&](const QCommandLineOption &option) -> std::optional<int> {
        if (!parser.isSet(option))
            return std::nullopt;
        bool valid = false;
        const double seconds = parser.value(option).toDouble(&valid);
        if (!valid || seconds < 0 || seconds > 24 * 3600)
            commandLine.fail(
                QStringLiteral("--%1 takes a number of seconds").arg(option.names().first()));
        return qRound(seconds * 1000);
    };
    options.unplugAtMs = milliseconds(unplugAt);
    options.replugAtMs = milliseconds(replugAt);
    options.archivePath = parser.value(archive);
    return options;
}

std::unique_ptr<SimulatedDriver> simulatedDriver(const DemoOptions &options)
{
    auto device = SimulatedDevice::createWithRecords(options.records);
    device->setMemoryLayout(options.layout);
    auto driver
        = std::make_unique<SimulatedDriver>(SimulatedDriver::Timing::WireRate, std::move(device));
    // The driver lives as long as the program (the controller is never
    // deleted), so the scheduled plugging may hold on to it.
    SimulatedDriver *simulated = driver.get();
    // At 0 s the converter is pulled before anything looks at it.
    const auto schedule = [simulated](std::optional<int> ms, void (SimulatedDriver::*act)()) {
        if (ms && *ms == 0)
            (simulated->*act)();
        else if (ms)
            QTimer::singleShot(*ms, QCoreApplication::instance(),
                               [simulated, act] { (simulated->*act)(); });
    };
    schedule(options.unplugAtMs, &SimulatedDriver::unplug);
    schedule(options.replugAtMs, &SimulatedDriver::replug);
    return driver;
}
