#include "readrecorder.h"

#include "archive/measurementarchive.h"
#include "session/devicesession.h"

ReadRecorder::ReadRecorder(DeviceSession &session, MeasurementArchive &archive, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_archive(archive)
{
    connect(&session, &DeviceSession::readStarted, this, &ReadRecorder::started);
    connect(&session, &DeviceSession::rowsAdded, this, &ReadRecorder::keepRows);
    connect(&session, &DeviceSession::readChanged, this, &ReadRecorder::changed);
    connect(&session, &DeviceSession::bytesReceived, this, [this](const QByteArray &bytes) {
        if (m_id >= 0 && m_running)
            m_bytes += bytes;
    });
}

void ReadRecorder::started()
{
    m_id = -1;
    m_kept = 0;
    m_bytes.clear();
    m_running = true;
    m_announced = -1;
    m_finishedComplete = false;
    m_failure.clear();
    if (!m_archive.isOpen())
        return;
    const ReadInfo info = m_session.readInfo();
    m_startedAt = info.startedAt;
    note(m_archive.beginRead(info, m_id));
}

// A tick's new rows, and the bytes since the last batch, in one write.
void ReadRecorder::keepRows()
{
    if (m_id < 0)
        return;
    const QList<MeasurementRow> &rows = m_session.rows();
    const QString reason = m_archive.appendRows(m_id, rows.mid(m_kept), m_bytes);
    note(reason);
    if (reason.isEmpty()) {
        m_kept = rows.size();
        m_bytes.clear();
    }
}

void ReadRecorder::changed()
{
    if (m_id < 0)
        return;
    const ReadInfo info = m_session.readInfo();
    // A new read runs from the press on, its record begins only once its
    // command is out: until then it is no reopening of the last read, and
    // its device is not that read's.
    if (info.startedAt != m_startedAt)
        return;
    if (info.entriesAnnounced != m_announced && m_session.memoryRead().running()) {
        m_announced = info.entriesAnnounced;
        note(m_archive.updateRead(m_id, info));
    }
    const bool running = m_session.memoryRead().running();
    if (running == m_running)
        return;
    m_running = running;
    if (running)
        return; // opened again: its rows go on into the same record
    keepRows();
    if (!m_bytes.isEmpty() && m_archive.appendRawBytes(m_id, m_bytes).isEmpty())
        m_bytes.clear();
    const QString reason = m_archive.finishRead(m_id, info.complete, info.rowsReceived);
    note(reason);
    m_finishedComplete = reason.isEmpty() && info.complete;
}

bool ReadRecorder::lastReadKept() const
{
    return m_id >= 0 && m_finishedComplete && m_kept == m_session.rows().size();
}

void ReadRecorder::markExported()
{
    if (m_id >= 0)
        note(m_archive.markExported(m_id));
}

// A failure is told once per read; the read goes on without it.
void ReadRecorder::note(const QString &reason)
{
    if (reason.isEmpty() || !m_failure.isEmpty())
        return;
    m_failure = reason;
    emit failed(reason);
}
