#include "checkpointer.h"

#include <QAtomicInteger>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {
QAtomicInteger<quint64> checkpointerCounter;
}

Checkpointer::Checkpointer(const QString &path)
    : m_path(path)
    , m_thread([this] { run(); })
{
}

Checkpointer::~Checkpointer()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void Checkpointer::request()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requested = true;
    }
    m_wake.notify_one();
}

void Checkpointer::run()
{
    // A Qt SQL connection belongs to the thread that made it.
    const QString name = QStringLiteral("kalvor2-archive-checkpoint-%1")
                             .arg(checkpointerCounter.fetchAndAddRelaxed(1));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(m_path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000"));
        const bool opened = db.open();
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [this] { return m_requested || m_stop; });
                if (m_stop)
                    break;
                m_requested = false;
            }
            // PASSIVE: copies what no reader still needs and never blocks the
            // writer; what it leaves is copied next time. A failure leaves
            // the WAL as it is, which loses nothing.
            if (opened)
                QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}
