#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>

class DeviceSession;
class MeasurementArchive;

// Keeps every memory read of a device session in the archive as it arrives:
// a record when the read's command has gone out, the rows of each clock
// tick in one batch right after the parser made them (never on the wire's
// time), the bytes the read received, and at its end whether it was
// complete. A read that opens again (rows after its end) goes on in the
// same record. The window and the command-line program record alike.
//
// A write the archive refuses (a full disk, a read-only folder) never stops
// the read: the rows not yet kept are tried again with the next tick, and
// failed() tells the reason once per read.
class ReadRecorder : public QObject
{
    Q_OBJECT

public:
    ReadRecorder(DeviceSession &session, MeasurementArchive &archive, QObject *parent = nullptr);

    // The archive's number of the read being recorded or recorded last; -1
    // when there is none, or the archive refused to start it.
    qint64 readId() const { return m_id; }
    // Every row of the last read is in the archive, and the read was complete.
    bool lastReadKept() const;
    // Why the archive failed during the last read; empty when it did not.
    QString failure() const { return m_failure; }
    // The last read's rows were exported.
    void markExported();

signals:
    void failed(const QString &reason);

private:
    void started();
    void keepRows();
    void changed();
    void note(const QString &reason);

    DeviceSession &m_session;
    MeasurementArchive &m_archive;
    qint64 m_id = -1;
    QDateTime m_startedAt;  // of the read recorded under m_id
    qsizetype m_kept = 0;   // rows of the read the archive holds
    QByteArray m_bytes;     // received bytes not yet handed to the archive
    bool m_running = false; // the read was running at the last look
    int m_announced = -1;   // the entry count the archive was told
    bool m_finishedComplete = false;
    QString m_failure;
};
