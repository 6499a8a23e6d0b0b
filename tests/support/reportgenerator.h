#pragma once

#include <QRandomGenerator>
#include <QString>
#include <QStringList>

// Seeded generator of device output for the parser's tests, the benchmark and
// the fuzzer: well-formed reports in the layouts the parser must cope with,
// and mutations that aim at the rules' tricky corners. The same seed always
// gives the same text. Its reports spell the separator and the labels out as
// literal copies of the device's texts on purpose, so that a change to the
// program's constants is caught against them; only the random and mutated
// text draws on the parser's own label list, to reach every label it has.
class ReportGenerator
{
public:
    enum class Layout {
        ReportPerRecord, // every record is a report of its own, closed by a separator
        SingleChunk,     // all records in one chunk closed by one separator and a line end:
                         // the worst layout, the whole memory lands in the block at once
    };

    explicit ReportGenerator(quint32 seed = 1);

    static QString separator();

    // A report closed by a line end, the separator and a line end.
    QString configurationReport();
    QString fillLevelReport(int entries);
    QString statusReport(); // "current ADC force:", "System running", "Kalvor2 Menue"

    // One well-formed record, e.g.
    // "Nr.: 17\nJJJJ:MM:DD:d:hh:mm:ss\n2012:03:05:1:14:07:59\nMesswert: 2,34Pos.: 045ID: 004\n".
    // The force is written four characters wide in the format of the
    // measuring range of the last configuration report.
    QString record(int number);

    // The answer to a memory read: the fill-level report, then `records`
    // records in the given layout.
    QString memoryReport(int records, Layout layout);

    // A random stretch of device output: a few reports of all kinds, some of
    // them mutated.
    QString deviceOutput();

    // Labels, deleted texts, record lines, values and line ends strung
    // together at random, now and then closed by a separator: dense text in
    // which labels overlap, join and hide one another.
    QString labelSoup(int pieces);

    // The text with 1 to `count` random mutations: lines swapped or
    // duplicated, values cut short in front of a separator, separators inserted
    // inside labels and records, texts that the parser's deletions turn into
    // new labels ("Nr.ID: :", "SMkNB: "), missing line breaks, zero and high
    // bytes, labels and junk at random places, damaged separators.
    QString mutated(const QString &text, int count = 3);

    // Splits the text into pieces as a serial link might deliver them.
    QStringList chunks(const QString &text, int maxChunk = 64);

    QRandomGenerator &random() { return m_random; }

private:
    int bounded(int lowest, int highest); // both inclusive
    bool chance(int percent);
    QString forceText();
    QString junk(int length);
    static QString finished(const QString &body);

    void mutateOnce(QString &text);

    QRandomGenerator m_random;
    int m_measuringRange = 50;
};
