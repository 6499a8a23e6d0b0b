// The report parser's rules on hand-made device text. Every case runs through
// both the product parser and the literal reference parser, so the reference
// is itself held to the worked examples before it serves as the oracle of the
// differential test.

#include "devicerecord.h"
#include "protocol/limits.h"
#include "protocol/receivedtext.h"
#include "protocol/reportblock.h"
#include "protocol/reportdrain.h"
#include "protocol/reportparser.h"
#include "referencereportparser.h"
#include "textreportsink.h"

#include <QTest>

namespace {

const QString S = QStringLiteral("=========================");

// A report as the device closes it: the line end in front of the separator is
// the character the parser drops, so the block receives `body` unchanged.
QString closed(const QString &body)
{
    return body + u'\n' + S;
}

const QString record17 = recordText(17);
const QString record18 = recordText(18, "2012:03:06:2:15:08:00", "1,26", "100", "007");

struct Outcome
{
    QString results; // one letter per call: T changed something, F nothing
    QStringList log;
    QString block;
    QString accumulator;
    QString state; // "measuringRange measurementNumber sleevePositionRaw"
};

// Appends each feed to the accumulator, then makes one parser call.
template<class Parser>
Outcome run(const QStringList &feeds, int range, int number)
{
    Parser parser;
    TextReportSink sink;
    QString accumulator;
    float raw = 0;
    ParserState state{range, number, raw};
    Outcome outcome;
    for (const QString &feed : feeds) {
        accumulator += feed;
        outcome.results += parser.parseReport(accumulator, state, sink) ? u'T' : u'F';
    }
    outcome.log = sink.log();
    outcome.block = parser.block();
    outcome.accumulator = accumulator;
    outcome.state = QStringLiteral("%1 %2 %3").arg(range).arg(number).arg(double(raw));
    return outcome;
}

QString shown(const QString &text)
{
    return u'"' + TextReportSink::escaped(text) + u'"';
}

void compareOutcome(const char *implementation, const Outcome &actual, const Outcome &expected)
{
    const auto fail = [&](const char *what, const QString &got, const QString &wanted) {
        return QStringLiteral("%1: %2 is %3, expected %4")
            .arg(QLatin1String(implementation), QLatin1String(what), got, wanted)
            .toLocal8Bit();
    };
    QVERIFY2(actual.results == expected.results,
             fail("results", actual.results, expected.results).constData());
    QVERIFY2(actual.log == expected.log,
             fail("log", actual.log.join(QStringLiteral(" / ")),
                  expected.log.join(QStringLiteral(" / ")))
                 .constData());
    QVERIFY2(actual.block == expected.block,
             fail("block", shown(actual.block), shown(expected.block)).constData());
    QVERIFY2(
        actual.accumulator == expected.accumulator,
        fail("accumulator", shown(actual.accumulator), shown(expected.accumulator)).constData());
    QVERIFY2(actual.state == expected.state,
             fail("state", actual.state, expected.state).constData());
}

void addColumns()
{
    QTest::addColumn<QStringList>("feeds");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("results");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<QString>("block");
    QTest::addColumn<QString>("accumulator");
    QTest::addColumn<QString>("state");
}

void verifyBoth()
{
    QFETCH(QStringList, feeds);
    QFETCH(int, range);
    QFETCH(int, number);
    QFETCH(QString, results);
    QFETCH(QStringList, log);
    QFETCH(QString, block);
    QFETCH(QString, accumulator);
    QFETCH(QString, state);
    const Outcome expected{results, log, block, accumulator, state};

    compareOutcome("reference", run<ReferenceReportParser>(feeds, range, number), expected);
    compareOutcome("product", run<ReportParser>(feeds, range, number), expected);
}

QString row(const QString &cells)
{
    return QStringLiteral("row ") + cells;
}

// `count` records as a device sends its memory in one report: one record
// after the other, one separator behind the last.
QString oneReport(int count)
{
    QString text = closed(
        QStringLiteral("fill level: 001\nEntries : %1").arg(count, 4, 10, QLatin1Char('0')));
    for (int i = 1; i <= count; ++i)
        text += recordText(i);
    return text + S;
}

struct Drained
{
    QList<int> rowsAfterTick;
    TextReportSink sink;
    QString accumulator;
};

// The text arrives at once; then clock ticks until one changes nothing.
template<class Parser>
Drained drain(const QString &text)
{
    Parser parser;
    Drained result;
    int range = 50;
    int number = 1;
    float raw = 0;
    ParserState state{range, number, raw};
    result.accumulator = text;
    for (int tick = 0; tick < 100; ++tick) {
        const bool changed = drainReports(
            result.accumulator,
            [&](QString &accumulator) {
                return parser.parseReport(accumulator, state, result.sink);
            },
            [&] { return parser.recordWaiting(); }, Limits::drainCallsPerTick);
        result.rowsAfterTick << int(result.sink.rows().size());
        if (!changed)
            break;
    }
    return result;
}

} // namespace

class TestReportParser : public QObject
{
    Q_OBJECT

private slots:
    void chunkTaking_data();
    void chunkTaking() { verifyBoth(); }
    void ruleOrder_data();
    void ruleOrder() { verifyBoth(); }
    void fixedWidthsCutShort_data();
    void fixedWidthsCutShort() { verifyBoth(); }
    void measurementRecord_data();
    void measurementRecord() { verifyBoth(); }
    void twoRecords_data();
    void twoRecords() { verifyBoth(); }
    void fillLevel_data();
    void fillLevel() { verifyBoth(); }
    void firmwareVersion_data();
    void firmwareVersion() { verifyBoth(); }
    void sleevePosition_data();
    void sleevePosition() { verifyBoth(); }
    void kiloNewtonDeletion_data();
    void kiloNewtonDeletion() { verifyBoth(); }
    void statusAndMenu_data();
    void statusAndMenu() { verifyBoth(); }
    void deletionsFormAndBreakLabels_data();
    void deletionsFormAndBreakLabels() { verifyBoth(); }
    void replacedAccumulatorIsSearchedAgain();
    void oneReportIsWorkedOffRecordByRecord_data();
    void oneReportIsWorkedOffRecordByRecord();
    void rowNumbersAreTheShownNumbers_data();
    void rowNumbersAreTheShownNumbers();
    void receivedText_data();
    void receivedText();
    void reportBlockAnswersAsASearchWould_data();
    void reportBlockAnswersAsASearchWould();
};

void TestReportParser::chunkTaking_data()
{
    addColumns();
    QTest::newRow("line end before separator dropped")
        << QStringList{QStringLiteral("abc\n") + S + QStringLiteral("\nxyz")} << -1 << 1 << "T"
        << QStringList{} << "abc"
        << "\nxyz"
        << "-1 1 0";
    QTest::newRow("separator first")
        << QStringList{S + QStringLiteral("xyz")} << -1 << 1 << "T" << QStringList{} << ""
        << "xyz"
        << "-1 1 0";
    QTest::newRow("one character, then separator")
        << QStringList{QStringLiteral("q") + S + QStringLiteral("xyz")} << -1 << 1 << "T"
        << QStringList{} << ""
        << "xyz"
        << "-1 1 0";
    QTest::newRow("no separator") << QStringList{QStringLiteral("abc")} << -1 << 1 << "F"
                                  << QStringList{} << ""
                                  << "abc"
                                  << "-1 1 0";
    const QString almost = QString(24, u'=') + QStringLiteral("\nHF-CH: 0012\n");
    QTest::newRow("24 equals signs are no separator")
        << QStringList{almost} << -1 << 1 << "F" << QStringList{} << "" << almost << "-1 1 0";
    QTest::newRow("26 equals signs leave one")
        << QStringList{QString(26, u'=') + u'x'} << -1 << 1 << "T" << QStringList{} << ""
        << "=x"
        << "-1 1 0";
    QTest::newRow("one chunk per call")
        << QStringList{QStringLiteral("ab\n") + S + QStringLiteral("\ncd\n") + S + u'\n', QString()}
        << -1 << 1 << "TT" << QStringList{} << "ab\ncd"
        << "\n"
        << "-1 1 0";
    QTest::newRow("unclaimed text waits for a label")
        << QStringList{closed(QStringLiteral("junk")), closed(QStringLiteral("\nHF-CH: 0012"))}
        << -1 << 1 << "TT" << QStringList{QStringLiteral("value RadioChannel 12")} << ""
        << ""
        << "-1 1 0";
    QTest::newRow("block without labels changes nothing")
        << QStringList{closed(QStringLiteral("junk")), QStringLiteral("more")} << -1 << 1 << "TF"
        << QStringList{} << "junk"
        << "more"
        << "-1 1 0";
    QTest::newRow("separator completed by the next receive")
        << QStringList{QStringLiteral("HF-CH: 0012\n====="), QString(20, u'=') + u'\n'} << -1 << 1
        << "FT" << QStringList{QStringLiteral("value RadioChannel 12")} << ""
        << "\n"
        << "-1 1 0";
    QTest::newRow("separator completed by one character")
        << QStringList{QStringLiteral("HF-CH: 0012\n") + QString(24, u'='), QStringLiteral("=x")}
        << -1 << 1 << "FT" << QStringList{QStringLiteral("value RadioChannel 12")} << ""
        << "x"
        << "-1 1 0";
    QTest::newRow("separator after a long wait")
        << QStringList{QStringLiteral("HF-CH: 0012\n") + QString(3000, u'a'), QString(30, u'b'),
                       QStringLiteral("\n") + S}
        << -1 << 1 << "FFT" << QStringList{QStringLiteral("value RadioChannel 12")}
        << u'\n' + QString(3000, u'a') + QString(30, u'b') << ""
        << "-1 1 0";
    const QString bytes = QChar(0) + QStringLiteral("ab") + QChar(0xe9) + QChar(0xff);
    QTest::newRow("zero and high bytes kept")
        << QStringList{closed(bytes)} << -1 << 1 << "T" << QStringList{} << bytes << ""
        << "-1 1 0";
}

void TestReportParser::ruleOrder_data()
{
    addColumns();
    QTest::newRow("labels in rule order")
        << QStringList{closed(QStringLiteral("ab\nHF-CH: 0012\nHF-ID: 0003\n"))} << -1 << 1 << "T"
        << QStringList{QStringLiteral("value RadioChannel 12"), QStringLiteral("value DeviceId 3")}
        << "\n"
        << ""
        << "-1 1 0";
    QTest::newRow("label of a later rule in front is lost")
        << QStringList{closed(QStringLiteral("ab\nHF-ID: 0003\nHF-CH: 0012\n"))} << -1 << 1 << "T"
        << QStringList{QStringLiteral("value RadioChannel 12")} << "\n"
        << ""
        << "-1 1 0";
    QTest::newRow("serial number drops the threshold in front")
        << QStringList{closed(QStringLiteral("SMB: 050\nSerial number : 123456\n"))} << -1 << 1
        << "T" << QStringList{QStringLiteral("text SerialNumber 123456")} << "\n"
        << ""
        << "-1 1 0";
    QTest::newRow("second occurrence waits for the next call")
        << QStringList{closed(QStringLiteral("HF-CH: 0012\nHF-CH: 0034\n")), QStringLiteral("x")}
        << -1 << 1 << "TT"
        << QStringList{QStringLiteral("value RadioChannel 12"),
                       QStringLiteral("value RadioChannel 34")}
        << "\n"
        << "x"
        << "-1 1 0";
    QTest::newRow("duration label in front of the threshold is lost")
        << QStringList{closed(QStringLiteral("SMB dur.: 010\nSMB: 050\n"))} << -1 << 1 << "T"
        << QStringList{QStringLiteral("value WakeThreshold 50")} << "\n"
        << ""
        << "-1 1 0";
    QTest::newRow("threshold, then duration")
        << QStringList{closed(QStringLiteral("SMB: 050\nSMB dur.: 010\n"))} << -1 << 1 << "T"
        << QStringList{QStringLiteral("value WakeThreshold 50"),
                       QStringLiteral("value Duration 10")}
        << "\n"
        << ""
        << "-1 1 0";
    QTest::newRow("record in front of a configuration label is lost")
        << QStringList{closed(record17 + QStringLiteral("Serial number : 123456\n"))} << -1 << 1
        << "T" << QStringList{QStringLiteral("text SerialNumber 123456")} << "\n"
        << ""
        << "-1 1 0";
    QTest::newRow("fill level in front of a record is lost")
        << QStringList{closed(QStringLiteral("fill level: 042\nEntries : 0005\n") + record17)} << -1
        << 1 << "T" << QStringList{row(QStringLiteral("1|2012:03:05|14:07:59|2.34|4.5|4"))}
        << "004\n"
        << ""
        << "-1 2 0";
    QTest::newRow("fill level behind a record is read")
        << QStringList{closed(record17 + QStringLiteral("fill level: 042\nEntries : 0005\n"))} << -1
        << 1 << "T"
        << QStringList{row(QStringLiteral("1|2012:03:05|14:07:59|2.34|4.5|4")),
                       QStringLiteral("value FillLevel 42"), QStringLiteral("value EntryCount 5")}
        << "\n"
        << ""
        << "-1 2 0";
    QTest::newRow("whole configuration report")
        << QStringList{closed(QStringLiteral(
               "Serial number : 123456\nHuelsenpos.: 045\nLEDbrightness: 012\n"
               "Softwareversion: 0107\nHF-CH: 0012\nHF-ID: 0003\nSMB: 050\nSMB dur.: 010\n"
               "Nr. of cycles: 0100\nCycle time: 0060\nMessbereich: 0050\nInfo : 05.03.2012\n"))}
        << -1 << 1 << "T" << QStringList{QStringLiteral("text SerialNumber 123456"),
                                         QStringLiteral("value Brightness 12"),
                                         QStringLiteral("text FirmwareVersion V 1.7"),
                                         QStringLiteral("value RadioChannel 12"),
                                         QStringLiteral("value DeviceId 3"),
                                         QStringLiteral("value WakeThreshold 50"),
                                         QStringLiteral("value Duration 10"),
                                         QStringLiteral("value Cycles 100"),
                                         QStringLiteral("value CycleTime 60"),
                                         QStringLiteral("sleeve 2.25"),
                                         QStringLiteral("text CheckDate 05.03.2012")}
        << "\n"
        << ""
        << "50 1 45";
}

void TestReportParser::fixedWidthsCutShort_data()
{
    addColumns();
    QTest::newRow("serial number")
        << QStringList{closed(QStringLiteral("Serial number : 12"))} << -1 << 1 << "T"
        << QStringList{QStringLiteral("text SerialNumber 12")} << ""
        << ""
        << "-1 1 0";
    QTest::newRow("label at the very end")
        << QStringList{closed(QStringLiteral("Serial number :"))} << -1 << 1 << "T"
        << QStringList{QStringLiteral("text SerialNumber ")} << ""
        << ""
        << "-1 1 0";
    QTest::newRow("radio channel")
        << QStringList{closed(QStringLiteral("HF-CH: 1"))} << -1 << 1 << "T"
        << QStringList{QStringLiteral("value RadioChannel 1")} << ""
        << ""
        << "-1 1 0";
    QTest::newRow("firmware") << QStringList{closed(QStringLiteral("Softwareversion: 12"))} << -1
                              << 1 << "T"
                              << QStringList{QStringLiteral("text FirmwareVersion V 0.12")} << ""
                              << ""
                              << "-1 1 0";
    QTest::newRow("check date") << QStringList{closed(QStringLiteral("Info : 2012"))} << -1 << 1
                                << "T" << QStringList{QStringLiteral("text CheckDate 2012")} << ""
                                << ""
                                << "-1 1 0";
    QTest::newRow("measuring range") << QStringList{closed(QStringLiteral("Messbereich: 00"))} << -1
                                     << 1 << "T" << QStringList{QStringLiteral("sleeve 0")} << ""
                                     << ""
                                     << "0 1 0";
    QTest::newRow("sleeve position") << QStringList{closed(QStringLiteral("Huelsenpos.: 4"))} << -1
                                     << 1 << "T" << QStringList{} << ""
                                     << ""
                                     << "-1 1 4";
    QTest::newRow("fill level") << QStringList{closed(QStringLiteral("fill level: 4"))} << -1 << 1
                                << "T" << QStringList{QStringLiteral("value FillLevel 4")} << "4"
                                << ""
                                << "-1 1 0";
    QTest::newRow("entry count")
        << QStringList{closed(QStringLiteral("fill level: 042\nEntries : 01"))} << -1 << 1 << "T"
        << QStringList{QStringLiteral("value FillLevel 42"), QStringLiteral("value EntryCount 1")}
        << ""
        << ""
        << "-1 1 0";
    QTest::newRow("record inside its time stamp")
        << QStringList{closed(QStringLiteral("Nr.: 17\nJJJJ:MM:DD:d:hh:mm:ss\n2012:03:0"))} << -1
        << 1 << "T" << QStringList{row(QStringLiteral("1|||0.00|0|0"))} << "0"
        << ""
        << "-1 2 0";
    QTest::newRow("record without line breaks")
        << QStringList{closed(QStringLiteral("Nr.: 17 2,34"))} << -1 << 1 << "T"
        << QStringList{row(QStringLiteral("1|||0.00|0.4|0"))} << ""
        << ""
        << "-1 2 0";
}

void TestReportParser::measurementRecord_data()
{
    addColumns();
    const auto add
        = [](const char *name, int range, int number, const QString &cells, const QString &state) {
              QTest::newRow(name) << QStringList{closed(record17)} << range << number << "T"
                                  << QStringList{row(cells)} << "004\n"
                                  << "" << state;
          };
    add("range 50", 50, 1, QStringLiteral("1|2012:03:05|14:07:59|2.34|2.25|4"), "50 2 0");
    add("range 1500", 1500, 1, QStringLiteral("1|2012:03:05|14:07:59|2|4.5|4"), "1500 2 0");
    add("range 200", 200, 1, QStringLiteral("1|2012:03:05|14:07:59|2.3|4.5|4"), "200 2 0");
    add("no range yet", -1, 1, QStringLiteral("1|2012:03:05|14:07:59|2.34|4.5|4"), "-1 2 0");
    add("range 99", 99, 1, QStringLiteral("1|2012:03:05|14:07:59|2.34|4.5|4"), "99 2 0");
    add("range 100", 100, 1, QStringLiteral("1|2012:03:05|14:07:59|2.3|4.5|4"), "100 2 0");
    add("range 999", 999, 1, QStringLiteral("1|2012:03:05|14:07:59|2.3|4.5|4"), "999 2 0");
    add("range 1000", 1000, 1, QStringLiteral("1|2012:03:05|14:07:59|2|4.5|4"), "1000 2 0");
    add("range 51", 51, 1, QStringLiteral("1|2012:03:05|14:07:59|2.34|4.5|4"), "51 2 0");
    add("running number continues", 50, 41, QStringLiteral("41|2012:03:05|14:07:59|2.34|2.25|4"),
        "50 42 0");

    QTest::newRow("four-digit force")
        << QStringList{closed(recordText(3, "2020:12:31:4:23:59:58", "1234", "007", "120"))} << 1500
        << 1 << "T" << QStringList{row(QStringLiteral("1|2020:12:31|23:59:58|1234|0.7|120"))}
        << "120\n"
        << ""
        << "1500 2 0";
    QTest::newRow("decimal point in the force")
        << QStringList{closed(recordText(3, "2020:12:31:4:23:59:58", "12.5", "150", "000"))} << 200
        << 1 << "T" << QStringList{row(QStringLiteral("1|2020:12:31|23:59:58|12.5|15|0"))}
        << "000\n"
        << ""
        << "200 2 0";
}

void TestReportParser::twoRecords_data()
{
    addColumns();
    QTest::newRow("second record waits, stripped of its labels")
        << QStringList{closed(record17 + record18)} << 50 << 1 << "T"
        << QStringList{row(QStringLiteral("1|2012:03:05|14:07:59|2.34|2.25|4"))}
        << "004\nNr.: 18\n\n2012:03:06:2:15:08:00\n1,26100007\n"
        << ""
        << "50 2 0";
    QTest::newRow("one row per call")
        << QStringList{closed(record17 + record18), QStringLiteral("x"), QStringLiteral("x")} << 50
        << 1 << "TTF"
        << QStringList{row(QStringLiteral("1|2012:03:05|14:07:59|2.34|2.25|4")),
                       row(QStringLiteral("2|2012:03:06|15:08:00|1.26|5|7"))}
        << "007\n"
        << "xx"
        << "50 3 0";
    QTest::newRow("one record per report")
        << QStringList{closed(record17) + u'\n' + closed(record18) + u'\n', QString()} << 200 << 5
        << "TT"
        << QStringList{row(QStringLiteral("5|2012:03:05|14:07:59|2.3|4.5|4")),
                       row(QStringLiteral("6|2012:03:06|15:08:00|1.3|10|7"))}
        << "007\n"
        << "\n"
        << "200 7 0";
}

void TestReportParser::fillLevel_data()
{
    addColumns();
    QTest::newRow("fill level and entries")
        << QStringList{closed(QStringLiteral("fill level: 042\nEntries : 0123\n"))} << -1 << 1
        << "T"
        << QStringList{QStringLiteral("value FillLevel 42"), QStringLiteral("value EntryCount 123")}
        << "\n"
        << ""
        << "-1 1 0";
    QTest::newRow("out of the bar's range, delivered as read")
        << QStringList{closed(QStringLiteral("fill level: 250\nEntries : 0123\n"))} << -1 << 1
        << "T"
        << QStringList{QStringLiteral("value FillLevel 250"),
                       QStringLiteral("value EntryCount 123")}
        << "\n"
        << ""
        << "-1 1 0";
    QTest::newRow("no entries") << QStringList{closed(QStringLiteral("fill level: 042\nxyz\n"))}
                                << -1 << 1 << "T"
                                << QStringList{QStringLiteral("value FillLevel 42")} << "042\nxyz\n"
                                << ""
                                << "-1 1 0";
    // A full memory: all five digits are the count, although only four are
    // dropped.
    QTest::newRow("five-digit entries leave one digit")
        << QStringList{closed(QStringLiteral("fill level: 061\nEntries : 10000\n"))} << -1 << 1
        << "T"
        << QStringList{QStringLiteral("value FillLevel 61"),
                       QStringLiteral("value EntryCount 10000")}
        << "0\n"
        << ""
        << "-1 1 0";
    QTest::newRow("no digits, no count")
        << QStringList{closed(QStringLiteral("fill level: 042\nEntries : x123\n"))} << -1 << 1
        << "T" << QStringList{QStringLiteral("value FillLevel 42")} << "\n"
        << ""
        << "-1 1 0";
    QTest::newRow("entries in front are not found")
        << QStringList{closed(QStringLiteral("Entries : 0005\nfill level: 042\n"))} << -1 << 1
        << "T" << QStringList{QStringLiteral("value FillLevel 42")} << "042\n"
        << ""
        << "-1 1 0";
}

void TestReportParser::firmwareVersion_data()
{
    addColumns();
    const auto add = [](const char *name, const char *digits, const char *shown) {
        QTest::newRow(name) << QStringList{closed(QStringLiteral("Softwareversion: ")
                                                  + QLatin1String(digits) + u'\n')}
                            << -1 << 1 << "T"
                            << QStringList{QStringLiteral("text FirmwareVersion ")
                                           + QLatin1String(shown)}
                            << "\n"
                            << ""
                            << "-1 1 0";
    };
    add("0107", "0107", "V 1.7");
    add("0123", "0123", "V 1.23");
    add("0105", "0105", "V 1.5");
    add("1000", "1000", "V 10.0");
    add("0000", "0000", "V 0.0");
    add("not a number", "abcd", "V 0.0");
    add("negative", "-107", "V -1.-7");
    add("blank in front", " 107", "V 1.7");
}

void TestReportParser::sleevePosition_data()
{
    addColumns();
    QTest::newRow("range 50") << QStringList{closed(
        QStringLiteral("Huelsenpos.: -25\nMessbereich: 0050\n"))}
                              << -1 << 1 << "T" << QStringList{QStringLiteral("sleeve -1.25")}
                              << "\n"
                              << ""
                              << "50 1 -25";
    QTest::newRow("range 100") << QStringList{closed(
        QStringLiteral("Huelsenpos.: -25\nMessbereich: 0100\n"))}
                               << -1 << 1 << "T" << QStringList{QStringLiteral("sleeve -2.5")}
                               << "\n"
                               << ""
                               << "100 1 -25";
    QTest::newRow("beyond the spin box, delivered as computed")
        << QStringList{closed(QStringLiteral("Huelsenpos.: 123\nMessbereich: 1500\n"))} << -1 << 1
        << "T" << QStringList{QStringLiteral("sleeve 12.3")} << "\n"
        << ""
        << "1500 1 123";
    QTest::newRow("raw value from an earlier call")
        << QStringList{closed(QStringLiteral("Huelsenpos.: 080\n")),
                       closed(QStringLiteral("Messbereich: 0050\n"))}
        << -1 << 1 << "TT" << QStringList{QStringLiteral("sleeve 4")} << "\n"
        << ""
        << "50 1 80";
    QTest::newRow("raw value with a decimal point")
        << QStringList{closed(QStringLiteral("Huelsenpos.: 4.5\nMessbereich: 0100\n"))} << -1 << 1
        << "T" << QStringList{QStringLiteral("sleeve 0.45")} << "\n"
        << ""
        << "100 1 4.5";
    QTest::newRow("range in front of the position is lost")
        << QStringList{closed(QStringLiteral("Messbereich: 0050\nHuelsenpos.: 080\n"))} << 200 << 1
        << "T" << QStringList{} << "0\n"
        << ""
        << "200 1 80";
}

void TestReportParser::kiloNewtonDeletion_data()
{
    addColumns();
    QTest::newRow("every kN goes")
        << QStringList{closed(QStringLiteral("current ADC force: 12,5 kN\nxkNy kN\n"))} << -1 << 1
        << "T" << QStringList{} << " force: 12,5 \nxy \n"
        << ""
        << "-1 1 0";
    QTest::newRow("one pass: a joined kN stays")
        << QStringList{closed(QStringLiteral("current ADC force: 1 kkNN\n"))} << -1 << 1 << "T"
        << QStringList{} << " force: 1 kN\n"
        << ""
        << "-1 1 0";
    QTest::newRow("no kN deleted without the label")
        << QStringList{closed(QStringLiteral("current ADC: 1 kN\n"))} << -1 << 1 << "T"
        << QStringList{} << "current ADC: 1 kN\n"
        << ""
        << "-1 1 0";
    QTest::newRow("deletion forms a threshold label for the next call")
        << QStringList{closed(QStringLiteral("current ADC force: 0 kN\nSMkNB: 050\n")),
                       QStringLiteral("x")}
        << -1 << 1 << "TT" << QStringList{QStringLiteral("value WakeThreshold 50")} << "\n"
        << "x"
        << "-1 1 0";
}

void TestReportParser::statusAndMenu_data()
{
    addColumns();
    QTest::newRow("status line, then menu")
        << QStringList{closed(QStringLiteral("System running\nKalvor2 Menue\n1: abc\n"))} << -1 << 1
        << "T" << QStringList{} << "\n1: abc\n"
        << ""
        << "-1 1 0";
    QTest::newRow("menu in front of the status line is dropped")
        << QStringList{closed(QStringLiteral("Kalvor2 Menue\nSystem running\n"))} << -1 << 1 << "T"
        << QStringList{} << "\n"
        << ""
        << "-1 1 0";
    QTest::newRow("menu heading drops what stands in front")
        << QStringList{closed(QStringLiteral("junk Kalvor2 Menue tail"))} << -1 << 1 << "T"
        << QStringList{} << " tail"
        << ""
        << "-1 1 0";
}

void TestReportParser::deletionsFormAndBreakLabels_data()
{
    addColumns();
    QTest::newRow("ID deletion forms a record label")
        << QStringList{closed(record17 + QStringLiteral("Nr.ID: :\n")), QStringLiteral("x")} << 50
        << 1 << "TT"
        << QStringList{row(QStringLiteral("1|2012:03:05|14:07:59|2.34|2.25|4")),
                       row(QStringLiteral("2|||0.00|0|0"))}
        << ""
        << "x"
        << "50 3 0";
    QTest::newRow("ID deletion breaks a waiting device ID")
        << QStringList{closed(QStringLiteral("HF-ID: 0003\n") + record17
                              + QStringLiteral("HF-ID: 0009\n")),
                       QStringLiteral("x")}
        << 50 << 1 << "TF"
        << QStringList{QStringLiteral("value DeviceId 3"),
                       row(QStringLiteral("1|2012:03:05|14:07:59|2.34|2.25|4"))}
        << "004\nHF-0009\n"
        << "x"
        << "50 2 0";
    // The threshold lost in front of the first device ID makes the parser look
    // for it again after rule 6, past the second device ID.
    QTest::newRow("ID deletion inside a device ID label found earlier")
        << QStringList{closed(
                           QStringLiteral("SMB: 050\nHF-ID: 0003\nNr.: 5\n\n2012:03:05:1:14:07:59\n"
                                          "2,34045HF-ID: 0009\n")),
                       QStringLiteral("x")}
        << 50 << 1 << "TF"
        << QStringList{QStringLiteral("value DeviceId 3"),
                       row(QStringLiteral("1|2012:03:05|14:07:59|2.34|2.25|0"))}
        << "HF-0009\n"
        << "x"
        << "50 2 0";
    QTest::newRow("one pass: a joined force label stays")
        << QStringList{closed(
               QStringLiteral("Nr.: 17\nJJJJ:MM:DD:d:hh:mm:ss\n2012:03:05:1:14:07:59\n"
                              "MessMesswert: wert: 2,34Pos.: 045ID: 004\n"))}
        << 50 << 1 << "T" << QStringList{row(QStringLiteral("1|2012:03:05|14:07:59|0.00|0|0"))}
        << "t: 2,34045004\n"
        << ""
        << "50 2 0";
    QTest::newRow("separator inside a label")
        << QStringList{QStringLiteral("Serial num") + S + QStringLiteral("ber : 123456\n"),
                       QStringLiteral("\n") + S}
        << -1 << 1 << "TT" << QStringList{} << "Serial nuber : 123456\n"
        << ""
        << "-1 1 0";
}

// The receive path only appends, but a parser that remembered how far it had
// searched must not miss a separator when the accumulator was replaced.
void TestReportParser::replacedAccumulatorIsSearchedAgain()
{
    const auto check = [](auto &parser, const char *implementation) {
        TextReportSink sink;
        int range = -1;
        int number = 1;
        float raw = 0;
        ParserState state{range, number, raw};
        QString accumulator = QStringLiteral("HF-CH: 0012") + QString(24, u'=');
        QVERIFY2(!parser.parseReport(accumulator, state, sink), implementation);
        accumulator = S + QStringLiteral("HF-CH: 0034\n") + QString(30, u'y');
        QVERIFY2(parser.parseReport(accumulator, state, sink), implementation);
        QCOMPARE(accumulator, QStringLiteral("HF-CH: 0034\n") + QString(30, u'y'));
        QVERIFY2(sink.log().isEmpty(), implementation);
    };
    ReferenceReportParser reference;
    check(reference, "reference");
    ReportParser product;
    check(product, "product");
}

// A memory sent as one report, with nothing or another report behind it:
// every record becomes a row, a tick's limit of them a tick, and what follows
// is read too.
void TestReportParser::oneReportIsWorkedOffRecordByRecord_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("rowsAfterTick");
    QTest::addColumn<QString>("serialNumber");
    const QString configuration = closed(QStringLiteral("Serial number : 654321\nHF-ID: 0003"));
    QTest::newRow("ends at its separator") << oneReport(10) << QList<int>{10, 10} << QString();
    QTest::newRow("a configuration report behind it")
        << oneReport(10) + configuration << QList<int>{10, 10} << "654321";
    // The first call of the first tick takes the fill-level report.
    constexpr int limit = Limits::drainCallsPerTick;
    QTest::newRow("more records than a tick's calls")
        << oneReport(limit + 50) + configuration << QList<int>{limit - 1, limit + 50, limit + 50}
        << "654321";
}

void TestReportParser::oneReportIsWorkedOffRecordByRecord()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, rowsAfterTick);
    QFETCH(QString, serialNumber);
    const auto check = [&](const Drained &drained) {
        QCOMPARE(drained.rowsAfterTick, rowsAfterTick);
        const QList<QStringList> &rows = drained.sink.rows();
        for (int i = 0; i < rows.size(); ++i)
            QCOMPARE(rows.at(i).at(0), QString::number(i + 1));
        QCOMPARE(drained.sink.value(ReportSink::Value::EntryCount), rows.size());
        QCOMPARE(drained.sink.text(ReportSink::Text::SerialNumber).value_or(QString()),
                 serialNumber);
        QVERIFY(drained.accumulator.isEmpty());
    };
    check(drain<ReferenceReportParser>(text));
    check(drain<ReportParser>(text));
}

// A chart or an export reads the row's numbers, the table shows its texts:
// the two must agree in every measuring-range format (0, 1 or 2 decimals;
// sleeve steps of 0.05 or 0.1 mm), and a time stamp that is no date and time
// gives no instant.
void TestReportParser::rowNumbersAreTheShownNumbers_data()
{
    QTest::addColumn<int>("range");
    QTest::addColumn<QString>("stamp");
    QTest::addColumn<QString>("force");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QDateTime>("instant");
    const QDateTime instant(QDate(2012, 3, 5), QTime(14, 7, 59), Qt::UTC);
    QTest::newRow("50 kN") << 50 << "2012:03:05:1:14:07:59"
                           << "2,34"
                           << QStringList{"1", "2012:03:05", "14:07:59", "2.34", "2.25", "4"}
                           << instant;
    QTest::newRow("200 kN") << 200 << "2012:03:05:1:14:07:59"
                            << "2,34"
                            << QStringList{"1", "2012:03:05", "14:07:59", "2.3", "4.5", "4"}
                            << instant;
    QTest::newRow("1500 kN") << 1500 << "2012:03:05:1:14:07:59"
                             << "2,34"
                             << QStringList{"1", "2012:03:05", "14:07:59", "2", "4.5", "4"}
                             << instant;
    QTest::newRow("no date") << 50 << "2012:02:30:1:14:07:59"
                             << "-inf"
                             << QStringList{"1", "2012:02:30", "14:07:59", "-inf", "2.25", "4"}
                             << QDateTime();
    QTest::newRow("cut short") << 50 << "2012:03:05:1:14"
                               << "2,34"
                               << QStringList{"1", "2012:03:05", "14", "2.34", "2.25", "4"}
                               << QDateTime();
}

void TestReportParser::rowNumbersAreTheShownNumbers()
{
    QFETCH(int, range);
    QFETCH(QString, stamp);
    QFETCH(QString, force);
    QFETCH(QStringList, cells);
    QFETCH(QDateTime, instant);
    ReportParser parser;
    TextReportSink sink;
    int number = 1;
    float raw = 0;
    ParserState state{range, number, raw};
    QString accumulator = recordText(9, stamp, force) + S;
    QVERIFY(parser.parseReport(accumulator, state, sink));
    QCOMPARE(sink.typedRows().size(), 1);
    const MeasurementRow &row = sink.typedRows().at(0);
    QCOMPARE(row.cells, cells);
    QCOMPARE(row.number, cells.at(MeasurementRow::Number).toInt());
    QCOMPARE(row.force, cells.at(MeasurementRow::Force).toDouble());
    QCOMPARE(row.sleevePosition, cells.at(MeasurementRow::SleevePosition).toDouble());
    QCOMPARE(row.deviceId, cells.at(MeasurementRow::DeviceId).toInt());
    QCOMPARE(row.timeStamp, instant);
    QCOMPARE(row.timeStamp.isValid(), instant.isValid());
}

void TestReportParser::receivedText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("carriage returns go") << QByteArray("A\r\nB\r\n") << "A\nB\n";
    QTest::newRow("high bytes are Latin-1")
        << QByteArray("\xb5\xe4\xff") << QString::fromUtf8("µäÿ");
    QTest::newRow("a zero byte is dropped alone") << QByteArray("ab\0c\0\0d\r", 8) << "abcd";
    QTest::newRow("nothing") << QByteArray() << "";
}

void TestReportParser::receivedText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(::receivedText(bytes), text);
}

// The parser's block remembers where its labels stand, so that a long report
// is not searched again on every call; whatever it remembers must never make
// it answer other than a plain search of its text. Steps: "drop n",
// "remove <label>", "append <text>", "take <text>" (appendOwned). Before
// every step each label is asked for, so that the block has something to
// remember that the step may make wrong.
void TestReportParser::reportBlockAnswersAsASearchWould_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("steps");
    // A position found behind a removal moves with the text.
    QTest::newRow("index kept after a removal") << "xxID: yyPos.: 1" << QStringList{"remove ID: "};
    // A label found in text dropped since is gone; the next one counts.
    QTest::newRow("label in dropped text") << "Nr.: 1 Nr.: 2" << QStringList{"drop 3"};
    // Appending gives the dropped front back: what is known moves with it.
    QTest::newRow("front given back on append")
        << "abNr.: 1" << QStringList{"drop 1", "append ID: 7"};
    QTest::newRow("front given back on take") << "abNr.: 1" << QStringList{"drop 1", "take ID: 7"};
    // A block emptied by a removal takes a string over: nothing known stays.
    QTest::newRow("emptied, then taken over")
        << "xID: " << QStringList{"drop 1", "remove ID: ", "take Nr.: 5"};
    // A removal joins text into a label that starts in front of it.
    QTest::newRow("label joined across a removal") << "xNr.ID: :y" << QStringList{"remove ID: "};
    // A label found reaching into removed text is gone.
    QTest::newRow("label spanning a removal") << "Pos.: 045" << QStringList{"remove s.: "};
    // One pass, as QString::remove: what the removals join stays.
    QTest::newRow("one pass of removals") << "akkNNb" << QStringList{"remove kN"};
    // The scan stopped at one label; another that began inside it is there.
    QTest::newRow("labels overlapping where a scan stopped") << "xABC" << QStringList{};
}

void TestReportParser::reportBlockAnswersAsASearchWould()
{
    QFETCH(QString, text);
    QFETCH(QStringList, steps);
    const QStringList labels = {"AB", "BC", "Nr.:", "ID: ", "Pos.: ", "s.: ", "kN"};
    ReportBlock block(labels);
    block.append(text);
    for (int step = 0;; ++step) {
        QCOMPARE(block.text(), text);
        for (int label = 0; label < labels.size(); ++label)
            QVERIFY2(
                block.indexOf(label) == text.indexOf(labels.at(label)),
                qPrintable(QStringLiteral("%1 before step %2").arg(labels.at(label)).arg(step)));
        if (step == steps.size())
            break;
        const QString action = steps.at(step).section(u' ', 0, 0);
        const QString argument = steps.at(step).section(u' ', 1);
        if (action == QLatin1String("drop")) {
            block.drop(argument.toInt());
            text.remove(0, argument.toInt());
        } else if (action == QLatin1String("remove")) {
            QCOMPARE(block.removeAll(int(labels.indexOf(argument))), text.contains(argument));
            text.remove(argument);
        } else {
            if (action == QLatin1String("append"))
                block.append(argument);
            else
                block.appendOwned(QString(argument));
            text += argument;
        }
    }
}

QTEST_GUILESS_MAIN(TestReportParser)
#include "tst_reportparser.moc"
