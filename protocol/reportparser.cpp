#include "reportparser.h"

#include "measuringrange.h"
#include "reportblock.h"

#include <QStringList>

#include <algorithm>
#include <charconv>

QStringList reportLabelTexts()
{
    return {
        QStringLiteral("Serial number :"),
        QStringLiteral("Huelsenpos.:"),
        QStringLiteral("LEDbrightness: "),
        QStringLiteral("Softwareversion:"),
        QStringLiteral("HF-CH: "),
        QStringLiteral("HF-ID: "),
        QStringLiteral("SMB: "),
        QStringLiteral("SMB dur.: "),
        QStringLiteral("Nr. of cycles: "),
        QStringLiteral("Cycle time: "),
        QStringLiteral("Messbereich:"),
        QStringLiteral("Info :"),
        QStringLiteral("Nr.:"),
        QStringLiteral("fill level:"),
        QStringLiteral("Entries :"),
        QStringLiteral("current ADC force:"),
        QStringLiteral("System running"),
        QStringLiteral("Kalvor2 Menue"),
    };
}

QStringList reportDeletedTexts()
{
    return {
        QStringLiteral("JJJJ:MM:DD:d:hh:mm:ss"),
        QStringLiteral("Messwert: "),
        QStringLiteral("Pos.: "),
        QStringLiteral("ID: "),
        QStringLiteral("kN"),
    };
}

namespace {

// Every text the rules look for or delete. The order of the first eighteen is
// the order in which the rules are applied.
enum Label {
    SerialNumberLabel,
    SleevePositionLabel,
    BrightnessLabel,
    FirmwareLabel,
    RadioChannelLabel,
    DeviceIdLabel,
    WakeThresholdLabel,
    DurationLabel,
    CyclesLabel,
    CycleTimeLabel,
    MeasuringRangeLabel,
    CheckDateLabel,
    RecordLabel,
    FillLevelLabel,
    EntriesLabel,
    AdcForceLabel,
    SystemRunningLabel,
    MenuLabel,
    LineBreak,
    TimeStampHeading,
    ForceLabel,
    PositionLabel,
    IdLabel,
    KiloNewton,
};

QStringList labelTexts()
{
    return reportLabelTexts() + QStringList{QStringLiteral("\n")} + reportDeletedTexts();
}

const QString separator = QString::fromLatin1(reportSeparator);

// How a one-value rule turns the characters behind its label into a value.
enum class Conversion { Text, Integer, SleevePosition, Firmware, MeasuringRange };

struct ValueRule
{
    Label label;
    qsizetype skip;  // label, or label and the character after it
    qsizetype width; // characters taken as value text
    qsizetype after; // characters dropped after the value
    Conversion conversion;
    int target; // ReportSink::Text or ReportSink::Value, as the conversion says
};

constexpr int noTarget = -1;

// At most this many digits of an entry count are read (the memory holds
// 10,000).
constexpr qsizetype maxEntryCountDigits = 9;

const ValueRule valueRules[] = {
    {SerialNumberLabel, 16, 6, 6, Conversion::Text, int(ReportSink::Text::SerialNumber)},
    {SleevePositionLabel, 13, 3, 2, Conversion::SleevePosition, noTarget},
    {BrightnessLabel, 15, 3, 3, Conversion::Integer, int(ReportSink::Value::Brightness)},
    {FirmwareLabel, 17, 4, 4, Conversion::Firmware, int(ReportSink::Text::FirmwareVersion)},
    {RadioChannelLabel, 7, 4, 4, Conversion::Integer, int(ReportSink::Value::RadioChannel)},
    {DeviceIdLabel, 7, 4, 4, Conversion::Integer, int(ReportSink::Value::DeviceId)},
    {WakeThresholdLabel, 5, 3, 3, Conversion::Integer, int(ReportSink::Value::WakeThreshold)},
    {DurationLabel, 10, 3, 3, Conversion::Integer, int(ReportSink::Value::Duration)},
    {CyclesLabel, 15, 4, 4, Conversion::Integer, int(ReportSink::Value::Cycles)},
    {CycleTimeLabel, 12, 4, 4, Conversion::Integer, int(ReportSink::Value::CycleTime)},
    {MeasuringRangeLabel, 13, 4, 4, Conversion::MeasuringRange, noTarget},
    {CheckDateLabel, 7, 10, 10, Conversion::Text, int(ReportSink::Text::CheckDate)},
};

// The value of a number the parser has just written ('f' format, "inf",
// "nan"). std::from_chars reads it exactly as QString::toDouble would, at a
// tenth of the cost, and without regard to the user's locale.
double shownNumber(const QString &text)
{
    char ascii[64];
    if (text.size() > qsizetype(sizeof ascii))
        return text.toDouble(); // a huge value from a malformed report
    for (qsizetype i = 0; i < text.size(); ++i)
        ascii[i] = char(text.at(i).unicode());
    double value = 0;
    std::from_chars(ascii, ascii + text.size(), value);
    return value;
}

} // namespace

struct ReportParser::Impl
{
    ReportBlock block{labelTexts()};

    // The receive path only ever appends to the accumulator and only the
    // parser removes from its front, so text already searched for a separator
    // need not be searched again: a stream that has not finished its report
    // costs each call only the text that arrived since the last one. The
    // last characters searched are kept to notice an accumulator that was
    // replaced instead of appended to; then the search starts over.
    static constexpr qsizetype tailLength = 24; // a separator minus one character
    static constexpr qsizetype takeOverSize = 64 * 1024;
    qsizetype searchedSize = 0; // accumulator size when last searched in vain
    QChar searchedTail[tailLength];
    qsizetype searchedTailSize = 0;

    bool takeChunk(QString &accumulator);
    bool applyValueRule(const ValueRule &rule, ParserState &state, ReportSink &sink);
    bool applyRecordRule(ParserState &state, ReportSink &sink);
    bool applyFillLevelRule(ReportSink &sink);
    bool applyDropRule(Label label, qsizetype drop, bool removeKiloNewton);
};

ReportParser::ReportParser()
    : d(new Impl)
{
}

ReportParser::~ReportParser()
{
    delete d;
}

QString ReportParser::block() const
{
    return d->block.text();
}

bool ReportParser::recordWaiting()
{
    return d->block.indexOf(RecordLabel) >= 0;
}

void ReportParser::accumulatorReplaced()
{
    d->searchedSize = 0;
    d->searchedTailSize = 0;
}

bool ReportParser::parseReport(QString &accumulator, ParserState &state, ReportSink &sink)
{
    // Records waiting in the block are worked off, one a call, before the
    // next chunk comes in: a chunk taken now could bring a label that makes
    // a rule drop them (a configuration report behind a memory report).
    bool changed = !recordWaiting() && d->takeChunk(accumulator);
    if (d->block.isEmpty())
        return changed;

    for (const ValueRule &rule : valueRules)
        changed |= d->applyValueRule(rule, state, sink);
    changed |= d->applyRecordRule(state, sink);
    changed |= d->applyFillLevelRule(sink);
    changed |= d->applyDropRule(AdcForceLabel, 11, true);
    changed |= d->applyDropRule(SystemRunningLabel, 14, false);
    changed |= d->applyDropRule(MenuLabel, 13, false);
    return changed;
}

// Moves the text in front of the next separator into the block, less the one
// character just in front of the separator, and removes it and the separator
// from the accumulator.
bool ReportParser::Impl::takeChunk(QString &accumulator)
{
    const qsizetype size = accumulator.size();
    qsizetype from = 0;
    if (searchedSize > 0 && size >= searchedSize
        && QStringView(accumulator).mid(searchedSize - searchedTailSize, searchedTailSize)
            == QStringView(searchedTail, searchedTailSize)) {
        if (size == searchedSize)
            return false;
        from = searchedSize - searchedTailSize;
    }

    const qsizetype found = accumulator.indexOf(separator, from);
    if (found < 0) {
        searchedSize = size;
        searchedTailSize = std::min(tailLength, size);
        std::copy_n(accumulator.constData() + size - searchedTailSize, searchedTailSize,
                    searchedTail);
        return false;
    }

    const qsizetype length = found - 1;
    const qsizetype restStart = found + separator.size();
    const qsizetype restLength = size - restStart;
    if (length >= takeOverSize && restLength <= length / 4 && block.size() <= length / 4) {
        // A large report that fills most of the accumulator (a whole memory
        // read in one chunk): hand the accumulator's storage to the block and
        // keep a copy of the short rest instead of copying the report.
        QString taken = std::move(accumulator);
        accumulator = QStringView(taken).mid(restStart).toString();
        taken.truncate(length);
        block.appendOwned(std::move(taken));
    } else {
        if (length >= 1)
            block.append(QStringView(accumulator).left(length));
        accumulator.remove(0, restStart);
    }
    searchedSize = 0;
    searchedTailSize = 0;
    return true;
}

bool ReportParser::Impl::applyValueRule(const ValueRule &rule, ParserState &state, ReportSink &sink)
{
    const qsizetype position = block.indexOf(rule.label);
    if (position < 0)
        return false;
    block.drop(position + rule.skip);
    const QStringView value = block.head(rule.width);

    switch (rule.conversion) {
    case Conversion::Text:
        sink.setText(ReportSink::Text(rule.target), value.toString());
        break;
    case Conversion::Integer:
        sink.setValue(ReportSink::Value(rule.target), value.toInt());
        break;
    case Conversion::SleevePosition:
        state.sleevePositionRaw = value.toFloat();
        break;
    case Conversion::Firmware: {
        const int version = value.toInt();
        sink.setText(ReportSink::Text(rule.target),
                     QString::asprintf("V %d.%d", version / 100, version % 100));
        break;
    }
    case Conversion::MeasuringRange:
        state.measuringRange = value.toInt();
        sink.setSleevePosition(
            MeasuringRange::sleevePosition(state.sleevePositionRaw, state.measuringRange));
        sink.measuringRangeReported();
        break;
    }

    block.drop(rule.after);
    return true;
}

// One measurement record: always one row, whatever of the record is missing.
bool ReportParser::Impl::applyRecordRule(ParserState &state, ReportSink &sink)
{
    const qsizetype position = block.indexOf(RecordLabel);
    if (position < 0)
        return false;
    block.drop(position + 4);

    MeasurementRow row;
    row.cells.reserve(MeasurementRow::ColumnCount);
    row.number = state.measurementNumber;
    row.cells.append(QString::number(state.measurementNumber));
    ++state.measurementNumber;

    // The device's own record number is not used.
    const qsizetype numberEnd = block.indexOf(LineBreak);
    if (numberEnd >= 0)
        block.drop(numberEnd);

    block.removeAll(TimeStampHeading);
    block.drop(2);

    const qsizetype stampEnd = block.indexOf(LineBreak);
    const QStringView stamp = block.head(std::max<qsizetype>(stampEnd, 0));
    row.cells.append(stamp.left(10).toString());
    row.cells.append(stamp.size() > 13 ? stamp.mid(13).toString() : QString());
    row.timeStamp = MeasurementRow::timeStampFrom(row.cells.at(MeasurementRow::Date),
                                                  row.cells.at(MeasurementRow::Time));
    block.drop(stamp.size());

    block.removeAll(ForceLabel);
    QString force = block.head(5).toString();
    block.drop(5);
    force.replace(u',', u'.');
    row.cells.append(QString::number(force.toDouble(), 'f',
                                     MeasuringRange::forceDecimals(state.measuringRange)));
    // The number exactly as the table shows it, so that whatever shows the
    // numbers never disagrees with the table.
    row.force = shownNumber(row.cells.at(MeasurementRow::Force));

    block.removeAll(PositionLabel);
    row.sleevePosition
        = MeasuringRange::sleevePosition(block.head(3).toInt(), state.measuringRange);
    row.cells.append(QString::number(row.sleevePosition, 'g', 6));
    block.drop(3);

    block.removeAll(IdLabel);
    row.deviceId = block.head(3).toInt();
    row.cells.append(QString::number(row.deviceId));

    sink.appendRow(row);
    return true;
}

bool ReportParser::Impl::applyFillLevelRule(ReportSink &sink)
{
    const qsizetype position = block.indexOf(FillLevelLabel);
    if (position < 0)
        return false;
    block.drop(position + 12);
    sink.setValue(ReportSink::Value::FillLevel, block.head(3).toInt());

    // The entry count behind it: its digits up to the line break (five of
    // them when the memory is full), although only four are dropped.
    const qsizetype entries = block.indexOf(EntriesLabel);
    if (entries >= 0) {
        block.drop(entries + 10);
        const qsizetype lineEnd = block.indexOf(LineBreak);
        const QStringView text = block.head(
            std::min<qsizetype>(lineEnd >= 0 ? lineEnd : block.size(), maxEntryCountDigits));
        const qsizetype digits
            = std::find_if(text.begin(), text.end(), [](QChar c) { return c < u'0' || c > u'9'; })
            - text.begin();
        if (digits > 0)
            sink.setValue(ReportSink::Value::EntryCount, text.left(digits).toInt());
        block.drop(4);
    }
    return true;
}

bool ReportParser::Impl::applyDropRule(Label label, qsizetype drop, bool removeKiloNewton)
{
    const qsizetype position = block.indexOf(label);
    if (position < 0)
        return false;
    block.drop(position + drop);
    if (removeKiloNewton)
        block.removeAll(KiloNewton);
    return true;
}
