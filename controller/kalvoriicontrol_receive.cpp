// KalvorIIControl: the receive run, from the link into the hidden log and the
// receive accumulator.

#include "kalvoriicontrol.h"

#include "controller/clock.h"
#include "link/ftdi_control.h"
#include "protocol/receivedtext.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {
// One receive run moves at most this much, so that a burst stays bounded.
constexpr int receiveChunk = 65536;
// The hidden log's lines are broken at a bounded length, because the text
// view lays a line out again whenever text is added to it: text without line
// feeds would make every receive run cost as much as everything received so
// far. Beyond 100,000 lines or 16 Mi characters the oldest go, down to 90,000
// lines and 12 Mi characters.
constexpr int logLineLength = 1000;
constexpr int logCharacterLimit = 16 * 1024 * 1024;
constexpr int logCharacterLowMark = 12 * 1024 * 1024;
// Text that waits without a separator is kept up to this much (a full memory
// sent as one report is about 1.1 M characters); beyond it the oldest goes,
// down to the low mark, so that the cut happens seldom.
constexpr qsizetype accumulatorCap = 4 * 1024 * 1024;
constexpr qsizetype accumulatorLowMark = accumulatorCap - 512 * 1024;
} // namespace

void KalvorIIControl::receiveOnce()
{
    const int n = qMin(link->bytesAvailable(), receiveChunk);
    if (n <= 0) {
        checkConnection();
        return;
    }
    QByteArray buffer(n, '\0');
    buffer.truncate(link->takeBytes(buffer.data(), n));
    const QString text = receivedText(buffer);
    if (text.isEmpty())
        return;
    appendToLog(text);
    receiveAccumulator.append(text);
    capAccumulator();
    m_lastTextMs = Clock::steadyMs();
    m_read.received(text, m_lastTextMs);
}

void KalvorIIControl::appendToLog(const QString &text)
{
    // Whole lines go in as they are; a line that reaches the length limit
    // gets a line break there.
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
    // At the document's end, where the view's cursor stands in normal use,
    // but without the view making that spot visible: the hidden view would
    // lay out all of its text to find it.
    QTextDocument *log = ui.Incoming_Data_TextEdit->document();
    QTextCursor end(log);
    end.movePosition(QTextCursor::End);
    end.insertText(logged);
    // The oldest lines go in bulk, a tenth of the limit at a time: one line
    // at a time, every line added would cost a removal too.
    if (log->blockCount() > receiveLogLineLimit || log->characterCount() > logCharacterLimit) {
        const int keepFromLine = std::max(0, log->blockCount() - receiveLogLineLimit * 9 / 10);
        const int keepFrom = std::max(
            log->findBlockByNumber(keepFromLine).position(),
            log->findBlock(std::max(0, log->characterCount() - logCharacterLowMark)).position());
        QTextCursor oldest(log);
        oldest.setPosition(keepFrom, QTextCursor::KeepAnchor);
        oldest.removeSelectedText();
    }
}

// Where the text behind the accumulator's last separator begins: a report
// not finished yet.
qsizetype KalvorIIControl::unfinishedReportStart() const
{
    const qsizetype lastSeparator = receiveAccumulator.lastIndexOf(QLatin1String(reportSeparator));
    return lastSeparator < 0 ? 0 : lastSeparator + qsizetype(sizeof reportSeparator - 1);
}

// Text the parser can never take (no separator behind it) must not pile up
// for ever: beyond the cap the oldest of it goes.
void KalvorIIControl::capAccumulator()
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
void KalvorIIControl::dropUnfinishedReport()
{
    receiveAccumulator.truncate(unfinishedReportStart());
    m_parser.accumulatorReplaced();
}
