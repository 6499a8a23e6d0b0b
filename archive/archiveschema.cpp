#include "archiveschema.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>

namespace ArchiveSchema {

namespace {

// steps[n] takes a file from version n to n + 1. A new layout gets a step of
// its own at the end; earlier steps are never changed, as files out there
// were written by them.
const QList<QStringList> &steps()
{
    static const QList<QStringList> list{
        // 0 -> 1: the first layout.
        {
            QStringLiteral("CREATE TABLE reads ("
                           " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                           " started_at INTEGER," // ms since the epoch; NULL: unknown
                           " serial_number TEXT NOT NULL,"
                           " firmware_version TEXT NOT NULL,"
                           " check_date TEXT NOT NULL,"
                           " measuring_range INTEGER NOT NULL,"
                           " settings_known INTEGER NOT NULL,"
                           " wake_threshold INTEGER NOT NULL,"
                           " device_id INTEGER NOT NULL,"
                           " brightness INTEGER NOT NULL,"
                           " radio_channel INTEGER NOT NULL,"
                           " cycle_time INTEGER NOT NULL,"
                           " cycles INTEGER NOT NULL,"
                           " duration INTEGER NOT NULL,"
                           " entries_announced INTEGER NOT NULL,"
                           " rows_received INTEGER NOT NULL DEFAULT 0,"
                           " rows_archived INTEGER NOT NULL DEFAULT 0,"
                           " finished INTEGER NOT NULL DEFAULT 0,"
                           " complete INTEGER NOT NULL DEFAULT 0,"
                           " exported INTEGER NOT NULL DEFAULT 0)"),
            // A read's rows lie together in the file, in their order, so that
            // loading a read is one sweep.
            QStringLiteral(
                "CREATE TABLE measurements ("
                " read_id INTEGER NOT NULL,"
                " position INTEGER NOT NULL," // 0-based place in the read
                " number INTEGER NOT NULL,"
                " time_stamp INTEGER,"   // ms since the epoch, device clock as UTC; NULL: none
                " force REAL,"           // kN; NULL: not a number
                " sleeve_position REAL," // mm; NULL: not a number
                " device_id INTEGER NOT NULL,"
                // The texts the table shows; NULL past the row's last text.
                " number_text TEXT, date_text TEXT, time_text TEXT,"
                " force_text TEXT, sleeve_position_text TEXT, device_id_text TEXT,"
                " PRIMARY KEY (read_id, position)) WITHOUT ROWID"),
            // The bytes a read received, one zlib-compressed (qCompress) chunk
            // per clock tick.
            QStringLiteral("CREATE TABLE raw_chunks ("
                           " id INTEGER PRIMARY KEY,"
                           " read_id INTEGER NOT NULL,"
                           " data BLOB NOT NULL)"),
            QStringLiteral("CREATE INDEX raw_chunks_by_read ON raw_chunks (read_id, id)"),
        },
    };
    return list;
}

} // namespace

int currentVersion()
{
    return int(steps().size());
}

QSqlError migrate(QSqlDatabase &db, int fromVersion)
{
    for (int version = fromVersion; version < currentVersion(); ++version) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
            return query.lastError();
        // The version is part of the transaction: a step that fails leaves
        // neither its tables nor its number behind.
        QStringList statements = steps().at(version);
        statements.append(QStringLiteral("PRAGMA user_version = %1").arg(version + 1));
        for (const QString &statement : statements) {
            if (!query.exec(statement)) {
                const QSqlError error = query.lastError();
                query.exec(QStringLiteral("ROLLBACK"));
                return error;
            }
        }
        if (!query.exec(QStringLiteral("COMMIT"))) {
            const QSqlError error = query.lastError();
            query.exec(QStringLiteral("ROLLBACK"));
            return error;
        }
    }
    return {};
}

} // namespace ArchiveSchema
