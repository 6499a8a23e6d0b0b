// The device session without any window, on a fake converter and on the
// simulated device: the connection, the receive run and the receive log's
// lines, the clock tick's share of the parser, the memory read and its end,
// and the command sequences with their bytes and pauses.

#include "processusage.h"
#include "protocol/devicesettings.h"
#include "protocol/limits.h"
#include "protocol/reportdrain.h"
#include "session/clock.h"
#include "session/memoryread.h"
#include "session/statustexts.h"
#include "sessionfixture.h"
#include "storedrow.h"

#include <QTest>

#include <optional>

Q_DECLARE_METATYPE(DeviceSettings)

namespace {

const QByteArray wake("\n");

} // namespace

class TestSession : public QObject
{
    Q_OBJECT

private slots:
    void configurationRequestFollowsOpeningText();
    void drainCallsOnlyWhileTextWaits();
    void receiveRemovesCarriageReturns();
    void receiveRunTakesAtMostItsLimit();
    void receiveKeepsHighBytes();
    void zeroByteInRecordLosesNothing();
    void longLinesInTheLogAreBroken();
    void waitingTextIsCapped();
    void memoryReadSummaries();
    void clockDrainsAtMostItsLimitPerTick();
    void clockStopsWhenAccumulatorEmpties();
    void textWithoutSeparatorWaits();
    void configurationWriteSendsSixTextsWithPauses();
    void memory_data();
    void memory();
    void rowsAppearWhileMemoryStreams();
    void readRunsToItsEnd_data();
    void readRunsToItsEnd();
    void streamCutShort_data();
    void streamCutShort();
    void settingsWrittenComeBack_data();
    void settingsWrittenComeBack();
    void unplugAndReplugKeepTheRows();
    void longTextWithoutSeparatorStaysCheap();
    void readAgainAfterABrokenOffRecord();
    void unplugBeforeParsingKeepsTheScale();
};

// A converter that can be opened is greeted with the opening text and then,
// after the wake pause the device needs, asked for its configuration; one
// that cannot be opened is sent nothing. Asked again, the wake step comes
// first again.
void TestSession::configurationRequestFollowsOpeningText()
{
    SessionFixture f(SessionFixture::Pauses::Real,
                     [](FakeDriver &d) { d.openStatus = FT_DEVICE_NOT_OPENED; });
    f.session->lookForConverter();
    QVERIFY(f.fake->writes().isEmpty());

    f.fake->openStatus = FT_OK;
    f.session->lookForConverter();
    QVERIFY(f.session->readConfiguration());
    const auto writes = f.fake->callsOf(QStringLiteral("write"));
    QCOMPARE(f.fake->writes(),
             QList<QByteArray>(
                 {QByteArray("\nUP\n\n\r"), wake, "71\n", wake, QByteArray("\x37\x31\x0a")}));
    for (int command : {2, 4})
        QVERIFY2(writes.at(command).atMs - writes.at(command - 1).atMs >= 100,
                 "the device needs the wake pause before the command");
}

// The clock tick calls the parser only while text waits in the accumulator
// or a record waits in the block, and stops when neither does.
void TestSession::drainCallsOnlyWhileTextWaits()
{
    int calls = 0;
    int recordsWaiting = 0;
    QString accumulator;
    const auto waiting = [&recordsWaiting] { return recordsWaiting > 0; };
    const auto emptying = [&](QString &text) {
        ++calls;
        text.clear();
        recordsWaiting = qMax(0, recordsWaiting - 1);
        return true;
    };
    QVERIFY(!drainReports(accumulator, emptying, waiting));
    QCOMPARE(calls, 0);
    accumulator = QStringLiteral("Serial number : 1\n");
    QVERIFY(drainReports(accumulator, emptying, waiting));
    QCOMPARE(calls, 1);

    // A memory sent as one report: the accumulator is empty after the first
    // call, the block still holds records, one a call.
    calls = 0;
    accumulator = QStringLiteral("x");
    recordsWaiting = 5;
    QVERIFY(drainReports(accumulator, emptying, waiting));
    QCOMPARE(calls, 5);

    // A call that changes nothing ends the tick; one that does goes on.
    calls = 0;
    accumulator = QStringLiteral("x");
    QVERIFY(!drainReports(
        accumulator, [&calls](QString &) { return ++calls, false; }, waiting));
    QCOMPARE(calls, 1);
    calls = 0;
    QVERIFY(drainReports(
        accumulator, [&calls](QString &) { return ++calls, true; }, waiting, 7));
    QCOMPARE(calls, 7);
}

// Carriage returns go, from the parser's text and from the receive log.
void TestSession::receiveRemovesCarriageReturns()
{
    SessionFixture f;
    f.receive("A\r\nB\r\n");
    QCOMPARE(f.session->receiveAccumulator, QStringLiteral("A\nB\n"));
    QCOMPARE(f.log, QStringLiteral("A\nB\n"));
}

// One receive run moves at most its limit; the rest stays in the link for the
// next run, in order.
void TestSession::receiveRunTakesAtMostItsLimit()
{
    SessionFixture f;
    QByteArray data;
    for (int i = 0; i < Limits::receiveRunCharacters + 4464; ++i)
        data.append(char('a' + i % 26));
    f.fake->deliver(data);
    f.pollAll();
    QCOMPARE(f.session->link()->bytesAvailable(), data.size());
    f.session->receiveOnce();
    QCOMPARE(f.session->receiveAccumulator.size(), Limits::receiveRunCharacters);
    QCOMPARE(f.session->link()->bytesAvailable(), 4464);
    f.session->receiveOnce();
    QCOMPARE(f.session->receiveAccumulator, QString::fromLatin1(data));
}

void TestSession::receiveKeepsHighBytes()
{
    SessionFixture f;
    QByteArray high;
    for (int b = 0x80; b <= 0xff; ++b)
        high.append(char(b));
    f.receive(high);
    QCOMPARE(f.session->receiveAccumulator.size(), 128);
    for (int i = 0; i < 128; ++i)
        QCOMPARE(f.session->receiveAccumulator.at(i).unicode(), ushort(0x80 + i));
}

// A zero byte inside a record, even right in front of its label, is dropped
// alone: the record and every later one keep their place.
void TestSession::zeroByteInRecordLosesNothing()
{
    SessionFixture f;
    QByteArray bytes = deviceRecord(1) + '\0' + deviceRecord(2, "2012:03:06:2:15:08:00");
    bytes.insert(bytes.indexOf("Messwert"), '\0');
    f.show(bytes);
    const QList<MeasurementRow> &rows = f.session->rows();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).cells.at(MeasurementRow::Force), QStringLiteral("2.34"));
    QCOMPARE(rows.at(1).cells.at(MeasurementRow::Date), QStringLiteral("2012:03:06"));
}

// The receive log gets text without line feeds in lines of bounded length,
// so that adding to a log view never lays out everything received so far.
void TestSession::longLinesInTheLogAreBroken()
{
    SessionFixture f;
    f.receive(QByteArray(100000, 'a') + "\nshort\n" + QByteArray(3000, 'b'));
    int longest = 0;
    for (const QString &line : f.log.split(u'\n'))
        longest = qMax(longest, int(line.size()));
    QVERIFY2(longest <= 1000, qPrintable(QString::number(longest)));
    QVERIFY(f.log.contains(QStringLiteral("\nshort\n")));
    QCOMPARE(f.log.count(u'a') + f.log.count(u'b'), 103000);
    // The parser's text is not touched.
    QCOMPARE(f.session->receiveAccumulator.size(), 103007);
}

// Text that never gets a separator is kept up to 4 Mi characters, the
// newest; a report that comes after the cut is still found, although the
// parser had searched the text before it.
void TestSession::waitingTextIsCapped()
{
    constexpr int cap = 4 * 1024 * 1024;
    SessionFixture f;
    QByteArray garbage(cap - 100, 'x');
    for (qsizetype i = 0; i < garbage.size(); i += 1000)
        garbage[i] = char('0' + i / 1000 % 10);
    f.receive(garbage);
    f.session->tick(); // searched in vain up to here
    f.receive(QByteArray(200, 'y'));
    const QString &waiting = f.session->receiveAccumulator;
    QVERIFY2(waiting.size() <= cap, qPrintable(QString::number(waiting.size())));
    QVERIFY(waiting.size() > cap / 2);
    QVERIFY((QLatin1String(garbage) + QString(200, u'y')).endsWith(waiting)); // the newest is kept

    // The report lands where the parser had already searched; behind it more
    // text than was cut.
    f.receive("Serial number : 654321\n=========================\n" + QByteArray(700000, 'x'));
    f.session->tick();
    QCOMPARE(f.session->reported().serialNumber, QStringLiteral("654321"));
}

// What the clear question and the status line say after each kind of read.
void TestSession::memoryReadSummaries()
{
    MemoryRead read;
    QCOMPARE(clearQuestionDetail(read), QStringLiteral("Messwerte noch nicht gelesen"));
    read.start(0);
    read.entryCountArrived(3);
    read.received(QStringLiteral("Nr.: 1\nNr"), 100);
    read.received(QStringLiteral(".: 2\n"), 200);
    QCOMPARE(readStatus(read).text, QStringLiteral("Lese Messwerte … 2 von 3"));
    QVERIFY(!read.endsNow(200 + MemoryRead::quietMs - 1, 2, [] { return true; }));
    // Quiet, but a record still waits to be parsed: the read goes on.
    QVERIFY(!read.endsNow(200 + MemoryRead::quietMs, 2, [] { return false; }));
    QVERIFY(read.endsNow(200 + MemoryRead::quietMs, 2, [] { return true; }));
    QCOMPARE(readStatus(read).text,
             QStringLiteral("Nur 2 von 3 Messwerten empfangen – bitte erneut lesen"));
    read.exported(); // an incomplete read stays incomplete, exported or not
    QCOMPARE(clearQuestionDetail(read),
             QStringLiteral("3 Messwerte im Gerät, nicht vollständig gelesen"));

    read.start(0);
    read.entryCountArrived(2);
    // The count is reached, but a record still waits: the device may send
    // more than it announced.
    QVERIFY(!read.endsNow(1, 2, [] { return false; }));
    QVERIFY(read.endsNow(1, 2, [] { return true; }));
    QCOMPARE(readStatus(read).text, QStringLiteral("2 Messwerte gelesen"));
    QVERIFY(!readStatus(read).warning);
    QCOMPARE(clearQuestionDetail(read),
             QStringLiteral("2 Messwerte im Gerät, noch nicht exportiert"));
    QCOMPARE(clearQuestionDetail(read, true),
             QStringLiteral("2 Messwerte im Gerät, gelesen und im Archiv gesichert"));
    read.exported();
    QCOMPARE(clearQuestionDetail(read),
             QStringLiteral("2 Messwerte im Gerät, gelesen und exportiert"));
    read.memoryCleared();
    QCOMPARE(clearQuestionDetail(read), QStringLiteral("Keine Messwerte im Gerät"));
    // After an unplug the device may be another one.
    read.linkLost();
    QCOMPARE(clearQuestionDetail(read), QStringLiteral("Messwerte noch nicht gelesen"));

    // A count parsed during the wake step is older text's, not this read's.
    read.start(0);
    read.entryCountArrived(5);
    read.commandSent(50);
    QCOMPARE(read.expected(), -1);
}

// One tick turns at most its limit of records into rows; the rest follows on
// the next tick, in order.
void TestSession::clockDrainsAtMostItsLimitPerTick()
{
    SessionFixture f;
    const int records = Limits::drainCallsPerTick + 50;
    QByteArray text;
    for (int i = 1; i <= records; ++i)
        text += deviceRecord(i);
    f.receive(text);
    f.session->tick();
    const QList<MeasurementRow> &rows = f.session->rows();
    QCOMPARE(rows.size(), Limits::drainCallsPerTick);
    QCOMPARE(f.session->measurementNumber, Limits::drainCallsPerTick + 1);
    QVERIFY(!f.session->receiveAccumulator.isEmpty());
    f.session->tick();
    QCOMPARE(rows.size(), records);
    for (int i = 0; i < records; i += 37)
        QCOMPARE(rows.at(i).cells.at(MeasurementRow::Number), QString::number(i + 1));
    QCOMPARE(rows.last().cells.at(MeasurementRow::Force), QStringLiteral("2.34"));
}

void TestSession::clockStopsWhenAccumulatorEmpties()
{
    SessionFixture f;
    f.receive("xxSerial number : 123456\n=========================");
    f.session->tick();
    QCOMPARE(f.session->reported().serialNumber, QStringLiteral("123456"));
    QVERIFY(f.session->receiveAccumulator.isEmpty());
}

void TestSession::textWithoutSeparatorWaits()
{
    SessionFixture f;
    f.receive("Serial number : 654321\n");
    f.session->tick();
    QVERIFY(f.session->reported().serialNumber.isNull());
    QCOMPARE(f.session->receiveAccumulator, QStringLiteral("Serial number : 654321\n"));
    f.receive("=========================\n");
    f.session->tick();
    QCOMPARE(f.session->reported().serialNumber, QStringLiteral("654321"));
}

// The clock and the settings in six texts, each followed by the pause the
// device needs, then the configuration is read back; every text is echoed
// for the receive log.
void TestSession::configurationWriteSendsSixTextsWithPauses()
{
    SessionFixture f(SessionFixture::Pauses::Real);
    QStringList echoes;
    QObject::connect(f.session.get(), &DeviceSession::logCommand, f.session.get(),
                     [&echoes](const QString &echo) { echoes << echo; });
    f.fake->clearLog();
    Clock::setFixed(QDateTime(QDate(2026, 12, 6), QTime(2, 12, 38))); // a Sunday
    QVERIFY(f.session->writeConfiguration(DeviceSettings{40, 1, 130, 0, 5, 10, 10}));
    Clock::setFixed(QDateTime());

    const QList<QByteArray> expected
        = {wake,    "622026:12:06:7:02:12:38", "3240\n4101\n", "51130\n",
           "430\n", "80005\n0010\n",           "75010\n",      wake,
           "71\n"};
    QCOMPARE(f.fake->writes(), expected);
    const auto writes = f.fake->callsOf(QStringLiteral("write"));
    const QList<int> minimumGap = {100, 100, 150, 300, 100, 100, 100, 100};
    for (int i = 1; i < writes.size(); ++i)
        QVERIFY2(writes.at(i).atMs - writes.at(i - 1).atMs >= minimumGap.at(i - 1),
                 qPrintable(QStringLiteral("pause before write %1 too short").arg(i)));
    QCOMPARE(echoes.join(u'\n'),
             QStringLiteral("622026:12:06:7:02:12:38\n3240\n4101\n\n51130\n430\n80005\n0010\n\n"
                            "75010\n"));
}

// What the simulated device holds is what the session reads, in both memory
// layouts, on every measuring range and at the wire rate: the fill level and
// every record as a row in the range's format, nothing more, and the read
// ends complete.
void TestSession::memory_data()
{
    QTest::addColumn<int>("records"); // -1: the demo's data set
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("layout");
    QTest::addColumn<bool>("wireRate");
    const int perRecord = int(DeviceReports::MemoryLayout::PerRecord);
    const int oneReport = int(DeviceReports::MemoryLayout::OneReport);
    QTest::newRow("demo data set, at wire rate") << -1 << 50 << perRecord << true;
    QTest::newRow("demo data set, one report") << -1 << 50 << oneReport << false;
    QTest::newRow("empty memory, at wire rate") << 0 << 50 << perRecord << true;
    QTest::newRow("empty memory, one report") << 0 << 50 << oneReport << false;
    QTest::newRow("one record, at wire rate") << 1 << 50 << perRecord << true;
    QTest::newRow("600 records") << 600 << 50 << perRecord << false;
    QTest::newRow("600 records, one report") << 600 << 50 << oneReport << false;
    QTest::newRow("200 kN range") << 300 << 200 << perRecord << false;
    QTest::newRow("1500 kN range") << 300 << 1500 << perRecord << false;
    QTest::newRow("full memory") << int(SimulatedDevice::memoryCapacity) << 50 << perRecord
                                 << false;
    QTest::newRow("full memory, one report")
        << int(SimulatedDevice::memoryCapacity) << 50 << oneReport << false;
}

void TestSession::memory()
{
    QFETCH(int, records);
    QFETCH(int, range);
    QFETCH(int, layout);
    QFETCH(bool, wireRate);
    SimulatedSession s(records < 0 ? SimulatedDevice::createDemo()
                                   : SimulatedDevice::createWithRecords(records, range),
                       wireRate ? SimulatedDriver::Timing::WireRate
                                : SimulatedDriver::Timing::Instant);
    s.device().setMemoryLayout(DeviceReports::MemoryLayout(layout));
    DeviceSession &session = *s.session;
    // The range the configuration reported sets how the rows are written.
    QVERIFY(session.configurationKnown());
    const QList<SimulatedMeasurement> stored = s.device().memory();

    QCOMPARE(session.readMemory(), DeviceSession::ReadStart::Started);
    QVERIFY(s.runUntil([&] { return !session.memoryRead().running(); }));
    s.run(300); // nothing more arrives
    QCOMPARE(readStatus(session.memoryRead()).text,
             QStringLiteral("%1 Messwerte gelesen").arg(stored.size()));
    QCOMPARE(session.reported().fillLevel,
             int(stored.size()) * 100 / SimulatedDevice::memoryCapacity);
    QCOMPARE(session.rows().size(), stored.size());
    for (int i = 0; i < stored.size(); ++i)
        QCOMPARE(session.rows().at(i).cells, expectedRow(i + 1, stored.at(i), range));
}

// At the wire rate the rows follow the bytes, not the end of the report: half
// the report's line time after the command, about half of them are there.
void TestSession::rowsAppearWhileMemoryStreams()
{
    SimulatedSession s(SimulatedDevice::createDemo(), SimulatedDriver::Timing::WireRate);
    DeviceSession &session = *s.session;
    QCOMPARE(session.readMemory(), DeviceSession::ReadStart::Started);
    const int total = int(SimulatedDevice::demoRecordCount);
    const qint64 reportBytes
        = DeviceReports::memory(s.device().memory(), SimulatedDevice::memoryCapacity).size();
    s.run(reportBytes * 1000 / SimulatedDriver::wireBytesPerSecond / 2);
    const auto halfway = session.rows().size();
    QVERIFY2(halfway > total / 4 && halfway < total * 3 / 4, qPrintable(QString::number(halfway)));
    QCOMPARE(session.reported().fillLevel, 1);
    QVERIFY(s.runUntil([&] { return !session.memoryRead().running(); }));
    QCOMPARE(session.rows().size(), total);
}

// From the command to the last row nothing can cut into a read: another
// read, a clear or a configuration command is refused, and the rows are
// exactly the stored records, numbered from 1. Afterwards the clear question
// says what clearing would lose.
void TestSession::readRunsToItsEnd_data()
{
    QTest::addColumn<int>("layout");
    QTest::newRow("per record") << int(DeviceReports::MemoryLayout::PerRecord);
    QTest::newRow("one report") << int(DeviceReports::MemoryLayout::OneReport);
}

void TestSession::readRunsToItsEnd()
{
    QFETCH(int, layout);
    SimulatedSession s(SimulatedDevice::createWithRecords(1500, 50));
    s.device().setMemoryLayout(DeviceReports::MemoryLayout(layout));
    DeviceSession &session = *s.session;
    QCOMPARE(clearQuestionDetail(session.memoryRead()),
             QStringLiteral("Messwerte noch nicht gelesen"));

    QCOMPARE(session.readMemory(), DeviceSession::ReadStart::Started);
    QVERIFY(readStatus(session.memoryRead()).text.startsWith(QStringLiteral("Lese Messwerte … ")));
    QVERIFY(!session.commandsAllowed());
    QVERIFY(!session.readConfiguration());
    QVERIFY(!session.writeConfiguration(s.device().settings()));
    QCOMPARE(session.clearMemory(session.connection()), DeviceSession::ClearResult::NotAllowed);
    s.run(150);
    QCOMPARE(session.readMemory(), DeviceSession::ReadStart::NotAllowed);

    QVERIFY(s.runUntil([&] { return !session.memoryRead().running(); }));
    QCOMPARE(readStatus(session.memoryRead()).text, QStringLiteral("1500 Messwerte gelesen"));
    QVERIFY(session.commandsAllowed());
    const QList<SimulatedMeasurement> stored = s.device().memory();
    QCOMPARE(session.rows().size(), 1500);
    for (int i = 0; i < stored.size(); i += 149)
        QCOMPARE(session.rows().at(i).cells, expectedRow(i + 1, stored.at(i), 50));
    QCOMPARE(session.rows().at(1499).cells, expectedRow(1500, stored.at(1499), 50));
    QCOMPARE(clearQuestionDetail(session.memoryRead()),
             QStringLiteral("1500 Messwerte im Gerät, noch nicht exportiert"));
}

// The device breaks off mid-memory: once nothing more comes, the read ends,
// keeps its rows and says, as a warning, that rows are missing.
void TestSession::streamCutShort_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("rows");
    QTest::newRow("per record") << int(DeviceReports::MemoryLayout::PerRecord) << 40;
    // Without its separator the report is never parsed.
    QTest::newRow("one report") << int(DeviceReports::MemoryLayout::OneReport) << 0;
}

void TestSession::streamCutShort()
{
    QFETCH(int, layout);
    QFETCH(int, rows);
    SimulatedSession s(SimulatedDevice::createWithRecords(150, 50));
    s.device().setMemoryLayout(DeviceReports::MemoryLayout(layout));
    s.device().setRecordsSent(40);
    DeviceSession &session = *s.session;
    QCOMPARE(session.readMemory(), DeviceSession::ReadStart::Started);
    QVERIFY(s.runUntil([&] {
        return readStatus(session.memoryRead()).text
            == QStringLiteral("Lese Messwerte … 40 von 150");
    }));
    s.run(300);
    QCOMPARE(session.rows().size(), rows);
    QVERIFY(session.memoryRead().running()); // still waiting for the rest

    s.run(MemoryRead::quietMs);
    QCOMPARE(readStatus(session.memoryRead()).text,
             QStringLiteral("Nur %1 von 150 Messwerten empfangen – bitte erneut lesen").arg(rows));
    QVERIFY(readStatus(session.memoryRead()).warning);
    QVERIFY(session.commandsAllowed());
    QCOMPARE(session.rows().size(), rows);
    QCOMPARE(clearQuestionDetail(session.memoryRead()),
             QStringLiteral("150 Messwerte im Gerät, nicht vollständig gelesen"));
}

// What a configuration write sends, the device keeps, with the PC's clock as
// its own; read back, the device reports these settings with its identity,
// and the write counts as confirmed.
void TestSession::settingsWrittenComeBack_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<int>("firmware");
    QTest::addColumn<QString>("checkDate");
    QTest::addColumn<int>("sleeveRaw");
    QTest::addColumn<int>("range");
    QTest::addColumn<DeviceSettings>("written");
    QTest::addColumn<QString>("firmwareShown");
    QTest::addColumn<double>("sleeveShown");

    QTest::newRow("demo device") << "004711" << 123 << "15.03.2026" << 45 << 50
                                 << DeviceSettings{40, 1, 130, 0, 5, 10, 10} << "V 1.23" << 2.25;
    QTest::newRow("other values") << "004711" << 123 << "15.03.2026" << 45 << 50
                                  << DeviceSettings{77, 31, 5, 200, 2048, 4096, 255} << "V 1.23"
                                  << 2.25;
    QTest::newRow("negative sleeve, 100 kN")
        << "A1B2C3" << 105 << "2026-03-15" << -25 << 100 << DeviceSettings{5, 0, 0, 0, 0, 0, 0}
        << "V 1.5" << -2.5;
    QTest::newRow("largest values, 1500 kN")
        << "999999" << 1000 << "31.12.2099" << 999 << 1500
        << DeviceSettings{255, 31, 255, 255, 2048, 4096, 255} << "V 10.0" << 99.9;
}

void TestSession::settingsWrittenComeBack()
{
    QFETCH(QString, serial);
    QFETCH(int, firmware);
    QFETCH(QString, checkDate);
    QFETCH(int, sleeveRaw);
    QFETCH(int, range);
    QFETCH(DeviceSettings, written);
    QFETCH(QString, firmwareShown);
    QFETCH(double, sleeveShown);
    auto device = SimulatedDevice::createEmpty();
    device->setIdentity(DeviceIdentity{serial, firmware, checkDate, sleeveRaw, range});
    SimulatedSession s(device, SimulatedDriver::Timing::WireRate);
    DeviceSession &session = *s.session;
    std::optional<SettingsWriteOutcome> outcome;
    QObject::connect(&session, &DeviceSession::settingsWriteEnded, &session,
                     [&outcome](const SettingsWriteOutcome &ended) { outcome = ended; });

    const QDateTime instant(QDate(2026, 12, 6), QTime(2, 12, 38));
    Clock::setFixed(instant);
    QVERIFY(session.writeConfiguration(written));
    Clock::setFixed(QDateTime());
    QCOMPARE(s.device().settings(), written);
    // The device clock was set to the PC's and runs on from there.
    const QDateTime deviceClock = s.device().clock(s.driver->now());
    const qint64 drift
        = qAbs(deviceClock.secsTo(QDateTime(instant.date(), instant.time(), Qt::UTC)));
    QVERIFY2(drift <= 5, qPrintable(QString::number(drift)));

    QVERIFY(s.runUntil([&] { return outcome.has_value(); }));
    QCOMPARE(outcome->status, SettingsWriteOutcome::Confirmed);
    const ReportedDevice &reported = session.reported();
    QCOMPARE(reported.settings, written);
    QCOMPARE(reported.serialNumber, serial);
    QCOMPARE(reported.firmwareVersion, firmwareShown);
    QCOMPARE(reported.checkDate, checkDate);
    QCOMPARE(session.measuringRange, range);
    QVERIFY2(qAbs(reported.sleevePosition - sleeveShown) < 1e-5,
             qPrintable(QString::number(reported.sleevePosition)));
    QVERIFY(session.rows().isEmpty());
}

// The simulated device, pulled out while its memory streams in at the wire
// rate and plugged back in: the read ends incomplete with the rows it got,
// the gone converter is not polled, a clear is refused rather than pretended;
// once back, the session finds the converter by itself and reads the settings
// the device holds now, and the rows stay.
void TestSession::unplugAndReplugKeepTheRows()
{
    SimulatedSession s(SimulatedDevice::createDemo(), SimulatedDriver::Timing::WireRate);
    DeviceSession &session = *s.session;
    QCOMPARE(session.readMemory(), DeviceSession::ReadStart::Started);
    QVERIFY(s.runUntil([&] { return session.rows().size() >= 20; }));
    s.driver->unplug();
    QVERIFY(s.runUntil([&] { return !session.memoryRead().running(); }));
    QVERIFY(!session.isConnected());
    QCOMPARE(session.deviceCount(), 0);
    const qsizetype rows = session.rows().size();
    QVERIFY2(rows < s.device().memory().size(), "the whole memory arrived before the unplug");
    QCOMPARE(readStatus(session.memoryRead()).text,
             QStringLiteral("Nur %1 von 150 Messwerten empfangen – bitte erneut lesen").arg(rows));
    const QStringList lastRow = session.rows().last().cells;

    const double cpu = ProcessUsage::cpuPercentWhileRunning(1000);
    QVERIFY2(cpu < 50.0, qPrintable(QStringLiteral("%1 % of a core while unplugged").arg(cpu)));
    s.run(3000);
    QCOMPARE(session.rows().size(), rows);
    QCOMPARE(session.rows().last().cells, lastRow);
    QVERIFY(!session.commandsAllowed());
    QVERIFY(session.clearMemory(session.connection()) != DeviceSession::ClearResult::Cleared);
    QCOMPARE(session.reported().fillLevel, -1);

    // Back in, with other settings stored meanwhile: found, opened, read.
    DeviceSettings changed = s.device().settings();
    changed.wakeThreshold = 77;
    s.device().setSettings(changed);
    s.driver->replug();
    QVERIFY(s.runUntil([&] { return session.configurationKnown(); }));
    QCOMPARE(session.deviceCount(), 1);
    QCOMPARE(session.reported().settings.wakeThreshold, 77);
    QCOMPARE(session.rows().size(), rows);
    QCOMPARE(session.rows().last().cells, lastRow);
}

// A megabyte without a separator costs a tick little; nothing is parsed
// before a separator arrives, and nothing is lost.
void TestSession::longTextWithoutSeparatorStaysCheap()
{
    SessionFixture f;
    QByteArray text;
    while (text.size() < 1024 * 1024)
        text += "Messwert: 12,34Pos.: 045ID: 004 and more text without an end\n";
    f.receive(text);
    QCOMPARE(f.session->receiveAccumulator.size(), text.size());
    const qint64 worst = f.worstTick(3);
    QVERIFY2(worst < 100, qPrintable(QStringLiteral("a tick over 1 MB took %1 ms").arg(worst)));
    QCOMPARE(f.session->receiveAccumulator.size(), text.size());
    f.receive("=========================\n");
    f.session->tick();
    QVERIFY(f.session->receiveAccumulator.size() < 100);
}

// A read that ended in the middle of a record, then read again: the rest of
// the broken record does not join the new memory report as a row.
void TestSession::readAgainAfterABrokenOffRecord()
{
    SessionFixture f;
    f.tellMeasuringRange();
    QCOMPARE(f.session->readMemory(), DeviceSession::ReadStart::Started);
    f.receive(deviceRecord(1).left(30));
    Clock::skip(MemoryRead::startQuietMs);
    f.session->tick();
    QVERIFY(readStatus(f.session->memoryRead()).text.startsWith(QStringLiteral("Nur 0 ")));

    QCOMPARE(f.session->readMemory(), DeviceSession::ReadStart::Started);
    f.show(deviceRecord(1, "2026:12:01:2:08:00:00") + deviceRecord(2, "2026:12:01:2:08:00:05"));
    const QList<MeasurementRow> &rows = f.session->rows();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).cells.at(MeasurementRow::Time), QStringLiteral("08:00:00"));
    QCOMPARE(rows.at(1).cells.at(MeasurementRow::Number), QStringLiteral("2"));
}

// Records that wait to be parsed when the converter goes keep the scale of
// the device that sent them, and the read ends with every row the wire
// brought; the next device's memory can be read only once it has told its
// own measuring range.
void TestSession::unplugBeforeParsingKeepsTheScale()
{
    SessionFixture f;
    f.tellMeasuringRange(50); // sleeve positions in steps of 0.05 mm
    QCOMPARE(f.session->readMemory(), DeviceSession::ReadStart::Started);
    // Both records wait in the link's buffer when the converter goes: they
    // are still this read's rows, at this device's scale.
    f.fake->deliver(deviceRecord(1, "2026:12:01:2:08:00:00", "2,34", "047")
                    + deviceRecord(2, "2026:12:01:2:08:00:05", "2,34", "047"));
    f.pollAll();
    f.fake->unplugged = true;
    f.poll();
    QVERIFY(!f.session->link()->isOpen());
    f.session->tick(); // the loss is noticed before the rows are parsed
    for (int tick = 0; tick < 5; ++tick) {
        f.session->receiveOnce();
        f.session->tick();
    }
    QCOMPARE(f.session->rows().size(), 2);
    for (const MeasurementRow &row : f.session->rows())
        QCOMPARE(row.cells.at(MeasurementRow::SleevePosition), QStringLiteral("2.35"));
    QCOMPARE(readStatus(f.session->memoryRead()).text,
             QStringLiteral("Nur 2 Messwerte empfangen – bitte erneut lesen"));

    // Another device: no read before it has told its range.
    f.fake->unplugged = false;
    f.session->lookForConverter();
    QVERIFY(f.session->isConnected());
    QCOMPARE(f.session->readMemory(), DeviceSession::ReadStart::NotAllowed);
    f.tellMeasuringRange(100);
    QVERIFY(f.session->configurationKnown());
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
