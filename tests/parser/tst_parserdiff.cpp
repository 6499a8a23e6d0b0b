// Differential test: the product parser against the literal reference parser
// on generated device output, fed in random pieces as the receive path would
// deliver it and drained in clock ticks. After every call both must agree on
// the return value, on every delivery, on the report block, on the
// accumulator and on the controller's variables; and a call that says it
// changed nothing must really have changed nothing.

#include "parserside.h"
#include "protocol/limits.h"
#include "protocol/reportparser.h"
#include "referencereportparser.h"
#include "reportgenerator.h"
#include "sim/devicereports.h"
#include "sim/simulateddevice.h"
#include "textreportsink.h"

#include <QTest>

namespace {

// Feeds one stretch of device output to both parsers and compares them call by
// call. Returns an empty string when they agree, otherwise the first
// difference.
class Comparison
{
public:
    explicit Comparison(ReportGenerator &generator)
        : m_generator(generator)
    {
    }

    QString feed(const QString &output, int maxChunk, int callsPerTick)
    {
        return feed(m_generator.chunks(output, maxChunk), callsPerTick);
    }

    QString feed(const QStringList &pieces, int callsPerTick)
    {
        for (const QString &piece : pieces) {
            m_product.accumulator += piece;
            m_reference.accumulator += piece;
            // The read-memory command restarts the numbering behind the
            // parser's back.
            if (m_generator.random().bounded(200) == 0) {
                m_product.measurementNumber = 1;
                m_reference.measurementNumber = 1;
            }
            if (m_generator.random().bounded(3) == 0) {
                const QString difference = tick(callsPerTick);
                if (!difference.isEmpty())
                    return difference;
            }
        }
        // Drain as the clock would, and one call beyond the first that changes
        // nothing, to see that it really changes nothing.
        for (int round = 0; round < 400 && textWaits(); ++round) {
            const QString difference = tick(Limits::drainCallsPerTick);
            if (!difference.isEmpty())
                return difference;
            if (m_lastResult == false)
                break;
        }
        return QString();
    }

    qsizetype calls() const { return m_calls; }
    qsizetype rows() const { return m_reference.sink.rows().size(); }

private:
    // Up to `limit` calls while the accumulator holds text. Unlike the clock,
    // it goes on after a call that changed nothing: the next ones must not
    // change anything either.
    QString tick(int limit)
    {
        for (int i = 0; i < limit && textWaits(); ++i) {
            const QString difference = step();
            if (!difference.isEmpty())
                return difference;
            if (!m_lastResult && m_generator.random().bounded(4) != 0)
                break;
        }
        return QString();
    }

    // What makes the clock call the parser: text in the accumulator or a
    // record in the block.
    bool textWaits()
    {
        return !m_reference.accumulator.isEmpty() || m_reference.parser.recordWaiting();
    }

    QString step()
    {
        const ParserSnapshot before = snapshot(m_reference);
        const qsizetype logSize = m_reference.sink.log().size();
        const bool productResult = m_product.call();
        const bool referenceResult = m_reference.call();
        const ParserSnapshot after = snapshot(m_reference);
        ++m_calls;
        m_lastResult = productResult;

        const QString where = QStringLiteral("call %1: ").arg(m_calls);
        const bool referenceChanged = !(before == after);
        if (productResult != referenceChanged)
            return where
                + QStringLiteral("product says %1, the reference %2")
                      .arg(productResult ? QStringLiteral("changed") : QStringLiteral("unchanged"),
                           referenceChanged ? QStringLiteral("changed")
                                            : QStringLiteral("did not change"));
        if (referenceResult != referenceChanged)
            return where + QStringLiteral("the reference's own result is wrong");

        if (const QString difference = sideDifference(m_product, m_reference, logSize);
            !difference.isEmpty())
            return where + difference;
        return QString();
    }

    ReportGenerator &m_generator;
    ParserSide<ReportParser> m_product;
    ParserSide<ReferenceReportParser> m_reference;
    qsizetype m_calls = 0;
    bool m_lastResult = true;
};

} // namespace

class TestParserDiff : public QObject
{
    Q_OBJECT

private slots:
    void generatedOutput_data();
    void generatedOutput();
    void largeMutatedMemory_data();
    void largeMutatedMemory();
};

void TestParserDiff::generatedOutput_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("sessions");
    QTest::addColumn<int>("outputsPerSession");
    QTest::addColumn<int>("maxChunk");
    QTest::addColumn<int>("callsPerTick");

    QTest::newRow("small pieces, few calls per tick") << 11u << 400 << 8 << 12 << 3;
    QTest::newRow("receive-sized pieces, full ticks")
        << 23u << 400 << 8 << 400 << Limits::drainCallsPerTick;
    QTest::newRow("single calls between pieces") << 37u << 400 << 6 << 40 << 1;
    QTest::newRow("long sessions") << 41u << 40 << 60 << 120 << 20;
}

// Generated output of every kind, many mutated; parsers live for a session of
// several outputs, so text left in the block meets the next output.
void TestParserDiff::generatedOutput()
{
    QFETCH(quint32, seed);
    QFETCH(int, sessions);
    QFETCH(int, outputsPerSession);
    QFETCH(int, maxChunk);
    QFETCH(int, callsPerTick);

    // KALVOR2_DIFF_SCALE=n runs n times as many sessions (a soak run; CTest
    // keeps the default of one).
    const int scale = qMax(1, qEnvironmentVariableIntValue("KALVOR2_DIFF_SCALE"));
    sessions *= scale;

    ReportGenerator generator(seed);
    qsizetype calls = 0;
    qsizetype rows = 0;
    for (int session = 0; session < sessions; ++session) {
        Comparison comparison(generator);
        for (int output = 0; output < outputsPerSession; ++output) {
            const QString text = generator.deviceOutput();
            const QString difference = comparison.feed(text, maxChunk, callsPerTick);
            QVERIFY2(difference.isEmpty(),
                     qPrintable(QStringLiteral("session %1, output %2, %3\ninput: %4")
                                    .arg(session)
                                    .arg(output)
                                    .arg(difference, TextReportSink::excerpt(text))));
        }
        calls += comparison.calls();
        rows += comparison.rows();
    }
    // The generator must actually exercise the parser.
    QVERIFY(calls > sessions * outputsPerSession);
    QVERIFY(rows > sessions);
}

void TestParserDiff::largeMutatedMemory_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("mutations");
    QTest::addColumn<QString>("lead");

    // 900 records are enough for the block to take the accumulator's storage
    // over; a lead that leaves text in the block makes it keep that text in
    // front, where it joins the records' first label.
    const QString configuration = QStringLiteral("configuration");
    const QString unfinishedLabel
        = QStringLiteral("HF-CH!") + ReportGenerator::separator() + QStringLiteral(": 0012\n");
    QTest::newRow("900 records, clean") << 5u << 900 << 0 << configuration;
    QTest::newRow("900 records, mutated") << 6u << 900 << 12 << configuration;
    QTest::newRow("900 records behind a waiting label") << 9u << 900 << 0 << unfinishedLabel;
    QTest::newRow("900 records behind a waiting label, mutated")
        << 10u << 900 << 8 << unfinishedLabel;
    QTest::newRow("300 records, heavily mutated") << 7u << 300 << 40 << configuration;
    QTest::newRow("300 records, heavily mutated, other seed") << 8u << 300 << 40 << configuration;
    // The simulated device's memory in both its layouts, a configuration
    // report right behind it: nothing may be lost between the two.
    QTest::newRow("simulated device, one report") << 12u << 600 << 0 << "one report";
    QTest::newRow("simulated device, one report, mutated") << 13u << 600 << 6 << "one report";
    QTest::newRow("simulated device, report per record") << 14u << 300 << 0 << "per record";
}

// A whole memory in one chunk, the layout that leaves thousands of records in
// the block at once, with damage spread through it.
void TestParserDiff::largeMutatedMemory()
{
    QFETCH(quint32, seed);
    QFETCH(int, records);
    QFETCH(int, mutations);
    QFETCH(QString, lead);

    ReportGenerator generator(seed);
    QString text;
    if (lead == QLatin1String("one report") || lead == QLatin1String("per record")) {
        const auto device = SimulatedDevice::createWithRecords(records, 200);
        text = QString::fromLatin1(
            DeviceReports::memory(device->memory(), SimulatedDevice::memoryCapacity,
                                  lead == QLatin1String("one report")
                                      ? DeviceReports::MemoryLayout::OneReport
                                      : DeviceReports::MemoryLayout::PerRecord)
            + DeviceReports::configuration(device->identity(), device->settings()));
    } else if (lead == QLatin1String("configuration")) {
        text = generator.configurationReport()
            + generator.memoryReport(records, ReportGenerator::Layout::SingleChunk);
    } else {
        text = lead;
        for (int number = 1; number <= records; ++number)
            text += generator.record(number);
        text += ReportGenerator::separator() + u'\n';
    }
    for (int i = 0; i < mutations; ++i)
        text = generator.mutated(text, 1);

    Comparison comparison(generator);
    // All of it in the accumulator before the first tick, as after a long
    // stall; then more output behind it.
    const QString difference = comparison.feed(QStringList{text}, Limits::drainCallsPerTick);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    const QString more = comparison.feed(generator.deviceOutput(), 50, Limits::drainCallsPerTick);
    QVERIFY2(more.isEmpty(), qPrintable(more));
    // Mutations may hide records, but the block must have been worked on.
    QVERIFY(comparison.rows() > 0);
}

QTEST_GUILESS_MAIN(TestParserDiff)
#include "tst_parserdiff.moc"
