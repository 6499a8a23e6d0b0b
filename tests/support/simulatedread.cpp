#include "simulatedread.h"

#include "protocol/reportparser.h"
#include "sim/devicereports.h"
#include "sim/measurementgenerator.h"
#include "sim/simulateddevice.h"
#include "textreportsink.h"

SimulatedRead simulatedRead(int records, const QList<int> &brokenStamps,
                            const QList<int> &brokenForces)
{
    const DeviceIdentity identity;
    const QList<SimulatedMeasurement> measurements
        = MeasurementGenerator(identity.measuringRange).generate(records);
    QByteArray text = DeviceReports::configuration(identity, DeviceSettings::factoryDefaults());
    text += DeviceReports::fillLevel(
        DeviceReports::fillPercent(records, SimulatedDevice::memoryCapacity), records);
    for (int number = 1; number <= records; ++number) {
        const SimulatedMeasurement &measurement = measurements.at(number - 1);
        QByteArray record = DeviceReports::record(number, measurement);
        if (brokenStamps.contains(number)) {
            // yyyy:MM:dd:...: the month and day become 02:30.
            const QByteArray stamp = DeviceReports::timeStampText(measurement.time).toLatin1();
            record.replace(stamp, QByteArray(stamp).replace(5, 5, "02:30"));
        }
        if (brokenForces.contains(number))
            record.replace("Messwert: " + DeviceReports::forceText(measurement.force).toLatin1(),
                           "Messwert: -inf");
        text += record;
    }

    ReportParser parser;
    TextReportSink sink;
    QString accumulator = QString::fromLatin1(text);
    int measuringRange = -1;
    int measurementNumber = 1;
    float sleevePositionRaw = 0;
    ParserState state{measuringRange, measurementNumber, sleevePositionRaw};
    while (parser.parseReport(accumulator, state, sink) || parser.recordWaiting()) { }

    SimulatedRead read;
    read.rows = sink.typedRows();
    ReadInfo &info = read.info;
    info.startedAt = QDateTime(QDate(2026, 12, 7), QTime(9, 30, 0));
    info.serialNumber = sink.text(ReportSink::Text::SerialNumber).value_or(QString());
    info.firmwareVersion = sink.text(ReportSink::Text::FirmwareVersion).value_or(QString());
    info.checkDate = sink.text(ReportSink::Text::CheckDate).value_or(QString());
    info.measuringRange = measuringRange;
    for (const DeviceSetting &setting : deviceSettings) {
        info.settings.*setting.field = sink.value(setting.key).value_or(0);
        info.settingsKnown = info.settingsKnown || sink.value(setting.key).has_value();
    }
    info.entriesAnnounced = sink.value(ReportSink::Value::EntryCount).value_or(-1);
    info.rowsReceived = int(read.rows.size());
    info.complete = info.rowsReceived == info.entriesAnnounced;
    return read;
}
