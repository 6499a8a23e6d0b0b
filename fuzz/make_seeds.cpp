// Writes the generated part of the fuzzer's seed corpus: device output of
// every kind from the seeded report generator, each followed by the six
// steering bytes the fuzzer reads from an input's end (see FuzzPlan).
//
//   kalvor2-fuzz-seeds DIRECTORY

#include "reportgenerator.h"
#include "sim/devicereports.h"
#include "sim/simulateddevice.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

QByteArray steering(quint32 seed, quint8 shape, quint8 mode)
{
    QByteArray bytes;
    for (int i = 0; i < 4; ++i)
        bytes += char((seed >> (8 * i)) & 0xFF);
    bytes += char(shape);
    bytes += char(mode);
    return bytes;
}

// The device ends its lines with CR LF; the receive run removes the CR.
QByteArray deviceBytes(QString text, bool crlf)
{
    if (crlf)
        text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return text.toLatin1();
}

// Kept under the fuzz run's 8 KiB input limit.
QString simulatedOneReport()
{
    const auto device = SimulatedDevice::createWithRecords(40, 50);
    return QString::fromLatin1(
        DeviceReports::memory(device->memory(), SimulatedDevice::memoryCapacity,
                              DeviceReports::MemoryLayout::OneReport)
        + DeviceReports::configuration(device->identity(), device->settings()));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kalvor2-fuzz-seeds DIRECTORY\n");
        return 2;
    }
    const QDir directory(QString::fromLocal8Bit(argv[1]));
    ReportGenerator generator(2024);

    struct Seed
    {
        const char *name;
        QString text;
        bool crlf;
        QByteArray steering;
    };
    const QList<Seed> seeds = {
        // One parser call per tick.
        {"generated_configuration", generator.configurationReport(), true, steering(1, 0x03, 0x78)},
        {"generated_memory_per_record",
         generator.configurationReport()
             + generator.memoryReport(12, ReportGenerator::Layout::ReportPerRecord),
         true, steering(7, 0x15, 0x7F)}, // the session's clock tick
        {"generated_memory_single_chunk",
         generator.memoryReport(20, ReportGenerator::Layout::SingleChunk), false,
         steering(99, 0x0D, 0x03)},
        {"generated_status", generator.statusReport() + generator.statusReport(), true,
         steering(5, 0x40, 0x01)},
        {"generated_device_output", generator.deviceOutput(), false, steering(1234, 0x26, 0x02)},
        {"generated_mutated_memory",
         generator.mutated(generator.memoryReport(8, ReportGenerator::Layout::SingleChunk), 6),
         true, steering(42, 0x02, 0x00)},
        {"generated_label_soup", generator.labelSoup(60), false, steering(3, 0x01, 0x06)},
        {"generated_flood", QStringLiteral("Nr.: 1\r\nabc"), false, steering(11, 0x0C, 0xFF)},
        // The simulated device's whole memory as one report, a configuration
        // report right behind it; the session's own clock tick.
        {"simulated_one_report", simulatedOneReport(), false, steering(77, 0x2B, 0x7C)},
    };
    for (const Seed &seed : seeds) {
        QFile file(directory.filePath(QString::fromLatin1(seed.name) + QStringLiteral(".bin")));
        if (!file.open(QIODevice::WriteOnly)
            || file.write(deviceBytes(seed.text, seed.crlf) + seed.steering) < 0) {
            std::fprintf(stderr, "kalvor2-fuzz-seeds: cannot write %s\n",
                         qPrintable(file.fileName()));
            return 1;
        }
    }
    return 0;
}
