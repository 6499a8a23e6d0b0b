#include "simulation.h"

#include "archive/measurementarchive.h"
#include "archive/readrecorder.h"
#include "link/ftdi_control.h"
#include "session/clock.h"
#include "session/devicesession.h"
#include "session/statustexts.h"
#include "sim/measurementgenerator.h"
#include "simconverter.h"
#include "storedrow.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
// The PC's clock at the program's first start.
const QDateTime startOfDay(QDate(2026, 12, 7), QTime(8, 0));
// The receive runs fall halfway between the clock ticks, as two timers
// started apart do: a tick finds what the polls brought since the last run
// still in the link.
constexpr qint64 receivePhaseMs = DeviceSession::receiveIntervalMs / 2;
// From a kill to the next start's first look at the converter (the splash
// alone stands 1.2 s): what the device answered the killed run meanwhile
// went into a closed port.
constexpr qint64 restartMs = 1500;

bool isEnvironment(Schedule::Kind kind)
{
    switch (kind) {
    case Schedule::Kind::Pace:
    case Schedule::Kind::Pause:
    case Schedule::Kind::Unplug:
    case Schedule::Kind::Plug:
    case Schedule::Kind::Kill:
        return true;
    default:
        return false;
    }
}
} // namespace

// One run of the program: the session, and its archive with the recorder.
// The harness's own connections hang on `watch`, so that a killed run's
// signals no longer count.
struct Simulation::Process
{
    std::unique_ptr<MeasurementArchive> archive;
    std::unique_ptr<DeviceSession> session;
    std::unique_ptr<ReadRecorder> recorder;
    std::unique_ptr<QObject> watch = std::make_unique<QObject>();

    ~Process()
    {
        watch.reset();
        recorder.reset();
        session.reset();
        archive.reset();
    }
};

Simulation::Simulation(const Schedule &schedule)
    : m_schedule(schedule)
{
    QList<int> announces;
    for (int i = 0; i < schedule.devices.size(); ++i) {
        const Schedule::Device &plan = schedule.devices.at(i);
        auto device = std::make_shared<SimulatedDevice>();
        DeviceIdentity identity;
        identity.serialNumber = plan.serialNumber;
        identity.measuringRange = plan.range;
        device->setIdentity(identity);
        // Each device its own records, told apart by their time stamps.
        device->setMemory(
            MeasurementGenerator(plan.range, 0x5eed + quint64(i))
                .generate(plan.records, MeasurementGenerator::defaultStart().addDays(7 * i)));
        device->setMemoryLayout(plan.oneReport ? DeviceReports::MemoryLayout::OneReport
                                               : DeviceReports::MemoryLayout::PerRecord);
        device->setRecordsSent(plan.sends);
        m_stored << device->memory();
        m_devices << device;
        announces << plan.announces;
    }
    for (const Schedule::Event &event : schedule.events)
        (isEnvironment(event.kind) ? m_environment : m_presses) << event;
    m_converter = std::make_unique<SimConverter>(m_devices, announces);
    m_converter->violation = [this](const QString &what) { fail(what); };
    if (schedule.hasKill()) {
        // In memory where there is a place for it: the archive's
        // checkpoints wait for the disk.
        if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            m_archiveDir.emplace(QStringLiteral("/dev/shm/kalvor2-simulation-XXXXXX"));
        else
            m_archiveDir.emplace();
        m_archivePath = m_archiveDir->filePath(QStringLiteral("archive-0.sqlite"));
    }
}

Simulation::~Simulation()
{
    m_process.reset();
    Clock::setFixed(QDateTime());
    Clock::setFixedSteady(-1);
}

QString Simulation::run()
{
    Clock::setFixedSteady(1000000);
    Clock::setFixed(startOfDay);
    m_converter->plug(0);
    startProcess();
    for (const Schedule::Event &press : std::as_const(m_presses)) {
        advanceTo(press.atMs, true);
        if (!m_failure.isEmpty())
            break;
        if (m_killed)
            continue; // nobody to press for
        m_lastEvent = Schedule{{}, {press}}.toText().trimmed();
        perform(press);
        checkRead();
    }
    const qint64 last = m_schedule.events.isEmpty() ? 0 : m_schedule.events.last().atMs;
    advanceTo(qMax(last, m_now) + settleMs, true);
    checkRead();
    return m_failure;
}

QString Simulation::outcome() const
{
    QString text;
    if (m_process) {
        const DeviceSession &session = *m_process->session;
        text = QStringLiteral("%1 rows, \"%2\", ")
                   .arg(session.rows().size())
                   .arg(readStatus(session.memoryRead()).text);
    }
    text += QStringLiteral("%1 connections, memories").arg(m_converter->connection());
    for (const auto &device : m_devices)
        text += QStringLiteral(" %1").arg(device->memory().size());
    return text;
}

void Simulation::fail(const QString &what)
{
    if (m_failure.isEmpty())
        m_failure = QStringLiteral("at %1 ms, after \"%2\": %3").arg(m_now).arg(m_lastEvent, what);
}

// Time goes on to `until`; `serving` says whether the program's timers run
// meanwhile (not in the blocking sleep at the end of a pause).
void Simulation::advanceTo(qint64 until, bool serving)
{
    while (m_now < until && m_failure.isEmpty()) {
        qint64 next = qMin(until, m_converter->nextDueMs());
        if (serving) {
            next = qMin(next, (m_now / receivePhaseMs + 1) * receivePhaseMs);
            if (m_converter->bytesQueued() > 0)
                next = m_now + 1; // the link polls every millisecond
        }
        if (m_nextEnvironment < m_environment.size())
            next = qMin(next, qMax(m_environment.at(m_nextEnvironment).atMs, m_now + 1));
        if (m_killed && m_depth == 0)
            next = qMin(next, qMax(m_restartAt, m_now + 1));
        Clock::skip(next - m_now);
        m_now = next;
        m_converter->setNow(m_now);
        runEnvironment();
        m_converter->update();
        if (serving && !m_killed) {
            DeviceSession &session = *m_process->session;
            session.link()->poll();
            if (m_now % DeviceSession::receiveIntervalMs == receivePhaseMs)
                session.receiveOnce();
            if (m_now % DeviceSession::tickIntervalMs == 0) {
                session.tick();
                checkRead();
            }
            if (m_now % DeviceSession::lookIntervalMs == 0)
                session.lookForConverter();
        }
        if (m_killed && m_depth == 0 && m_now >= m_restartAt)
            restart();
    }
}

void Simulation::runEnvironment()
{
    while (m_nextEnvironment < m_environment.size()
           && m_environment.at(m_nextEnvironment).atMs <= m_now) {
        const Schedule::Event &event = m_environment.at(m_nextEnvironment++);
        m_lastEvent = Schedule{{}, {event}}.toText().trimmed();
        switch (event.kind) {
        case Schedule::Kind::Pace:
            m_converter->setPace(event.a, event.b);
            break;
        case Schedule::Kind::Pause:
            m_converter->pauseDevice(event.a);
            break;
        case Schedule::Kind::Unplug:
            m_converter->unplug();
            break;
        case Schedule::Kind::Plug:
            m_converter->plug(event.a);
            break;
        case Schedule::Kind::Kill:
            kill();
            break;
        default:
            break;
        }
    }
}

void Simulation::perform(const Schedule::Event &event)
{
    DeviceSession &session = *m_process->session;
    Clock::setFixed(startOfDay.addMSecs(m_now));
    // While the clear question is open, its box takes every click.
    if (m_question && event.kind != Schedule::Kind::Answer)
        return;
    // Asked again while it is still sending, a device's last records would
    // become the first rows of the new answer, which the program cannot
    // tell apart yet: the user waits until the device is quiet.
    if ((event.kind == Schedule::Kind::Read || event.kind == Schedule::Kind::Write)
        && m_converter->sending())
        return;
    switch (event.kind) {
    case Schedule::Kind::Read:
        if (!session.commandsAllowed() || !session.configurationKnown())
            return; // the button is off
        m_pressingRead = true;
        m_readCommandsBefore = m_converter->readCommands();
        session.readMemory();
        m_pressingRead = false;
        break;
    case Schedule::Kind::Write: {
        if (!session.commandsAllowed())
            return;
        // One field edited, the others as the device reported them (or the
        // factory defaults, without a report).
        DeviceSettings settings = session.reported().allSettingsReported()
            ? session.reported().settings
            : DeviceSettings::factoryDefaults();
        const DeviceSetting &setting = deviceSettings.at(size_t(event.a));
        settings.*setting.field
            = setting.range.min + (setting.range.max - setting.range.min) * event.b / 36;
        m_converter->configAllowedOn = m_converter->connection();
        session.writeConfiguration(settings);
        m_converter->configAllowedOn = 0;
        break;
    }
    case Schedule::Kind::Ask:
        if (!session.commandsAllowed())
            return;
        m_question = Question{m_converter->connection(), session.connection(),
                              clearQuestionDetail(session.memoryRead())};
        if (const QString why = untrue(m_question->words); !why.isEmpty())
            fail(QStringLiteral("the clear question says \"%1\": %2").arg(m_question->words, why));
        break;
    case Schedule::Kind::Answer: {
        if (!m_question)
            return;
        const Question question = *m_question;
        m_question.reset();
        if (event.a == 0)
            return;
        const QString why = untrue(question.words);
        m_converter->clearAllowedOn = question.converterConnection;
        const DeviceSession::ClearResult result = session.clearMemory(question.sessionConnection);
        m_converter->clearAllowedOn = 0;
        if (result == DeviceSession::ClearResult::Cleared) {
            m_clearedSinceRead = true;
            if (!why.isEmpty())
                fail(QStringLiteral("\"Ja\" cleared under the words \"%1\": %2")
                         .arg(question.words, why));
        }
        break;
    }
    case Schedule::Kind::Export: {
        if (session.memoryRead().running() || session.commandRunning())
            return;
        session.markExported();
        if (m_process->recorder)
            m_process->recorder->markExported();
        m_exportedRows = session.memoryRead().exportedSinceRead() ? session.rows().size() : -1;
        // The file names the device the rows came from.
        if (!session.rows().isEmpty() && m_readDevice >= 0) {
            const QString serial = session.rowsSerialNumber().isNull()
                ? session.reported().serialNumber
                : session.rowsSerialNumber();
            if (serial != m_schedule.devices.at(m_readDevice).serialNumber)
                fail(QStringLiteral("the export names serial number %1 for rows of device %2")
                         .arg(serial)
                         .arg(m_readDevice + 1));
        }
        break;
    }
    default:
        break;
    }
}

// ---- The program's runs ----------------------------------------------------

void Simulation::startProcess()
{
    m_process = std::make_unique<Process>();
    m_killed = false;
    m_readDevice = -1;
    m_clearedSinceRead = false;
    m_readRunning = false;
    m_endedAtBytes = -1;
    m_exportedRows = -1;
    m_question.reset();
    m_process->session = std::make_unique<DeviceSession>(
        std::make_unique<ConverterPort>(*m_converter), DeviceSession::Timers::None,
        [this](int eventsMs, int sleepMs) {
            ++m_depth;
            advanceTo(m_now + eventsMs, true);
            advanceTo(m_now + sleepMs, false);
            --m_depth;
        });
    DeviceSession *session = m_process->session.get();
    if (!m_archivePath.isEmpty()) {
        m_process->archive = std::make_unique<MeasurementArchive>();
        const MeasurementArchive::OpenResult opened = m_process->archive->open(m_archivePath);
        if (opened.outcome != MeasurementArchive::OpenOutcome::Opened)
            fail(QStringLiteral("the archive does not open: %1").arg(opened.message));
        m_process->recorder = std::make_unique<ReadRecorder>(*session, *m_process->archive);
    }
    QObject *watch = m_process->watch.get();
    QObject::connect(session, &DeviceSession::rowsCleared, watch, [this] { rowsCleared(); });
    QObject::connect(session, &DeviceSession::rowsAdded, watch,
                     [this](qsizetype from) { rowsAdded(from); });
    // As the program starts: the first converter, asked for its settings.
    if (session->openFirst())
        session->readConfiguration();
}

// The program dies where it stands: what its archive holds on disk is what
// the next start finds. Its session may still be inside a command; it is
// taken down once that returns, and whatever it does meanwhile reaches
// neither the device nor the archive's copy.
void Simulation::kill()
{
    if (m_killed || m_archivePath.isEmpty())
        return;
    const QString next
        = m_archiveDir->filePath(QStringLiteral("archive-%1.sqlite").arg(++m_generation));
    for (const QString &suffix : {QString(), QStringLiteral("-wal")}) {
        if (QFile::exists(m_archivePath + suffix)
            && !QFile::copy(m_archivePath + suffix, next + suffix))
            fail(QStringLiteral("cannot copy the archive"));
    }
    m_archivePath = next;
    m_killed = true;
    m_restartAt = m_now + restartMs;
    m_converter->killed();
    m_process->watch.reset();
}

void Simulation::restart()
{
    m_process.reset();
    checkArchive(m_archivePath);
    startProcess();
}

// ---- Invariants --------------------------------------------------------------

QStringList Simulation::expectedRow(int device, int number) const
{
    return ::expectedRow(number, m_stored.at(device).at(number - 1),
                         m_schedule.devices.at(device).range);
}

void Simulation::rowsCleared()
{
    if (!m_pressingRead || m_converter->readCommands() == m_readCommandsBefore)
        fail(QStringLiteral("the table was emptied, but no read command reached the device"));
    m_readDevice = m_converter->lastReadDevice();
    m_readMemorySize = m_converter->lastReadMemorySize();
    m_clearedSinceRead = false;
    m_exportedRows = -1;
    m_endedAtBytes = -1;
}

void Simulation::rowsAdded(qsizetype from)
{
    const DeviceSession &session = *m_process->session;
    const QList<MeasurementRow> &rows = session.rows();
    m_exportedRows = -1;
    if (m_process->recorder && m_process->recorder->readId() >= 0)
        m_rowsAtTick[m_process->recorder->readId()] = rows.size();
    if (m_readDevice < 0) {
        // Rows nobody asked for (a killed run's read answered to the next
        // run) are still the sending device's records.
        m_readDevice = m_converter->device();
        if (m_readDevice < 0) {
            fail(QStringLiteral("%1 rows shown, but no device sent any").arg(rows.size()));
            return;
        }
        m_readMemorySize = int(m_devices.at(m_readDevice)->memory().size());
    }
    // Rows after the end are fine from a device that paused, not from
    // bytes that were already in the program when it said it had ended.
    if (m_endedAtBytes >= 0 && m_converter->bytesTaken() == m_endedAtBytes) {
        fail(QStringLiteral("the read ended with %1 rows, then row %2 came from bytes received "
                            "before its end")
                 .arg(from)
                 .arg(from + 1));
        return;
    }
    m_endedAtBytes = -1;
    for (qsizetype i = from; i < rows.size(); ++i) {
        if (i >= m_readMemorySize) {
            fail(QStringLiteral("row %1 shown, but device %2 held %3 records when read")
                     .arg(i + 1)
                     .arg(m_readDevice + 1)
                     .arg(m_readMemorySize));
            return;
        }
        const QStringList expected = expectedRow(m_readDevice, int(i + 1));
        if (rows.at(i).cells != expected) {
            fail(QStringLiteral("row %1 shows [%2], device %3 holds [%4]")
                     .arg(i + 1)
                     .arg(rows.at(i).cells.join(u' '))
                     .arg(m_readDevice + 1)
                     .arg(expected.join(u' ')));
            return;
        }
    }
}

void Simulation::checkRead()
{
    if (m_killed || !m_process)
        return;
    const DeviceSession &session = *m_process->session;
    const MemoryRead &read = session.memoryRead();
    if (m_readRunning && !read.running())
        m_endedAtBytes = m_converter->bytesTaken();
    m_readRunning = read.running();
    // After a clear the read speaks of the empty memory; the table keeps
    // the rows read before.
    if (read.running() || read.outcome() == MemoryRead::Outcome::NotRead || m_clearedSinceRead)
        return;
    const qsizetype rows = session.rows().size();
    if (read.rows() != rows) {
        fail(QStringLiteral("the read ended saying \"%1\", but the table holds %2 rows")
                 .arg(readStatus(read).text)
                 .arg(rows));
        return;
    }
    if (read.outcome() == MemoryRead::Outcome::Complete && m_readDevice >= 0
        && m_schedule.devices.at(m_readDevice).announces < 0 && rows != m_readMemorySize)
        fail(QStringLiteral("\"%1\", but device %2 held %3 records")
                 .arg(readStatus(read).text)
                 .arg(m_readDevice + 1)
                 .arg(m_readMemorySize));
}

// Why the clear question's words are not true of the device connected now;
// empty when they are.
QString Simulation::untrue(const QString &words) const
{
    static const QRegularExpression inDevice(QStringLiteral("^(\\d+) Messwerte im Gerät, (.*)$"));
    static const QRegularExpression read(QStringLiteral("^(\\d+) Messwerte gelesen(.*)$"));
    const int device = m_converter->device();
    if (device < 0 || words == QLatin1String("Messwerte noch nicht gelesen")
        || words == QStringLiteral("Messwerte nicht vollständig gelesen"))
        return QString();
    const qsizetype held = m_devices.at(device)->memory().size();
    const int announced = m_schedule.devices.at(device).announces;
    const qsizetype rows = m_process->session->rows().size();
    // Rows of this device, read on this connection.
    const qsizetype ownRows = m_readDevice == device ? rows : 0;
    const QString holds = QStringLiteral("device %1 holds %2 records, %3 rows shown")
                              .arg(device + 1)
                              .arg(held)
                              .arg(rows);
    qsizetype count = 0;
    QString rest;
    if (words == QStringLiteral("Keine Messwerte im Gerät")) {
        if (held != 0 && !(announced == 0 && ownRows == 0))
            return holds;
        return QString();
    }
    if (const auto m = inDevice.match(words); m.hasMatch()) {
        count = m.captured(1).toInt();
        rest = m.captured(2);
        if ((count != held && count != announced) || count < ownRows)
            return holds;
    } else if (const auto m = read.match(words); m.hasMatch()) {
        count = m.captured(1).toInt();
        rest = m.captured(2);
        if (count != rows || (announced < 0 && count != held))
            return holds;
    } else {
        return QStringLiteral("no such words");
    }
    if (rest.contains(QLatin1String("exportiert")) && !rest.contains(QLatin1String("nicht"))
        && m_exportedRows != rows)
        return QStringLiteral("the %1 rows shown were not exported").arg(rows);
    return QString();
}

void Simulation::checkArchive(const QString &path)
{
    MeasurementArchive archive;
    const MeasurementArchive::OpenResult opened = archive.open(path);
    if (opened.outcome != MeasurementArchive::OpenOutcome::Opened) {
        fail(QStringLiteral("after the kill the archive does not open: %1").arg(opened.message));
        return;
    }
    QList<ArchivedReadSummary> reads;
    if (const QString why = archive.listReads(reads); !why.isEmpty()) {
        fail(QStringLiteral("after the kill the archive lists no reads: %1").arg(why));
        return;
    }
    for (const ArchivedReadSummary &summary : std::as_const(reads)) {
        ArchivedRead read;
        if (const QString why = archive.loadRead(summary.id, read); !why.isEmpty()) {
            fail(QStringLiteral("after the kill read %1 does not load: %2")
                     .arg(summary.id)
                     .arg(why));
            return;
        }
        int device = -1;
        for (int i = 0; i < m_schedule.devices.size(); ++i) {
            if (m_schedule.devices.at(i).serialNumber == read.info.serialNumber)
                device = i;
        }
        if (device < 0 && !read.rows.isEmpty()) {
            fail(QStringLiteral("archived read %1 names serial number %2, which no device has")
                     .arg(summary.id)
                     .arg(read.info.serialNumber));
            return;
        }
        for (qsizetype i = 0; i < read.rows.size(); ++i) {
            if (i >= m_stored.at(device).size()
                || read.rows.at(i).cells != expectedRow(device, int(i + 1))) {
                fail(QStringLiteral("archived read %1, row %2: [%3] is no record of device %4")
                         .arg(summary.id)
                         .arg(i + 1)
                         .arg(read.rows.at(i).cells.join(u' '))
                         .arg(device + 1));
                return;
            }
        }
        if (read.rows.size() < m_rowsAtTick.value(summary.id)) {
            fail(QStringLiteral("archived read %1 keeps %2 rows, %3 were shown before the kill")
                     .arg(summary.id)
                     .arg(read.rows.size())
                     .arg(m_rowsAtTick.value(summary.id)));
            return;
        }
    }
}
