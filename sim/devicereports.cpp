#include "devicereports.h"

namespace DeviceReports {

namespace {

QByteArray finished(const QString &body)
{
    QByteArray report = body.toLatin1();
    report += '\n';
    report += separator;
    report += '\n';
    return report;
}

// A number at a fixed width with leading zeros; the value is held inside what
// the width can carry so that no later field is shifted.
QString fixed(int value, int width, const SettingRange &range)
{
    return QString::asprintf("%0*d", width, range.clamp(value));
}

QString fixedText(const QString &text, int width)
{
    return text.leftJustified(width, QLatin1Char(' '), true);
}

} // namespace

QByteArray greeting()
{
    return finished(QStringLiteral("System running\nKalvor2 Menue"));
}

QByteArray configuration(const DeviceIdentity &identity, const DeviceSettings &settings)
{
    // Field order is the order in which the program looks for the labels: a
    // label it finds makes it drop everything in front, so a later label
    // placed earlier would be lost.
    QString body;
    body += QStringLiteral("Serial number : ") + fixedText(identity.serialNumber, 6) + u'\n';
    body += QStringLiteral("Huelsenpos.: ")
        + fixed(identity.sleevePositionRaw, 3, DeviceLimits::positionRaw) + u'\n';
    body += QStringLiteral("LEDbrightness: ")
        + fixed(settings.brightness, 3, deviceSetting(ReportSink::Value::Brightness).range) + u'\n';
    body += QStringLiteral("Softwareversion: ")
        + fixed(identity.firmwareVersion, 4, DeviceLimits::firmwareVersion) + u'\n';
    body += QStringLiteral("HF-CH: ")
        + fixed(settings.radioChannel, 4, deviceSetting(ReportSink::Value::RadioChannel).range)
        + u'\n';
    body += QStringLiteral("HF-ID: ")
        + fixed(settings.deviceId, 4, deviceSetting(ReportSink::Value::DeviceId).range) + u'\n';
    body += QStringLiteral("SMB: ")
        + fixed(settings.wakeThreshold, 3, deviceSetting(ReportSink::Value::WakeThreshold).range)
        + u'\n';
    body += QStringLiteral("SMB dur.: ")
        + fixed(settings.duration, 3, deviceSetting(ReportSink::Value::Duration).range) + u'\n';
    body += QStringLiteral("Nr. of cycles: ")
        + fixed(settings.cycles, 4, deviceSetting(ReportSink::Value::Cycles).range) + u'\n';
    body += QStringLiteral("Cycle time: ")
        + fixed(settings.cycleTime, 4, deviceSetting(ReportSink::Value::CycleTime).range) + u'\n';
    body += QStringLiteral("Messbereich: ")
        + fixed(identity.measuringRange, 4, DeviceLimits::measuringRange) + u'\n';
    body += QStringLiteral("Info : ") + fixedText(identity.checkDate, 10);
    return finished(body);
}

QByteArray fillLevel(int percent, int entries)
{
    // Entries may reach five digits when the memory is full; the program
    // skips four of them and its next label drops the rest.
    return finished(QStringLiteral("fill level: ") + fixed(percent, 3, {0, 100})
                    + QStringLiteral("\nEntries : ") + fixed(entries, 4, {0, 99999}));
}

namespace {

QString recordBody(int number, const SimulatedMeasurement &measurement)
{
    QString body;
    body += QStringLiteral("Nr.: ") + QString::number(number) + u'\n';
    body += QLatin1String(timeStampHeading) + u'\n';
    body += timeStampText(measurement.time) + u'\n';
    body += QStringLiteral("Messwert: ") + forceText(measurement.force);
    body += QStringLiteral("Pos.: ") + fixed(measurement.positionRaw, 3, DeviceLimits::positionRaw);
    body += QStringLiteral("ID: ") + fixed(measurement.deviceId, 3, DeviceLimits::recordId);
    return body;
}

} // namespace

QByteArray record(int number, const SimulatedMeasurement &measurement)
{
    return finished(recordBody(number, measurement));
}

QByteArray memory(const QList<SimulatedMeasurement> &records, int capacity, MemoryLayout layout,
                  int sendRecords)
{
    const int count = int(records.size());
    const int sent = sendRecords < 0 ? count : qMin(sendRecords, count);
    QByteArray text = fillLevel(fillPercent(count, capacity), count);
    text.reserve(text.size() + sent * 112);
    if (layout == MemoryLayout::PerRecord) {
        for (int i = 0; i < sent; ++i)
            text += record(i + 1, records.at(i));
        return text;
    }
    // Records one line after the other; the line end in front of the
    // separator is the one the reader drops.
    for (int i = 0; i < sent; ++i) {
        if (i > 0)
            text += '\n';
        text += recordBody(i + 1, records.at(i)).toLatin1();
    }
    if (sent == count && count > 0)
        text += QByteArray("\n") + separator + '\n';
    return text;
}

int fillPercent(int used, int capacity)
{
    if (capacity <= 0)
        return 100;
    return int(qint64(qBound(0, used, capacity)) * 100 / capacity);
}

QString forceText(double kiloNewton)
{
    const double value = qIsFinite(kiloNewton) ? qBound(-999.0, kiloNewton, 9999.0) : 0.0;
    for (int decimals : {2, 1}) {
        QString text = QString::number(value, 'f', decimals);
        if (text.size() == 4)
            return text.replace(u'.', u',');
    }
    return QString::asprintf("%04d", qRound(value));
}

double wireForce(double kiloNewton)
{
    return forceText(kiloNewton).replace(u',', u'.').toDouble();
}

QString timeStampText(const QDateTime &time)
{
    if (!time.isValid())
        return QStringLiteral("0000:00:00:0:00:00:00");
    return time.toString(QStringLiteral("yyyy:MM:dd:")) + QString::number(time.date().dayOfWeek())
        + time.toString(QStringLiteral(":hh:mm:ss"));
}

} // namespace DeviceReports
