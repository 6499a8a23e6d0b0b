// The device session without any window, on a fake converter: the
// connection, the receive run and the receive log's lines, the clock tick's
// share of the parser, the memory read and its end, and the command
// sequences with their bytes and pauses.

#include "protocol/devicesettings.h"
#include "protocol/limits.h"
#include "protocol/reportdrain.h"
#include "session/clock.h"
#include "session/memoryread.h"
#include "session/statustexts.h"
#include "sessionfixture.h"

#include <QTest>

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

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
