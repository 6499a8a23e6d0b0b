#pragma once

#include <QString>
#include <QStringView>

// One memory read, from the "Speicher lesen" press to its end, and what the
// program knows afterwards about the device's memory. Widget-free; the
// controller feeds it and shows what it says.
//
// A read ends once nothing waits to be parsed (no bytes in the link, no
// report in the accumulator, no record in the parser's block) and the first
// of these holds: the table holds the number of records the device
// announced; nothing that looks like a record has arrived for a while
// (startQuietMs at first, quietMs once records came); the converter is lost.
// The record labels counted on the wire only ever drive the progress text: a
// garbled one can neither end a read early nor keep it running.
//
// A row that arrives after the read ended (a device that paused longer than
// the quiet time, or sent more records than it announced) opens it again:
// what the status line, the buttons and the clear question say follows the
// table. A count the rows exceed says nothing any more; the rows are what
// the memory held.
class MemoryRead
{
public:
    enum class Outcome {
        NotRead, // no read yet
        Running,
        Complete,   // the table holds every record announced (or rows came, and no count)
        Incomplete, // fewer rows than announced, or the converter went away
        NoAnswer,   // neither a count nor a record came
    };

    static constexpr qint64 startQuietMs = 3000;
    static constexpr qint64 quietMs = 2000;

    void start(qint64 nowMs);
    // The read command went out: what arrived before it belonged to no read
    // of this one, and the quiet time counts from now. A read that lost its
    // converter meanwhile stays lost.
    void commandSent(qint64 nowMs);
    // Received text, as it comes off the wire: counts the record labels in it.
    void received(QStringView text, qint64 nowMs);
    void entryCountArrived(int count);

    // Whether the read ends now, given the rows the table holds; once the
    // wire has been quiet long enough, `nothingWaiting` says whether the
    // parser still has anything to work off.
    template<typename NothingWaiting>
    bool endsNow(qint64 nowMs, int rows, NothingWaiting nothingWaiting)
    {
        if (m_outcome != Outcome::Running)
            return false;
        if ((m_expected >= 0 && rows >= m_expected) || m_linkLost
            || nowMs - m_lastRecordMs >= (m_arrived > 0 ? quietMs : startQuietMs)) {
            if (!nothingWaiting())
                return false;
            finish(rows);
            return true;
        }
        return false;
    }
    // A row was added to the table, which now holds `rows`: after the read
    // ended, it opens the read again.
    void rowAdded(int rows, qint64 nowMs);
    // The converter went away: nothing more can come, so a running read ends
    // as soon as what arrived is worked off, and no read, running or
    // finished, says anything any more about the memory of whatever device
    // is connected next.
    void linkLost();

    // The device's memory was cleared: it now holds nothing.
    void memoryCleared();
    // The rows of the finished read were written to a file.
    void exported();

    Outcome outcome() const { return m_outcome; }
    bool running() const { return m_outcome == Outcome::Running; }
    int expected() const { return m_expected; }   // -1: no count known, or the rows exceeded it
    int announced() const { return m_announced; } // the count the device sent; -1: none
    int arrived() const { return m_arrived; }     // record labels seen on the wire
    int rows() const { return m_rows; }           // rows the finished read left in the table
    bool exportedSinceRead() const { return m_exported; }
    // The read ran on an earlier connection than the present one.
    bool fromEarlierConnection() const { return m_earlierConnection; }

private:
    void finish(int rows);

    Outcome m_outcome = Outcome::NotRead;
    int m_expected = -1;
    int m_announced = -1;
    int m_arrived = 0;
    int m_rows = 0;
    bool m_exported = false;
    bool m_linkLost = false;
    bool m_earlierConnection = false;
    qint64 m_lastRecordMs = 0;
    QString m_carry; // the end of the last text, where a label may have been cut
};
