#include "memoryread.h"

#include <algorithm>

namespace {
const QString recordLabel = QStringLiteral("Nr.:");
}

void MemoryRead::start(qint64 nowMs)
{
    m_outcome = Outcome::Running;
    m_expected = -1;
    m_announced = -1;
    m_arrived = 0;
    m_rows = 0;
    m_exported = false;
    m_linkLost = false;
    m_earlierConnection = false;
    m_lastRecordMs = nowMs;
    m_carry.clear();
}

void MemoryRead::commandSent(qint64 nowMs)
{
    if (!running())
        return;
    // A count parsed during the wake step came from older text.
    m_expected = -1;
    m_announced = -1;
    m_arrived = 0;
    m_carry.clear();
    m_lastRecordMs = nowMs;
}

void MemoryRead::received(QStringView text, qint64 nowMs)
{
    if (!running() || text.isEmpty())
        return;
    // A label cut between two receive runs is counted once: the carry holds
    // at most its first three characters.
    const QString joined = m_carry + text.toString();
    int found = 0;
    for (qsizetype at = joined.indexOf(recordLabel); at >= 0;
         at = joined.indexOf(recordLabel, at + recordLabel.size()))
        ++found;
    m_carry = joined.right(recordLabel.size() - 1);
    if (found > 0) {
        m_arrived += found;
        m_lastRecordMs = nowMs;
    }
}

void MemoryRead::entryCountArrived(int count)
{
    if (running()) {
        m_expected = count;
        m_announced = count;
        return;
    }
    // A device slower than the quiet time: the read gave up before its count
    // came. The count is still this read's, and says how many are missing.
    if (m_announced < 0 && (m_outcome == Outcome::NoAnswer || m_outcome == Outcome::Incomplete)) {
        m_expected = count;
        m_announced = count;
        finish(m_rows);
    }
}

void MemoryRead::rowAdded(int rows, qint64 nowMs)
{
    if (m_outcome == Outcome::NotRead)
        return;
    // More rows than announced: the count was wrong, and the read now ends
    // when the device falls quiet.
    if (m_expected >= 0 && rows > m_expected)
        m_expected = -1;
    if (running())
        return;
    m_outcome = Outcome::Running;
    m_exported = false; // the new rows are in no file yet
    m_arrived = std::max(m_arrived, rows);
    m_lastRecordMs = nowMs;
    m_carry.clear();
}

void MemoryRead::linkLost()
{
    if (running())
        m_linkLost = true;
    m_earlierConnection = true;
}

void MemoryRead::finish(int rows)
{
    m_rows = rows;
    // More rows than announced: the count was wrong, the rows are real.
    if (m_expected >= 0 && rows > m_expected)
        m_expected = -1;
    if (m_expected >= 0)
        m_outcome = rows >= m_expected ? Outcome::Complete : Outcome::Incomplete;
    else if (m_linkLost)
        m_outcome = Outcome::Incomplete;
    else if (rows > 0)
        m_outcome = Outcome::Complete; // nothing says more were due
    else
        m_outcome = m_arrived > 0 ? Outcome::Incomplete : Outcome::NoAnswer;
}

void MemoryRead::memoryCleared()
{
    if (running())
        return;
    m_outcome = Outcome::Complete;
    m_expected = 0;
    m_rows = 0;
    m_earlierConnection = false;
}

void MemoryRead::exported()
{
    if (m_outcome == Outcome::Complete)
        m_exported = true;
}
