#include "devicesession.h"

#include "link/ftdi_control.h"
#include "protocol/commands.h"
#include "protocol/configwrite.h"
#include "protocol/limits.h"
#include "protocol/receivedtext.h"
#include "protocol/reportdrain.h"
#include "session/clock.h"
#include "session/pause.h"

#include <QMetaMethod>
#include <QTimer>

#include <algorithm>

namespace {
// The receive log's lines are broken at a bounded length, because a text
// view lays a line out again whenever text is added to it: text without line
// feeds would make every receive run cost as much as everything received so
// far.
constexpr int logLineLength = 1000;
// Text that waits without a separator is kept up to this much (a full memory
// sent as one report is about 1.1 M characters); beyond it the oldest goes,
// down to the low mark, so that the cut happens seldom.
constexpr qsizetype accumulatorCap = 4 * 1024 * 1024;
constexpr qsizetype accumulatorLowMark = accumulatorCap - 512 * 1024;
} // namespace

bool ReportedDevice::allSettingsReported() const
{
    return settingsMask == (1u << deviceSettings.size()) - 1;
}

// Marks a command as running, from its first write (the wake step) to the
// end of its last pause: the pauses serve input and timers, and a second
// command would interleave with this one on the wire.
class DeviceSession::Command
{
public:
    explicit Command(DeviceSession *session)
        : m_session(session)
    {
        m_session->m_commandRunning = true;
        emit m_session->commandRunningChanged();
    }
    ~Command()
    {
        m_session->m_commandRunning = false;
        emit m_session->commandRunningChanged();
    }
    Q_DISABLE_COPY_MOVE(Command)

private:
    DeviceSession *m_session;
};

// What the parser reads: kept in the session's record and passed on to the
// caller's sink.
class DeviceSession::Sink : public ReportSink
{
public:
    explicit Sink(DeviceSession &session)
        : s(session)
    {
    }

    void setText(Text which, const QString &text) override
    {
        switch (which) {
        case Text::SerialNumber:
            s.m_reported.serialNumber = text;
            break;
        case Text::FirmwareVersion:
            s.m_reported.firmwareVersion = text;
            break;
        case Text::CheckDate:
            s.m_reported.checkDate = text;
            break;
        }
        if (s.m_sink)
            s.m_sink->setText(which, text);
    }
    void setValue(Value which, int value) override
    {
        if (which == Value::FillLevel) {
            // The fill bar takes only percentages; so does the record.
            if (value >= 0 && value <= 100)
                s.m_reported.fillLevel = value;
        } else if (which == Value::EntryCount) {
            s.m_read.entryCountArrived(value);
        } else {
            for (size_t i = 0; i < deviceSettings.size(); ++i) {
                if (deviceSettings[i].key == which) {
                    s.m_reported.settings.*deviceSettings[i].field = value;
                    s.m_reported.settingsMask |= 1u << i;
                }
            }
        }
        if (s.m_sink)
            s.m_sink->setValue(which, value);
    }
    void setSleevePosition(double millimetres) override
    {
        s.m_reported.sleevePosition = millimetres;
        if (s.m_sink)
            s.m_sink->setSleevePosition(millimetres);
    }
    void appendRow(const MeasurementRow &row) override
    {
        s.m_rows.append(row);
        s.m_read.rowAdded(int(s.m_rows.size()), Clock::steadyMs());
        if (s.m_sink)
            s.m_sink->appendRow(row);
    }
    void measuringRangeReported() override
    {
        s.m_rangeConnection = s.m_connection;
        if (s.m_sink)
            s.m_sink->measuringRangeReported();
    }

private:
    DeviceSession &s;
};

DeviceSession::DeviceSession(std::unique_ptr<FtdiDriver> driver, Timers timers, Pause pause)
    : m_link(std::make_unique<FTDI_Control>(std::move(driver)))
    , m_pause(pause ? std::move(pause)
                    : Pause([](int eventsMs, int sleepMs) { ::pause(eventsMs, sleepMs); }))
    , m_ownSink(std::make_unique<Sink>(*this))
{
    if (timers == Timers::None)
        return;
    // Converters come and go: once a second the converter list is looked at.
    m_lookTimer = new QTimer(this);
    connect(m_lookTimer, &QTimer::timeout, this, &DeviceSession::lookForConverter);
    m_lookTimer->start(lookIntervalMs);
    if (timers == Timers::LookOnly)
        return;
    m_receiveTimer = new QTimer(this);
    connect(m_receiveTimer, &QTimer::timeout, this, &DeviceSession::receiveOnce);
    m_receiveTimer->start(receiveIntervalMs);
    m_tickTimer = new QTimer(this);
    connect(m_tickTimer, &QTimer::timeout, this, &DeviceSession::tick);
    m_tickTimer->start(tickIntervalMs);
}

DeviceSession::~DeviceSession()
{
    m_link->closeDevice();
}

// ---- Connection -------------------------------------------------------------

bool DeviceSession::openFirst()
{
    const bool opened = openConverter(m_link->deviceCount());
    emit connectionChanged();
    return opened;
}

// Opens the first of the `count` converters listed that opens (with a count
// of -1, the driver could not list them: opening is still tried once).
bool DeviceSession::openConverter(int count)
{
    m_deviceCount = count;
    m_openFailure = FT_OK;
    for (int index = 0; index < qMax(1, m_deviceCount); ++index) {
        if (!m_link->openDevice(QStringLiteral("USB Serial Converter"), index)) {
            m_connected = true;
            ++m_connection;
            return true;
        }
        m_openFailure = m_link->status();
    }
    m_connected = false;
    return false;
}

void DeviceSession::lookForConverter()
{
    // A command's pauses serve the timers: opening now would put the opening
    // text and a request into the middle of its commands.
    if (m_commandRunning)
        return;
    if (checkConnection()) {
        const int count = m_link->deviceCount();
        if (count != m_deviceCount) {
            m_deviceCount = count;
            emit connectionChanged();
        }
        return;
    }
    const int count = m_link->deviceCount();
    if (count <= 0) {
        const bool changed = count != m_deviceCount || m_openFailure != FT_OK;
        m_deviceCount = count;
        m_openFailure = FT_OK;
        if (changed)
            emit connectionChanged();
        return;
    }
    if (!openConverter(count)) {
        emit connectionChanged();
        return;
    }
    // A half report from the old connection must not join the new one's
    // greeting: what waits without a separator goes.
    while (m_link->bytesAvailable() > 0)
        receiveOnce();
    dropUnfinishedReport();
    emit connectionChanged();
    readConfiguration();
}

// Notices a converter that went away under the open link (the link has
// closed it): a running read learns of it at once.
bool DeviceSession::checkConnection()
{
    if (m_connected && !m_link->isOpen()) {
        m_connected = false;
        m_openFailure = FT_OK;
        m_deviceCount = m_link->deviceCount();
        m_read.linkLost();
        // The next device may be another one: its fill level is not known
        // until it tells it, and rows read from this one keep this one's
        // serial number. The measuring range stays: records of this device
        // may still wait to be parsed, at its scale; the next device's own
        // range replaces it before a read of that device can start.
        m_reported.fillLevel = -1;
        // Also a running read's rows still to be parsed are this device's.
        if ((!m_rows.isEmpty() || m_read.running()) && m_rowsSerialNumber.isNull())
            m_rowsSerialNumber = m_reported.serialNumber.isNull()
                ? QString::fromLatin1(unknownSerialNumber)
                : m_reported.serialNumber;
        emit connectionChanged();
    }
    return m_connected;
}

bool DeviceSession::configurationKnown() const
{
    return m_connected && m_rangeConnection == m_connection;
}

// ---- Receive path -----------------------------------------------------------

void DeviceSession::receiveOnce()
{
    const int n = qMin(m_link->bytesAvailable(), Limits::receiveRunCharacters);
    if (n <= 0) {
        checkConnection();
        return;
    }
    QByteArray buffer(n, '\0');
    buffer.truncate(m_link->takeBytes(buffer.data(), n));
    emit bytesReceived(buffer);
    const QString text = receivedText(buffer);
    if (text.isEmpty())
        return;
    if (isSignalConnected(QMetaMethod::fromSignal(&DeviceSession::logText)))
        breakLogLines(text);
    receiveAccumulator.append(text);
    capAccumulator();
    m_lastTextMs = Clock::steadyMs();
    m_read.received(text, m_lastTextMs);
}

// Whole lines go to the log as they are; a line that reaches the length
// limit gets a line break there.
void DeviceSession::breakLogLines(const QString &text)
{
    QString logged;
    logged.reserve(text.size() + text.size() / logLineLength + 1);
    const QStringView all(text);
    qsizetype at = 0;
    while (at < all.size()) {
        const qsizetype lineFeed = all.indexOf(QLatin1Char('\n'), at);
        const qsizetype lineEnd = lineFeed < 0 ? all.size() : lineFeed;
        while (at < lineEnd) {
            if (m_logLineLength == logLineLength) {
                logged += QLatin1Char('\n');
                m_logLineLength = 0;
            }
            const qsizetype piece
                = std::min<qsizetype>(logLineLength - m_logLineLength, lineEnd - at);
            logged += all.mid(at, piece);
            m_logLineLength += int(piece);
            at += piece;
        }
        if (lineFeed >= 0) {
            logged += QLatin1Char('\n');
            m_logLineLength = 0;
            at = lineFeed + 1;
        }
    }
    emit logText(logged);
}

// Where the text behind the accumulator's last separator begins: a report
// not finished yet.
qsizetype DeviceSession::unfinishedReportStart() const
{
    const qsizetype lastSeparator = receiveAccumulator.lastIndexOf(QLatin1String(reportSeparator));
    return lastSeparator < 0 ? 0 : lastSeparator + qsizetype(sizeof reportSeparator - 1);
}

// Text the parser can never take (no separator behind it) must not pile up
// for ever: beyond the cap the oldest of it goes.
void DeviceSession::capAccumulator()
{
    if (receiveAccumulator.size() <= accumulatorCap)
        return;
    const qsizetype waitingFrom = unfinishedReportStart();
    const qsizetype waiting = receiveAccumulator.size() - waitingFrom;
    if (waiting <= accumulatorCap)
        return;
    receiveAccumulator.remove(waitingFrom, waiting - accumulatorLowMark);
    m_parser.accumulatorReplaced();
}

// Text that waits without a separator belongs to a report that will never
// be finished: it goes, so that it cannot join the next report.
void DeviceSession::dropUnfinishedReport()
{
    receiveAccumulator.truncate(unfinishedReportStart());
    m_parser.accumulatorReplaced();
}

bool DeviceSession::parseReport(QString &accumulator)
{
    ParserState state{measuringRange, measurementNumber, sleevePositionRaw};
    return m_parser.parseReport(accumulator, state, *m_ownSink);
}

bool DeviceSession::tick()
{
    const bool wasRunning = m_read.running();
    const MemoryRead::Outcome outcomeBefore = m_read.outcome();
    const qsizetype rowsBefore = m_rows.size();
    const bool parsed = drainReports(
        receiveAccumulator, [this](QString &accumulator) { return parseReport(accumulator); },
        [this] { return m_parser.recordWaiting(); }, Limits::drainCallsPerTick);
    if (m_rows.size() > rowsBefore)
        emit rowsAdded(rowsBefore);

    checkConnection();
    checkConfirmation();
    if (m_read.running()) {
        // Bytes still in the link are rows still to come, also from a
        // converter that is gone.
        m_read.endsNow(Clock::steadyMs(), int(m_rows.size()), [this] {
            return m_link->bytesAvailable() == 0 && !m_parser.recordWaiting()
                && !receiveAccumulator.contains(QLatin1String(reportSeparator));
        });
    }
    // A row after the end opened the read again, or its count came late:
    // whoever shows it follows.
    if (m_read.running() || m_read.running() != wasRunning || m_read.outcome() != outcomeBefore)
        emit readChanged();
    return parsed;
}

// ---- Commands ---------------------------------------------------------------

bool DeviceSession::commandsAllowed() const
{
    return m_link->isOpen() && !m_read.running() && !m_commandRunning;
}

bool DeviceSession::send(const QString &text)
{
    return m_link->sendText(text) == text.size();
}

void DeviceSession::wakeDevice()
{
    if (!m_link->isOpen())
        return;
    m_link->sendText(QLatin1String(Commands::wake));
    if (m_link->isOpen())
        m_pause(50, 50);
}

bool DeviceSession::readConfiguration()
{
    if (!commandsAllowed())
        return false;
    const Command command(this);
    wakeDevice();
    const bool sent = send(QLatin1String(Commands::readConfiguration));
    checkConnection();
    return sent;
}

DeviceSession::ReadStart DeviceSession::readMemory()
{
    if (!commandsAllowed() || !configurationKnown())
        return ReadStart::NotAllowed;
    // The read runs from the start: a second read, an export or a clear
    // could otherwise cut into it.
    const MemoryRead before = m_read;
    m_read.start(Clock::steadyMs());
    const ReadInfo infoBefore = m_readInfo;
    m_readInfo = ReadInfo();
    m_readInfo.sequence = infoBefore.sequence + 1;
    m_readInfo.startedAt = Clock::currentDateTime();
    m_readInfo.serialNumber = m_reported.serialNumber.isNull()
        ? QString::fromLatin1(unknownSerialNumber)
        : m_reported.serialNumber;
    m_readInfo.firmwareVersion = m_reported.firmwareVersion;
    m_readInfo.checkDate = m_reported.checkDate;
    m_readInfo.measuringRange = measuringRange;
    m_readInfo.settings = m_reported.settings;
    m_readInfo.settingsKnown = m_reported.allSettingsReported();
    emit readChanged();
    bool sent = false;
    {
        const Command command(this);
        wakeDevice();
        // What has waited a second without its separator is the rest of a
        // report broken off (a read cut short): joined to the memory report
        // it would turn into a row.
        if (Clock::steadyMs() - m_lastTextMs >= unfinishedReportMs)
            dropUnfinishedReport();
        sent = send(QLatin1String(Commands::readMemory));
        // The rows make room only for a read that was asked for: those shown
        // stay when the converter goes before the command is out. Records of
        // an earlier stream parsed during the wake step leave no gap in the
        // numbering: the new rows start at 1 again.
        if (sent) {
            measurementNumber = 1;
            m_rows.clear();
            m_rowsSerialNumber = QString();
            emit rowsCleared();
        }
        checkConnection();
    }
    if (!sent) {
        m_read = before;
        m_readInfo = infoBefore;
        if (!m_connected)
            m_read.linkLost();
        emit readChanged();
        return ReadStart::NotSent;
    }
    m_read.commandSent(Clock::steadyMs());
    emit readStarted();
    emit readChanged();
    return ReadStart::Started;
}

DeviceSession::ClearResult DeviceSession::clearMemory(int askedOn)
{
    // The question was about the device connected when it was asked: after
    // an unplug, whatever is connected now was not asked about.
    checkConnection();
    if (!m_connected || m_connection != askedOn)
        return ClearResult::ConnectionChanged;
    if (!commandsAllowed())
        return ClearResult::NotAllowed;
    bool sent = false;
    {
        const Command command(this);
        wakeDevice();
        sent = send(QLatin1String(Commands::clearMemory));
        checkConnection();
    }
    if (!sent)
        return ClearResult::NotSent;
    m_reported.fillLevel = 0;
    m_read.memoryCleared();
    emit readChanged();
    return ClearResult::Cleared;
}

bool DeviceSession::writeConfiguration(const DeviceSettings &settings)
{
    if (!commandsAllowed())
        return false;
    const Command command(this);
    m_confirmation.reset();
    wakeDevice();
    const QList<ConfigCommand> commands = configCommands(Clock::currentDateTime(), settings);
    for (int i = 0; i < commands.size(); ++i) {
        const ConfigCommand &configCommand = commands.at(i);
        m_logLineLength = 0;
        emit logCommand(configCommand.echo);
        if (i == commands.size() - 1)
            qt_message_output(QtDebugMsg, QMessageLogContext(), quotedForDebug(configCommand.text));
        // Nothing says it wrote what never reached the device: the caller
        // learns which settings did not go out.
        const bool sent = send(configCommand.text);
        if (!checkConnection() || !sent) {
            cut(commands.mid(i));
            return true;
        }
        if (configCommand.pauseEventsMs > 0 || configCommand.pauseSleepMs > 0)
            m_pause(configCommand.pauseEventsMs, configCommand.pauseSleepMs);
    }
    // The settings are read back and held against what was written.
    m_confirmation = Confirmation{settings, m_connection, Clock::steadyMs()};
    m_reported.settingsMask = 0;
    m_pause(50, 50); // the device takes the last command before the next wake byte
    wakeDevice();
    send(QLatin1String(Commands::readConfiguration));
    checkConnection();
    return true;
}

bool DeviceSession::writeClock()
{
    if (!commandsAllowed())
        return false;
    const Command command(this);
    wakeDevice();
    const ConfigCommand clock
        = configCommands(Clock::currentDateTime(), m_reported.settings).first();
    m_logLineLength = 0;
    emit logCommand(clock.echo);
    const bool sent = send(clock.text);
    if (!checkConnection() || !sent)
        return false;
    m_pause(clock.pauseEventsMs, clock.pauseSleepMs);
    return true;
}

void DeviceSession::cut(const QList<ConfigCommand> &unsent)
{
    SettingsWriteOutcome outcome;
    outcome.status = SettingsWriteOutcome::Cut;
    for (const ConfigCommand &configCommand : unsent) {
        if (configCommand.settings.isEmpty())
            outcome.clockUnsent = true;
        outcome.unsent += configCommand.settings;
    }
    emit settingsWriteEnded(outcome);
}

// The device's settings reported back after a configuration write, held
// against what was written.
void DeviceSession::checkConfirmation()
{
    if (!m_confirmation)
        return;
    const bool sameConnection = m_confirmation->connection == m_connection && m_connected;
    SettingsWriteOutcome outcome;
    outcome.written = m_confirmation->written;
    if (sameConnection && m_reported.allSettingsReported()) {
        outcome.held = m_reported.settings;
        outcome.status = outcome.held == outcome.written ? SettingsWriteOutcome::Confirmed
                                                         : SettingsWriteOutcome::NotTaken;
    } else if (!sameConnection || Clock::steadyMs() - m_confirmation->sinceMs >= confirmationMs) {
        outcome.status = SettingsWriteOutcome::Unconfirmed;
    } else {
        return;
    }
    m_confirmation.reset();
    emit settingsWriteEnded(outcome);
}

ReadInfo DeviceSession::readInfo() const
{
    ReadInfo info = m_readInfo;
    info.entriesAnnounced = m_read.announced();
    info.rowsReceived = int(m_rows.size());
    info.complete = m_read.outcome() == MemoryRead::Outcome::Complete;
    return info;
}
