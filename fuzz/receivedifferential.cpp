#include "receivedifferential.h"

#include "link/ftdi_control.h"
#include "protocol/limits.h"
#include "protocol/reportdrain.h"
#include "session/devicesession.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Ticks after the last byte before a stream counts as worked off.
constexpr int drainTicks = 400;

constexpr auto excerpt = &TextReportSink::excerpt;

} // namespace

// A session of its own for every input: without a window it costs little.
// It keeps no time of its own, and its pauses are skipped.
ReceiveDifferential::ReceiveDifferential()
{
    auto fake = std::make_unique<FakeDriver>();
    m_fake = fake.get();
    m_session = std::make_unique<DeviceSession>(std::move(fake), DeviceSession::Timers::None,
                                                [](int, int) {});
    if (!m_session->openFirst())
        fail("start", QStringLiteral("the session did not open the fake converter"));
    m_fake->clearLog();
}

ReceiveDifferential::~ReceiveDifferential() = default;

void ReceiveDifferential::run(const FuzzPlan &plan)
{
    if (plan.flood) {
        runFlood(plan);
        return;
    }
    const QList<int> sizes = plan.chunkSizes();
    qsizetype at = 0;
    for (int i = 0; i < sizes.size(); ++i) {
        deliver(plan.stream.mid(at, sizes.at(i)));
        at += sizes.at(i);
        if ((i + 1) % plan.pollEvery == 0)
            pollAll();
        if ((i + 1) % plan.receiveEvery == 0) {
            receive();
            tick(plan.callsPerTick, plan.realClockTick);
        }
    }
    pollAll();
    while (m_session->link()->bytesAvailable() > 0) {
        receive();
        tick(plan.callsPerTick, plan.realClockTick);
    }
    // Work off what is left as the clock would, until a tick changes nothing.
    for (int round = 0; round < drainTicks && referenceTextWaits(); ++round) {
        if (!tick(Limits::drainCallsPerTick, plan.realClockTick))
            break;
    }
}

// One parser call on the session's accumulator, as its own tick makes it.
bool ReceiveDifferential::sessionCall()
{
    return m_session->parseReport(m_session->receiveAccumulator);
}

// The stream, repeated past the receive limit, arrives at once: the receive
// runs must take 65536 characters, then the rest, in order. The parser gets
// one clock tick on the result to show it copes; the parsers' agreement is
// checked on the plain streams.
void ReceiveDifferential::runFlood(const FuzzPlan &plan)
{
    const QList<int> sizes = plan.chunkSizes();
    qsizetype at = 0;
    for (int size : sizes) {
        deliver(plan.stream.mid(at, size));
        at += size;
    }
    pollAll();
    while (m_session->link()->bytesAvailable() > 0)
        receive();
    m_session->tick();
}

void ReceiveDifferential::deliver(const QByteArray &chunk)
{
    m_fake->deliver(chunk);
    m_queued += chunk;
}

void ReceiveDifferential::pollAll()
{
    while (!m_fake->incoming.isEmpty()) {
        const qsizetype queuedBefore = m_fake->incoming.size();
        m_session->link()->poll();
        if (m_fake->incoming.size() >= queuedBefore)
            fail("poll",
                 QStringLiteral("the link read nothing although %1 bytes were queued")
                     .arg(queuedBefore));

        QByteArray read = m_queued.left(Limits::pollBytes);
        m_queued.remove(0, read.size());
        read.replace(QByteArray(1, '\0'), QByteArray());
        m_linkText += QString::fromLatin1(read);

        if (m_fake->incoming != m_queued)
            fail("poll",
                 QStringLiteral("the link read %1 bytes, expected %2")
                     .arg(queuedBefore - m_fake->incoming.size())
                     .arg(queuedBefore - m_queued.size()));
        const int available = m_session->link()->bytesAvailable();
        if (available != m_linkText.size() - m_taken)
            fail("poll",
                 QStringLiteral("the link holds %1 characters, expected %2")
                     .arg(available)
                     .arg(m_linkText.size() - m_taken));
    }
}

void ReceiveDifferential::receive()
{
    const int available = m_session->link()->bytesAvailable();
    const qsizetype n = qMin(available, Limits::receiveRunCharacters);
    const qsizetype before = m_session->receiveAccumulator.size();
    m_session->receiveOnce();

    QString expected = m_linkText.mid(m_taken, n);
    expected.remove(u'\r');
    m_taken += n;
    const QString received = m_session->receiveAccumulator.mid(before);
    if (received != expected)
        fail("receive run",
             QStringLiteral("received %1, expected %2").arg(excerpt(received), excerpt(expected)));
    if (m_session->link()->bytesAvailable() != available - n)
        fail("receive run",
             QStringLiteral("the link kept %1 characters, expected %2")
                 .arg(m_session->link()->bytesAvailable())
                 .arg(available - n));
    m_product.accumulator += received;
    m_reference.accumulator += received;
}

// One clock tick on all three. Returns whether any call changed anything.
bool ReceiveDifferential::tick(int calls, bool realClockTick)
{
    if (realClockTick) {
        // The session's own tick; the two parsers follow its rule (up to
        // the drain limit of calls while text waits, ending at the first
        // call that changes nothing), and the session must end where they
        // end.
        m_session->tick();
        const bool changed = drainReports(
            m_reference.accumulator, [this](QString &) { return step(false); },
            [this] { return m_reference.parser.recordWaiting(); }, Limits::drainCallsPerTick);
        compareSession("clock tick");
        return changed;
    }
    // Single calls. Unlike the clock, go on after a call that changed nothing
    // (once), so that its claim is put to the test by the next call too.
    bool changedAny = false;
    int unchangedInARow = 0;
    for (int i = 0; i < calls && referenceTextWaits(); ++i) {
        if (step(true)) {
            changedAny = true;
            unchangedInARow = 0;
        } else if (++unchangedInARow == 2) {
            break;
        }
    }
    return changedAny;
}

// What makes the clock call the parser: text in the accumulator or a record
// in the block.
bool ReceiveDifferential::referenceTextWaits()
{
    return !m_reference.accumulator.isEmpty() || m_reference.parser.recordWaiting();
}

bool ReceiveDifferential::step(bool withSession)
{
    const ParserSnapshot before = referenceSnapshot();
    const qsizetype logSize = m_reference.sink.log().size();
    bool sessionResult = false;
    if (withSession)
        sessionResult = sessionCall();
    const bool productResult = m_product.call();
    const bool referenceResult = m_reference.call();
    const bool changed = !(referenceSnapshot() == before);
    ++m_calls;

    const char *where = "parser call";
    if (referenceResult != changed)
        fail(where, QStringLiteral("the reference parser's own result is wrong"));
    if (productResult != changed)
        fail(where,
             QStringLiteral("the product parser says %1, the reference %2")
                 .arg(productResult ? QStringLiteral("changed") : QStringLiteral("unchanged"),
                      changed ? QStringLiteral("changed") : QStringLiteral("did not change")));
    compareSides(where, logSize);
    if (withSession) {
        if (sessionResult != changed)
            fail(where,
                 QStringLiteral("the session's parser call says %1")
                     .arg(sessionResult ? QStringLiteral("changed") : QStringLiteral("unchanged")));
        compareSession(where);
    }
    return changed;
}

void ReceiveDifferential::compareSides(const char *where, qsizetype logSize)
{
    if (const QString difference = sideDifference(m_product, m_reference, logSize);
        !difference.isEmpty())
        fail(where, difference);
}

void ReceiveDifferential::compareSession(const char *where)
{
    const DeviceSession &session = *m_session;
    if (session.receiveAccumulator != m_reference.accumulator)
        fail(where,
             QStringLiteral("session's accumulator %1, reference %2")
                 .arg(excerpt(session.receiveAccumulator), excerpt(m_reference.accumulator)));
    if (session.reportBlock() != m_reference.parser.block())
        fail(where,
             QStringLiteral("session's block %1, reference %2")
                 .arg(excerpt(session.reportBlock()), excerpt(m_reference.parser.block())));
    if (!sameVariables(session, m_reference))
        fail(where,
             QStringLiteral("session's state %1, reference %2")
                 .arg(variablesText(session), variablesText(m_reference)));
    compareKept(where);
}

// What the session kept of the deliveries: every row, the device's texts,
// its settings as it sent them, and the last fill level that is a
// percentage.
void ReceiveDifferential::compareKept(const char *where)
{
    const QList<QStringList> &rows = m_reference.sink.rows();
    const QList<MeasurementRow> &kept = m_session->rows();
    if (kept.size() != rows.size())
        fail(where,
             QStringLiteral("the session has %1 rows, the reference %2")
                 .arg(kept.size())
                 .arg(rows.size()));
    for (; m_rowsCompared < rows.size(); ++m_rowsCompared) {
        const QStringList &cells = kept.at(m_rowsCompared).cells;
        if (cells != rows.at(m_rowsCompared))
            fail(where,
                 QStringLiteral("row %1 is [%2], the reference [%3]")
                     .arg(m_rowsCompared + 1)
                     .arg(cells.join(u'|'), rows.at(m_rowsCompared).join(u'|')));
    }

    const TextReportSink &sink = m_reference.sink;
    const ReportedDevice &reported = m_session->reported();
    const auto checkText = [&](ReportSink::Text which, const QString &text) {
        const std::optional<QString> delivered = sink.text(which);
        if (delivered && text != *delivered)
            fail(where,
                 QStringLiteral("%1 is %2, the reference %3")
                     .arg(TextReportSink::name(which), excerpt(text), excerpt(*delivered)));
    };
    checkText(ReportSink::Text::SerialNumber, reported.serialNumber);
    checkText(ReportSink::Text::FirmwareVersion, reported.firmwareVersion);
    checkText(ReportSink::Text::CheckDate, reported.checkDate);

    for (const DeviceSetting &setting : deviceSettings) {
        const std::optional<int> value = sink.value(setting.key);
        if (value && reported.settings.*setting.field != *value)
            fail(where,
                 QStringLiteral("%1 is %2, the reference delivered %3")
                     .arg(TextReportSink::name(setting.key))
                     .arg(reported.settings.*setting.field)
                     .arg(*value));
    }

    const std::optional<int> fill = sink.value(ReportSink::Value::FillLevel);
    if (reported.fillLevel < -1 || reported.fillLevel > 100)
        fail(where, QStringLiteral("the fill level is %1, no percentage").arg(reported.fillLevel));
    if (fill && *fill >= 0 && *fill <= 100 && reported.fillLevel != *fill)
        fail(where,
             QStringLiteral("the fill level is %1, the reference delivered %2")
                 .arg(reported.fillLevel)
                 .arg(*fill));
}

ParserSnapshot ReceiveDifferential::referenceSnapshot() const
{
    return snapshot(m_reference);
}

void ReceiveDifferential::fail(const char *where, const QString &what) const
{
    std::fprintf(stderr, "kalvor2-fuzz: %s, after %lld parser calls: %s\n", where,
                 static_cast<long long>(m_calls), qPrintable(what));
    std::fflush(stderr);
    std::abort();
}
