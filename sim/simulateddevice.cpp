#include "simulateddevice.h"

#include "devicereports.h"
#include "measurementgenerator.h"
#include "protocol/commands.h"

namespace {

// The longest command text is the clock command (23 characters); anything
// much longer is noise and is not collected.
constexpr int maxLineLength = 40;

// The value of text made of 1 to maxDigits decimal digits, or -1.
int digitsValue(QByteArrayView text, int maxDigits = 6)
{
    if (text.isEmpty() || text.size() > maxDigits)
        return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// "yyyy:MM:dd:d:hh:mm:ss" behind the "62" of the clock command; invalid when
// the text is not of that form or names no real date or time.
QDateTime clockValue(QByteArrayView text)
{
    if (text.size() != 21)
        return {};
    for (int colon : {4, 7, 10, 12, 15, 18}) {
        if (text.at(colon) != ':')
            return {};
    }
    const int year = digitsValue(text.sliced(0, 4));
    const int month = digitsValue(text.sliced(5, 2));
    const int day = digitsValue(text.sliced(8, 2));
    const int weekday = digitsValue(text.sliced(11, 1));
    const int hour = digitsValue(text.sliced(13, 2));
    const int minute = digitsValue(text.sliced(16, 2));
    const int second = digitsValue(text.sliced(19, 2));
    // The weekday digit must be one; the device keeps its own weekday from
    // the date, so a digit that disagrees with it does no harm.
    if (weekday < 1 || weekday > 7 || hour < 0 || minute < 0 || second < 0)
        return {};
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::UTC);
}

QDateTime defaultClock()
{
    return QDateTime(QDate(2026, 3, 16), QTime(8, 0), Qt::UTC);
}

QString printable(const QString &text)
{
    QString result = text;
    for (QChar &c : result) {
        if (c.unicode() < 0x20 || c.unicode() > 0xff)
            c = u'?';
    }
    return result;
}

} // namespace

SimulatedDevice::SimulatedDevice()
    : m_settings(DeviceSettings::factoryDefaults())
    , m_clockBase(defaultClock())
{
}

std::shared_ptr<SimulatedDevice> SimulatedDevice::createDemo()
{
    return createWithRecords(demoRecordCount);
}

std::shared_ptr<SimulatedDevice> SimulatedDevice::createEmpty()
{
    return std::make_shared<SimulatedDevice>();
}

std::shared_ptr<SimulatedDevice> SimulatedDevice::createWithRecords(int count, int measuringRange)
{
    auto device = std::make_shared<SimulatedDevice>();
    DeviceIdentity identity = device->identity();
    identity.measuringRange = measuringRange;
    device->setIdentity(identity);
    device->setMemory(MeasurementGenerator(device->identity().measuringRange)
                          .generate(qMin(count, memoryCapacity)));
    return device;
}

void SimulatedDevice::receive(const QByteArray &bytes, qint64 nowMs)
{
    advanceTo(nowMs);
    if (bytes.isEmpty())
        return;
    for (char byte : bytes)
        takeByte(byte, nowMs);
    m_lastByteMs = nowMs;
}

void SimulatedDevice::advanceTo(qint64 nowMs)
{
    if (nowMs - m_lastByteMs < commandPauseMs)
        return;
    // The host has fallen silent: what it sent without a line end is either
    // a whole command of fixed form or noise. Either way the next byte starts
    // afresh, so noise cannot spoil the next command.
    if (!m_pending.isEmpty() && !m_pendingTooLong)
        runCommandWithoutLineEnd(m_pending, m_lastByteMs, m_lastByteMs + commandPauseMs);
    m_pending.clear();
    m_pendingTooLong = false;
    m_awaitingCycles = false;
}

QList<SimulatedDevice::Output> SimulatedDevice::takeOutput()
{
    QList<Output> output;
    output.swap(m_output);
    return output;
}

void SimulatedDevice::setIdentity(const DeviceIdentity &identity)
{
    m_identity.serialNumber = printable(identity.serialNumber).rightJustified(6, u'0', true);
    m_identity.checkDate = printable(identity.checkDate).leftJustified(10, u' ', true);
    m_identity.firmwareVersion = DeviceLimits::firmwareVersion.clamp(identity.firmwareVersion);
    m_identity.sleevePositionRaw = DeviceLimits::positionRaw.clamp(identity.sleevePositionRaw);
    m_identity.measuringRange = DeviceLimits::measuringRange.clamp(identity.measuringRange);
}

void SimulatedDevice::setSettings(const DeviceSettings &settings)
{
    for (const DeviceSetting &setting : deviceSettings)
        m_settings.*setting.field = setting.range.clamp(settings.*setting.field);
}

QDateTime SimulatedDevice::clock(qint64 nowMs) const
{
    return m_clockBase.addMSecs(nowMs - m_clockSetAtMs);
}

void SimulatedDevice::setClock(const QDateTime &time, qint64 nowMs)
{
    m_clockBase = QDateTime(time.date(), time.time(), Qt::UTC);
    m_clockSetAtMs = nowMs;
}

void SimulatedDevice::setMemory(const QList<SimulatedMeasurement> &records)
{
    m_memory = records.mid(0, memoryCapacity);
}

bool SimulatedDevice::measure(double force, int positionRaw, qint64 nowMs)
{
    if (m_memory.size() >= memoryCapacity)
        return false;
    QDateTime now = clock(nowMs);
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    m_memory.append({now, force, positionRaw, m_settings.deviceId});
    return true;
}

int SimulatedDevice::fillLevel() const
{
    return DeviceReports::fillPercent(int(m_memory.size()), memoryCapacity);
}

void SimulatedDevice::takeByte(char byte, qint64 nowMs)
{
    // Lines end in LF; the CR at the end of the opening text carries nothing.
    if (byte == '\r')
        return;
    if (byte == '\n') {
        const bool noise = m_pendingTooLong;
        const QByteArray line = m_pending;
        m_pending.clear();
        m_pendingTooLong = false;
        if (noise)
            m_awaitingCycles = false;
        else
            takeLine(line, nowMs);
        return;
    }
    if (m_pendingTooLong)
        return;
    if (m_pending.size() >= maxLineLength) {
        m_pending.clear();
        m_pendingTooLong = true;
        return;
    }
    m_pending += byte;
}

void SimulatedDevice::takeLine(const QByteArray &line, qint64 nowMs)
{
    if (m_awaitingCycles) {
        m_awaitingCycles = false;
        const int cycles = digitsValue(line);
        if (cycles >= 0) {
            if (deviceSetting(ReportSink::Value::Cycles).range.contains(cycles))
                m_settings.cycles = cycles;
            return;
        }
        // Not a count after all: an ordinary line.
    }
    if (line.isEmpty())
        return; // the wake step's lone line feed: nothing to answer
    if (line == "UP") {
        send(DeviceReports::greeting(), nowMs);
        return;
    }
    if (line + '\n' == Commands::readConfiguration) {
        send(DeviceReports::configuration(m_identity, m_settings), nowMs);
        return;
    }
    // A command of fixed form also counts when a line end follows it.
    if (runCommandWithoutLineEnd(line, nowMs, nowMs))
        return;
    runSetting(line);
}

bool SimulatedDevice::runCommandWithoutLineEnd(const QByteArray &text, qint64 receivedMs,
                                               qint64 nowMs)
{
    if (text == Commands::readMemory) {
        send(DeviceReports::memory(m_memory, memoryCapacity, m_memoryLayout, m_recordsSent), nowMs);
        return true;
    }
    if (text == Commands::clearMemory) {
        m_memory.clear();
        return true;
    }
    if (text.startsWith("62")) {
        const QDateTime time = clockValue(QByteArrayView(text).sliced(2));
        if (!time.isValid())
            return false;
        // The text names the moment it was sent; the clock runs on from there.
        setClock(time, receivedMs);
        return true;
    }
    return false;
}

bool SimulatedDevice::runSetting(const QByteArray &line)
{
    // The command prefix of each setting that has a line of its own.
    struct Setting
    {
        const char *prefix;
        ReportSink::Value key;
    };
    static const Setting settings[] = {
        {"32", ReportSink::Value::WakeThreshold},
        {"41", ReportSink::Value::DeviceId},
        {"51", ReportSink::Value::Brightness},
        {"43", ReportSink::Value::RadioChannel},
        {"75", ReportSink::Value::Duration},
        // The cycle time; its line is followed by the number of cycles.
        {"8", ReportSink::Value::CycleTime},
    };
    for (const Setting &setting : settings) {
        if (!line.startsWith(setting.prefix))
            continue;
        const int value = digitsValue(QByteArrayView(line).sliced(qstrlen(setting.prefix)));
        if (value < 0)
            return false;
        const DeviceSetting &target = deviceSetting(setting.key);
        if (target.range.contains(value))
            m_settings.*target.field = value;
        if (setting.key == ReportSink::Value::CycleTime)
            m_awaitingCycles = true;
        return true;
    }
    return false;
}

void SimulatedDevice::send(const QByteArray &bytes, qint64 atMs)
{
    m_output.append({atMs, bytes});
}
