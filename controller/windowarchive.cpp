#include "windowarchive.h"

#include "ui/archivewindow.h"

WindowArchive::WindowArchive(DeviceSession &session, QObject *parent)
    : QObject(parent)
    , m_recorder(session, m_archive)
    , m_choose([](MeasurementArchive &archive, QWidget *window) -> qint64 {
        ArchiveWindow dialog(archive, window);
        return dialog.exec() == QDialog::Accepted ? dialog.chosenRead() : -1;
    })
{
    connect(&m_recorder, &ReadRecorder::failed, this, &WindowArchive::failed);
}

MeasurementArchive::OpenResult WindowArchive::open(const QString &path)
{
    return m_archive.open(path);
}

bool WindowArchive::chooseRead(QWidget *parent)
{
    m_loadFailure.clear();
    if (!m_archive.isOpen())
        return false;
    const qint64 id = m_choose(m_archive, parent);
    if (id < 0)
        return false;
    ArchivedRead read;
    m_loadFailure = m_archive.loadRead(id, read);
    if (!m_loadFailure.isEmpty())
        return false;
    m_shown = std::move(read);
    return true;
}

void WindowArchive::markExported()
{
    if (!m_shown) {
        m_recorder.markExported();
        return;
    }
    if (m_archive.markExported(m_shown->summary.id).isEmpty())
        m_shown->summary.exported = true;
}
