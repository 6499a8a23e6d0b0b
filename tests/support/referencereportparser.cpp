#include "referencereportparser.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

const QString separator = QStringLiteral("=========================");

// The date and time cells as one instant, when they are exactly
// "yyyy:MM:dd" and "hh:mm:ss" and name a real date and time.
QDateTime timeStamp(const QString &date, const QString &time)
{
    static const QRegularExpression dateShape(QStringLiteral("^([0-9]{4}):([0-9]{2}):([0-9]{2})$"));
    static const QRegularExpression timeShape(QStringLiteral("^([0-9]{2}):([0-9]{2}):([0-9]{2})$"));
    const QRegularExpressionMatch d = dateShape.match(date);
    const QRegularExpressionMatch t = timeShape.match(time);
    if (!d.hasMatch() || !t.hasMatch())
        return {};
    const QDate day(d.captured(1).toInt(), d.captured(2).toInt(), d.captured(3).toInt());
    const QTime clock(t.captured(1).toInt(), t.captured(2).toInt(), t.captured(3).toInt());
    if (!day.isValid() || !clock.isValid())
        return {};
    return QDateTime(day, clock, Qt::UTC);
}

double scaled(double raw, int measuringRange)
{
    if (measuringRange == 50)
        return raw * 5 / 100;
    return raw / 10;
}

} // namespace

bool ReferenceReportParser::parseReport(QString &accumulator, ParserState &state, ReportSink &sink)
{
    bool changed = false;

    // Take a chunk, unless a record waits in the block.
    const int p = m_block.contains(QStringLiteral("Nr.:")) ? -1 : accumulator.indexOf(separator);
    if (p >= 0) {
        if (p >= 2)
            m_block.append(accumulator.left(p - 1));
        accumulator.remove(0, p + 25);
        changed = true;
    }

    if (m_block.isEmpty())
        return changed;

    QString value;
    if (valueRule(QStringLiteral("Serial number :"), 16, 6, 6, &value)) {
        sink.setText(ReportSink::Text::SerialNumber, value);
        changed = true;
    }
    if (valueRule(QStringLiteral("Huelsenpos.:"), 13, 3, 2, &value)) {
        state.sleevePositionRaw = value.toFloat();
        changed = true;
    }
    if (valueRule(QStringLiteral("LEDbrightness: "), 15, 3, 3, &value)) {
        sink.setValue(ReportSink::Value::Brightness, value.toInt());
        changed = true;
    }
    if (valueRule(QStringLiteral("Softwareversion:"), 17, 4, 4, &value)) {
        const int v = value.toInt();
        sink.setText(ReportSink::Text::FirmwareVersion,
                     QString::asprintf("V %d.%d", v / 100, v % 100));
        changed = true;
    }
    if (valueRule(QStringLiteral("HF-CH: "), 7, 4, 4, &value)) {
        sink.setValue(ReportSink::Value::RadioChannel, value.toInt());
        changed = true;
    }
    if (valueRule(QStringLiteral("HF-ID: "), 7, 4, 4, &value)) {
        sink.setValue(ReportSink::Value::DeviceId, value.toInt());
        changed = true;
    }
    if (valueRule(QStringLiteral("SMB: "), 5, 3, 3, &value)) {
        sink.setValue(ReportSink::Value::WakeThreshold, value.toInt());
        changed = true;
    }
    if (valueRule(QStringLiteral("SMB dur.: "), 10, 3, 3, &value)) {
        sink.setValue(ReportSink::Value::Duration, value.toInt());
        changed = true;
    }
    if (valueRule(QStringLiteral("Nr. of cycles: "), 15, 4, 4, &value)) {
        sink.setValue(ReportSink::Value::Cycles, value.toInt());
        changed = true;
    }
    if (valueRule(QStringLiteral("Cycle time: "), 12, 4, 4, &value)) {
        sink.setValue(ReportSink::Value::CycleTime, value.toInt());
        changed = true;
    }
    if (valueRule(QStringLiteral("Messbereich:"), 13, 4, 4, &value)) {
        state.measuringRange = value.toInt();
        sink.setSleevePosition(scaled(state.sleevePositionRaw, state.measuringRange));
        changed = true;
    }
    if (valueRule(QStringLiteral("Info :"), 7, 10, 10, &value)) {
        sink.setText(ReportSink::Text::CheckDate, value);
        changed = true;
    }
    if (recordRule(state, sink))
        changed = true;
    if (fillLevelRule(sink))
        changed = true;
    if (dropRule(QStringLiteral("current ADC force:"), 11)) {
        m_block.remove(QStringLiteral("kN"), Qt::CaseSensitive);
        changed = true;
    }
    if (dropRule(QStringLiteral("System running"), 14))
        changed = true;
    if (dropRule(QStringLiteral("Kalvor2 Menue"), 13))
        changed = true;
    return changed;
}

// Find the label, drop everything in front of it and `skip` characters, take
// the head of `width` as the value, drop `after` characters.
bool ReferenceReportParser::valueRule(const QString &label, int skip, int width, int after,
                                      QString *value)
{
    const int i = m_block.indexOf(label, 0, Qt::CaseSensitive);
    if (i < 0)
        return false;
    m_block.remove(0, i);
    m_block.remove(0, skip);
    *value = m_block.left(width);
    m_block.remove(0, after);
    return true;
}

bool ReferenceReportParser::recordRule(ParserState &state, ReportSink &sink)
{
    // 1. Find "Nr.:", drop everything in front of it and the label.
    const int i = m_block.indexOf(QStringLiteral("Nr.:"), 0, Qt::CaseSensitive);
    if (i < 0)
        return false;
    m_block.remove(0, i);
    m_block.remove(0, 4);

    // 2., 3. The row, its running number.
    MeasurementRow row;
    QStringList &cells = row.cells;
    row.number = state.measurementNumber;
    cells << QString::number(state.measurementNumber);
    state.measurementNumber++;

    // 4. Drop the device's record number, up to the line break.
    const int lineEnd = m_block.indexOf(QStringLiteral("\n"), 0, Qt::CaseSensitive);
    if (lineEnd >= 0)
        m_block.remove(0, lineEnd);

    // 5. The time-stamp heading.
    m_block.remove(QStringLiteral("JJJJ:MM:DD:d:hh:mm:ss"), Qt::CaseSensitive);
    m_block.remove(0, 2);

    // 6. The time-stamp text: date in front, time from position 13.
    const int stampEnd = m_block.indexOf(QStringLiteral("\n"), 0, Qt::CaseSensitive);
    QString stamp;
    if (stampEnd >= 0)
        stamp = m_block.left(stampEnd);
    cells << stamp.left(10);
    cells << stamp.mid(13);
    row.timeStamp = timeStamp(cells.at(1), cells.at(2));
    m_block.remove(0, stamp.size());

    // 7. The force.
    m_block.remove(QStringLiteral("Messwert: "), Qt::CaseSensitive);
    QString force = m_block.left(5);
    m_block.remove(0, 5);
    force.replace(QStringLiteral(","), QStringLiteral("."));
    int decimals = 1;
    if (state.measuringRange > 999)
        decimals = 0;
    else if (state.measuringRange < 100)
        decimals = 2;
    QString forceCell;
    forceCell.setNum(force.toDouble(), 'f', decimals);
    cells << forceCell;
    row.force = forceCell.toDouble();

    // 8. The sleeve position.
    m_block.remove(QStringLiteral("Pos.: "), Qt::CaseSensitive);
    const double x = m_block.left(3).toInt();
    QString positionCell;
    row.sleevePosition = scaled(x, state.measuringRange);
    positionCell.setNum(row.sleevePosition, 'g', 6);
    cells << positionCell;
    m_block.remove(0, 3);

    // 9. The device ID.
    m_block.remove(QStringLiteral("ID: "), Qt::CaseSensitive);
    row.deviceId = m_block.left(3).toInt();
    cells << QString::number(row.deviceId);

    sink.appendRow(row);
    return true;
}

bool ReferenceReportParser::fillLevelRule(ReportSink &sink)
{
    const int i = m_block.indexOf(QStringLiteral("fill level:"), 0, Qt::CaseSensitive);
    if (i < 0)
        return false;
    m_block.remove(0, i);
    m_block.remove(0, 12);
    sink.setValue(ReportSink::Value::FillLevel, m_block.left(3).toInt());

    const int j = m_block.indexOf(QStringLiteral("Entries :"), 0, Qt::CaseSensitive);
    if (j >= 0) {
        m_block.remove(0, j);
        m_block.remove(0, 10);
        // The count: the digits at the front of what stands up to the line
        // break, nine characters at the most.
        int lineEnd = m_block.indexOf(QStringLiteral("\n"));
        if (lineEnd < 0)
            lineEnd = m_block.size();
        const QString text = m_block.left(qMin(lineEnd, 9));
        int digits = 0;
        while (digits < text.size() && text.at(digits) >= u'0' && text.at(digits) <= u'9')
            ++digits;
        if (digits > 0)
            sink.setValue(ReportSink::Value::EntryCount, text.left(digits).toInt());
        m_block.remove(0, 4);
    }
    return true;
}

bool ReferenceReportParser::dropRule(const QString &label, int drop)
{
    const int i = m_block.indexOf(label, 0, Qt::CaseSensitive);
    if (i < 0)
        return false;
    m_block.remove(0, i);
    m_block.remove(0, drop);
    return true;
}
