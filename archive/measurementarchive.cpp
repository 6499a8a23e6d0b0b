#include "measurementarchive.h"

#include "archiveschema.h"
#include "checkpointer.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

#include <cmath>
#include <limits>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(KalvorIIControl)
};

// SQLite's primary result codes (the driver reports extended ones).
enum SqliteCode {
    Busy = 5,
    Locked = 6,
    ReadOnly = 8,
    IoError = 10,
    Corrupt = 11,
    Full = 13,
    CantOpen = 14,
    NotADatabase = 26,
};

int primaryCode(const QSqlError &error)
{
    return error.nativeErrorCode().toInt() & 0xff;
}

bool isDamage(const QSqlError &error)
{
    const int code = primaryCode(error);
    return code == Corrupt || code == NotADatabase;
}

// What the user is told, in the window's words; SQLite's own text where none
// of ours fits.
QString reasonFor(const QSqlError &error)
{
    switch (primaryCode(error)) {
    case Busy:
    case Locked:
        return Texts::tr("Archiv von einem anderen Programm gesperrt");
    case ReadOnly:
        return Texts::tr("Archiv schreibgeschützt");
    case IoError:
        return Texts::tr("Schreib- oder Lesefehler im Archiv");
    case Corrupt:
    case NotADatabase:
        return Texts::tr("Archiv beschädigt");
    case Full:
        return Texts::tr("Datenträger voll");
    case CantOpen:
        return Texts::tr("Archivdatei kann nicht geöffnet werden");
    }
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.isEmpty() ? Texts::tr("Archivfehler") : text;
}

// A cell as bound: a null QString would be stored as NULL, which marks a
// missing cell.
QString cellValue(const QString &cell)
{
    return cell.isNull() ? QStringLiteral("") : cell;
}

// SQLite stores a NaN as NULL; NULL comes back as the NaN the parser makes
// of "nan".
QVariant numberValue(double value)
{
    return std::isnan(value) ? QVariant() : QVariant(value);
}

double numberFrom(const QSqlQuery &query, int column)
{
    return query.isNull(column) ? std::numeric_limits<double>::quiet_NaN()
                                : query.value(column).toDouble();
}

QVariant instantValue(const QDateTime &instant)
{
    return instant.isValid() ? QVariant(instant.toMSecsSinceEpoch()) : QVariant();
}

// The settings' columns, in the order of the reads table.
const std::array<int DeviceSettings::*, 7> settingColumns{
    &DeviceSettings::wakeThreshold, &DeviceSettings::deviceId,  &DeviceSettings::brightness,
    &DeviceSettings::radioChannel,  &DeviceSettings::cycleTime, &DeviceSettings::cycles,
    &DeviceSettings::duration,
};

const QString identityColumns = QStringLiteral(
    "started_at, serial_number, firmware_version, check_date, measuring_range, settings_known,"
    " wake_threshold, device_id, brightness, radio_channel, cycle_time, cycles, duration,"
    " entries_announced");

void bindIdentity(QSqlQuery &query, const ReadInfo &info)
{
    query.addBindValue(instantValue(info.startedAt));
    query.addBindValue(cellValue(info.serialNumber));
    query.addBindValue(cellValue(info.firmwareVersion));
    query.addBindValue(cellValue(info.checkDate));
    query.addBindValue(info.measuringRange);
    query.addBindValue(info.settingsKnown ? 1 : 0);
    for (int DeviceSettings::*field : settingColumns)
        query.addBindValue(info.settings.*field);
    query.addBindValue(info.entriesAnnounced);
}

// The summary columns, then the identity columns from started_at on.
const QString summaryColumns
    = QStringLiteral("id, rows_received, rows_archived, finished, complete, exported, ")
    + identityColumns;

ArchivedReadSummary summaryFrom(const QSqlQuery &query, ReadInfo *info = nullptr)
{
    ArchivedReadSummary summary;
    summary.id = query.value(0).toLongLong();
    summary.rowsArchived = query.value(2).toInt();
    summary.finished = query.value(3).toBool();
    summary.rowsReceived = summary.finished ? query.value(1).toInt() : summary.rowsArchived;
    summary.complete = query.value(4).toBool();
    summary.exported = query.value(5).toBool();
    constexpr int at = 6;
    if (!query.isNull(at))
        summary.startedAt = QDateTime::fromMSecsSinceEpoch(query.value(at).toLongLong());
    summary.serialNumber = query.value(at + 1).toString();
    summary.entriesAnnounced = query.value(at + 13).toInt();
    if (info) {
        info->startedAt = summary.startedAt;
        info->serialNumber = summary.serialNumber;
        info->firmwareVersion = query.value(at + 2).toString();
        info->checkDate = query.value(at + 3).toString();
        info->measuringRange = query.value(at + 4).toInt();
        info->settingsKnown = query.value(at + 5).toBool();
        int column = at + 6;
        for (int DeviceSettings::*field : settingColumns)
            info->settings.*field = query.value(column++).toInt();
        info->entriesAnnounced = summary.entriesAnnounced;
        info->rowsReceived = query.value(1).toInt();
        info->complete = summary.complete;
    }
    return summary;
}

// "archive.sqlite.damaged-2026-12-06-140509", with a counter behind it if a
// file of that name is there already.
QString damagedName(const QString &path)
{
    const QString base = path + QStringLiteral(".damaged-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-hhmmss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo::exists(name + QStringLiteral("-wal"));
         ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}

// A file that is there, not empty (SQLite takes an empty file for an empty
// database) and does not start like an SQLite database. Found before SQLite
// opens it, which would drop the -wal file beside it on closing.
bool isForeignFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(16);
    return !head.isEmpty() && head != QByteArray("SQLite format 3", 16);
}

QAtomicInteger<quint64> connectionCounter;

} // namespace

struct MeasurementArchive::Impl
{
    QString connectionName;
    QString path;
    bool open = false;
    bool readOnly = false;

    // The statements of every tick, prepared once per opening.
    struct Statements
    {
        explicit Statements(const QSqlDatabase &db);
        bool prepared() const;

        QSqlQuery begin, commit, rollback;
        QSqlQuery rowsArchived, insertRow, addRowsArchived, insertChunk;
    };
    std::unique_ptr<Statements> statements;
    std::unique_ptr<Checkpointer> checkpointer;
    // WAL pages written since the last checkpoint was asked for (estimated).
    qint64 pagesSinceCheckpoint = 0;
    // Received bytes not yet written, by read: they are written a chunk at a
    // time, which keeps the ticks short and compresses far better.
    QHash<qint64, QByteArray> pendingBytes;

    QSqlDatabase db() const { return QSqlDatabase::database(connectionName, false); }

    // Opens the file; a damaged file shows up only at the first statement.
    bool connect(bool readOnlyMode, QSqlError &error);
    void disconnect();
    // The file's layout version, or -1 with the error.
    int userVersion(QSqlError &error);
    QString moveAside(QString &movedTo);
    // Journal, sync mode and layout for writing; the reason if that failed.
    QString prepareForWriting(int version);
    bool insertChunk(qint64 id, const QByteArray &bytes, QSqlError &error);
    void wrote(qint64 pages);

    // Why nothing can be written now, or an empty string.
    QString refusal() const
    {
        if (!open)
            return Texts::tr("Archiv nicht geöffnet");
        if (readOnly)
            return Texts::tr("Archiv nur lesbar (von einer neueren Programmversion)");
        return QString();
    }

    // Runs `work` (which returns false and sets the error or the reason on
    // failure) in one write transaction; rolls back on failure.
    template<typename Work>
    QString transaction(Work work);
};

MeasurementArchive::Impl::Statements::Statements(const QSqlDatabase &db)
    : begin(db)
    , commit(db)
    , rollback(db)
    , rowsArchived(db)
    , insertRow(db)
    , addRowsArchived(db)
    , insertChunk(db)
{
    // IMMEDIATE takes the write lock at once, so that the wait for another
    // writer is the busy timeout's and a read inside cannot turn into a
    // deadlock with it.
    begin.prepare(QStringLiteral("BEGIN IMMEDIATE"));
    commit.prepare(QStringLiteral("COMMIT"));
    rollback.prepare(QStringLiteral("ROLLBACK"));
    rowsArchived.setForwardOnly(true);
    rowsArchived.prepare(QStringLiteral("SELECT rows_archived FROM reads WHERE id = ?"));
    insertRow.prepare(
        QStringLiteral("INSERT INTO measurements VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    addRowsArchived.prepare(
        QStringLiteral("UPDATE reads SET rows_archived = rows_archived + ? WHERE id = ?"));
    insertChunk.prepare(QStringLiteral("INSERT INTO raw_chunks (read_id, data) VALUES (?, ?)"));
}

bool MeasurementArchive::Impl::Statements::prepared() const
{
    for (const QSqlQuery *query :
         {&begin, &commit, &rollback, &rowsArchived, &insertRow, &addRowsArchived, &insertChunk}) {
        if (query->lastError().isValid())
            return false;
    }
    return true;
}

bool MeasurementArchive::Impl::insertChunk(qint64 id, const QByteArray &bytes, QSqlError &error)
{
    const QByteArray compressed = qCompress(bytes);
    statements->insertChunk.bindValue(0, id);
    statements->insertChunk.bindValue(1, compressed);
    if (!statements->insertChunk.exec()) {
        error = statements->insertChunk.lastError();
        return false;
    }
    wrote(1 + compressed.size() / 4096);
    return true;
}

void MeasurementArchive::Impl::wrote(qint64 pages)
{
    // As SQLite's own automatic checkpoint would, after about 1,000 pages,
    // but off this thread.
    pagesSinceCheckpoint += pages;
    if (pagesSinceCheckpoint >= 1000 && checkpointer) {
        checkpointer->request();
        pagesSinceCheckpoint = 0;
    }
}

bool MeasurementArchive::Impl::connect(bool readOnlyMode, QSqlError &error)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    // The archive is written from the window's thread: waiting for another
    // program's lock must never hold a clock tick for long.
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=200");
    if (readOnlyMode)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db.setConnectOptions(options);
    if (!db.open()) {
        error = db.lastError();
        return false;
    }
    return true;
}

void MeasurementArchive::Impl::disconnect()
{
    if (connectionName.isEmpty())
        return;
    checkpointer.reset();
    statements.reset();
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
    open = false;
    readOnly = false;
    pendingBytes.clear();
    pagesSinceCheckpoint = 0;
}

int MeasurementArchive::Impl::userVersion(QSqlError &error)
{
    QSqlQuery query(db());
    // user_version reads the header only; the schema query makes SQLite read
    // (and check) the file's table of tables as well.
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_schema"))
        || !query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        error = query.lastError();
        return -1;
    }
    return query.value(0).toInt();
}

QString MeasurementArchive::Impl::moveAside(QString &movedTo)
{
    movedTo = damagedName(path);
    // The -wal file belongs to the damaged file: left behind, it would be
    // replayed into the new archive. Moved with the same suffixes, the pair
    // stays openable for a look at what is left.
    for (const QString &suffix : {QStringLiteral("-wal"), QStringLiteral("-shm"), QString()}) {
        QFile file(path + suffix);
        if (file.exists() && !file.rename(movedTo + suffix))
            return file.errorString();
    }
    return QString();
}

QString MeasurementArchive::Impl::prepareForWriting(int version)
{
    QSqlQuery query(db());
    // WAL: a commit is safe once written, without waiting for the disk, and
    // readers never block the writer.
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !query.next())
        return reasonFor(query.lastError());
    if (query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
        return Texts::tr("das Dateisystem erlaubt kein WAL-Journal");
    query.finish();
    // The checkpoints run on a thread of their own (Checkpointer); a WAL
    // that once grew large is cut back to 4 MiB when it starts over.
    if (!query.exec(QStringLiteral("PRAGMA synchronous=NORMAL"))
        || !query.exec(QStringLiteral("PRAGMA wal_autocheckpoint=0"))
        || !query.exec(QStringLiteral("PRAGMA journal_size_limit=4194304")))
        return reasonFor(query.lastError());
    QSqlDatabase database = db();
    if (const QSqlError error = ArchiveSchema::migrate(database, version); error.isValid())
        return reasonFor(error);
    statements = std::make_unique<Statements>(database);
    if (!statements->prepared())
        return Texts::tr("Archiv beschädigt");
    checkpointer = std::make_unique<Checkpointer>(path);
    return QString();
}

template<typename Work>
QString MeasurementArchive::Impl::transaction(Work work)
{
    if (const QString refused = refusal(); !refused.isEmpty())
        return refused;
    if (!statements->begin.exec())
        return reasonFor(statements->begin.lastError());
    QSqlError error;
    QString reason;
    if (work(error, reason) && statements->commit.exec()) {
        wrote(1);
        return QString();
    }
    if (reason.isEmpty())
        reason = reasonFor(error.isValid() ? error : statements->commit.lastError());
    // After a full disk SQLite may have rolled back already; then this fails
    // harmlessly.
    statements->rollback.exec();
    return reason;
}

MeasurementArchive::MeasurementArchive()
    : d(new Impl)
{
}

MeasurementArchive::~MeasurementArchive()
{
    close();
}

QString MeasurementArchive::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QStringLiteral("/archive.sqlite");
}

QString MeasurementArchive::demoPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QStringLiteral("/archive-demo.sqlite");
}

MeasurementArchive::OpenResult MeasurementArchive::open(const QString &path)
{
    close();
    d->connectionName
        = QStringLiteral("kalvor2-archive-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
    d->path = path;
    const QString shownPath = QDir::toNativeSeparators(path);

    OpenResult result;
    const auto failed = [&](const QString &reason) {
        d->disconnect();
        result.outcome = OpenOutcome::Failed;
        // The damaged file's new place is said even when the new archive
        // could not be started.
        const QString moved = result.message;
        result.message
            = Texts::tr("Das Archiv %1 kann nicht geöffnet werden: %2").arg(shownPath, reason);
        if (!moved.isEmpty())
            result.message = moved + QLatin1Char(' ') + result.message;
        return result;
    };

    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return failed(Texts::tr("der SQLite-Treiber von Qt fehlt (libqt6sql6-sqlite)"));
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return failed(Texts::tr("der Ordner kann nicht angelegt werden"));

    QSqlError error;
    bool damaged = isForeignFile(path);
    int version = -1;
    if (!damaged) {
        if (!d->connect(false, error))
            return failed(reasonFor(error));
        version = d->userVersion(error);
        damaged = version < 0 && isDamage(error);
    }
    if (damaged) {
        d->disconnect();
        if (const QString reason = d->moveAside(result.movedTo); !reason.isEmpty())
            return failed(reason);
        result.outcome = OpenOutcome::MovedAside;
        result.message = Texts::tr("Das Archiv %1 war beschädigt. Es wurde nach %2 verschoben, "
                                   "ein neues Archiv wurde angelegt.")
                             .arg(shownPath, QDir::toNativeSeparators(result.movedTo));
        if (!d->connect(false, error))
            return failed(reasonFor(error));
        version = d->userVersion(error);
    }
    if (version < 0)
        return failed(reasonFor(error));

    if (version > ArchiveSchema::currentVersion()) {
        // A newer program's layout may mean anything to this one: read what
        // it can, never write.
        d->disconnect();
        if (!d->connect(true, error))
            return failed(reasonFor(error));
        d->open = true;
        d->readOnly = true;
        result.outcome = OpenOutcome::OpenedReadOnly;
        result.message
            = Texts::tr("Das Archiv %1 stammt von einer neueren Version dieses "
                        "Programms. Es wird nur gelesen; neu gelesene Messwerte werden nicht "
                        "archiviert.")
                  .arg(shownPath);
        return result;
    }

    if (const QString reason = d->prepareForWriting(version); !reason.isEmpty())
        return failed(reason);

    d->open = true;
    if (result.outcome != OpenOutcome::MovedAside)
        result.outcome = OpenOutcome::Opened;
    return result;
}

void MeasurementArchive::close()
{
    // Bytes still gathering belong to reads that did not finish: kept as far
    // as the file lets us.
    if (d->open && !d->readOnly) {
        for (auto pending = d->pendingBytes.cbegin(); pending != d->pendingBytes.cend();
             ++pending) {
            if (!pending->isEmpty()) {
                d->transaction([&](QSqlError &error, QString &) {
                    return d->insertChunk(pending.key(), *pending, error);
                });
            }
        }
    }
    d->disconnect();
}

bool MeasurementArchive::isOpen() const
{
    return d->open;
}

bool MeasurementArchive::isReadOnly() const
{
    return d->readOnly;
}

QString MeasurementArchive::path() const
{
    return d->path;
}

QString MeasurementArchive::beginRead(const ReadInfo &info, qint64 &id)
{
    id = -1;
    qint64 newId = -1;
    const QString reason = d->transaction([&](QSqlError &error, QString &) {
        QSqlQuery query(d->db());
        query.prepare(QStringLiteral("INSERT INTO reads (%1) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)")
                          .arg(identityColumns));
        bindIdentity(query, info);
        if (!query.exec()) {
            error = query.lastError();
            return false;
        }
        newId = query.lastInsertId().toLongLong();
        return true;
    });
    if (reason.isEmpty()) {
        id = newId;
        d->pendingBytes.insert(id, QByteArray());
    }
    return reason;
}

namespace {

// Runs one prepared statement that must change exactly one read.
bool changeRead(QSqlQuery &query, qint64 id, QSqlError &error, QString &reason)
{
    if (!query.exec()) {
        error = query.lastError();
        return false;
    }
    if (query.numRowsAffected() != 1) {
        reason = Texts::tr("Lesevorgang %1 nicht im Archiv").arg(id);
        return false;
    }
    return true;
}

} // namespace

QString MeasurementArchive::updateRead(qint64 id, const ReadInfo &info)
{
    return d->transaction([&](QSqlError &error, QString &reason) {
        QString assignments = identityColumns;
        assignments.replace(QStringLiteral(","), QStringLiteral(" = ?,"));
        QSqlQuery query(d->db());
        query.prepare(
            QStringLiteral("UPDATE reads SET %1 = ? WHERE id = ?").arg(assignments.simplified()));
        bindIdentity(query, info);
        query.addBindValue(id);
        return changeRead(query, id, error, reason);
    });
}

QString MeasurementArchive::appendRows(qint64 id, const QList<MeasurementRow> &rows,
                                       const QByteArray &rawBytes)
{
    if (const QString refused = d->refusal(); !refused.isEmpty())
        return refused;
    const auto pending = d->pendingBytes.constFind(id);
    const bool known = pending != d->pendingBytes.constEnd();
    QByteArray bytes = known ? *pending + rawBytes : rawBytes;
    const bool writeBytes = bytes.size() >= rawChunkBytes;
    // A read not begun by this archive goes through one transaction, which
    // finds out whether it is there.
    if (known && rows.isEmpty() && !writeBytes) {
        d->pendingBytes.insert(id, bytes);
        return QString();
    }

    bool found = false;
    const QString reason = d->transaction([&](QSqlError &error, QString &notFound) {
        Impl::Statements &statements = *d->statements;
        QSqlQuery &select = statements.rowsArchived;
        select.bindValue(0, id);
        if (!select.exec()) {
            error = select.lastError();
            return false;
        }
        found = select.next();
        qint64 position = found ? select.value(0).toLongLong() : 0;
        error = select.lastError();
        select.finish();
        if (!found) {
            if (!error.isValid())
                notFound = Texts::tr("Lesevorgang %1 nicht im Archiv").arg(id);
            return false;
        }

        if (!rows.isEmpty()) {
            QSqlQuery &insert = statements.insertRow;
            for (const MeasurementRow &row : rows) {
                insert.bindValue(0, id);
                insert.bindValue(1, position++);
                insert.bindValue(2, row.number);
                insert.bindValue(3, instantValue(row.timeStamp));
                insert.bindValue(4, numberValue(row.force));
                insert.bindValue(5, numberValue(row.sleevePosition));
                insert.bindValue(6, row.deviceId);
                for (int column = 0; column < MeasurementRow::ColumnCount; ++column) {
                    insert.bindValue(7 + column,
                                     column < row.cells.size()
                                         ? QVariant(cellValue(row.cells.at(column)))
                                         : QVariant());
                }
                if (!insert.exec()) {
                    error = insert.lastError();
                    return false;
                }
            }
            // About 30 rows fill a page.
            d->wrote(1 + rows.size() / 30);
            QSqlQuery &count = statements.addRowsArchived;
            count.bindValue(0, rows.size());
            count.bindValue(1, id);
            if (!count.exec()) {
                error = count.lastError();
                return false;
            }
        }
        return !writeBytes || d->insertChunk(id, bytes, error);
    });
    // The bytes of a failed tick wait for the next: they are what the rows
    // that were lost can be read from again.
    if (known || found)
        d->pendingBytes.insert(id, reason.isEmpty() && writeBytes ? QByteArray() : bytes);
    return reason;
}

QString MeasurementArchive::appendRawBytes(qint64 id, const QByteArray &rawBytes)
{
    return appendRows(id, {}, rawBytes);
}

QString MeasurementArchive::finishRead(qint64 id, bool complete, int rowsReceived)
{
    const QByteArray bytes = d->pendingBytes.value(id);
    const QString reason = d->transaction([&](QSqlError &error, QString &notFound) {
        QSqlQuery query(d->db());
        query.prepare(QStringLiteral(
            "UPDATE reads SET finished = 1, complete = ?, rows_received = ? WHERE id = ?"));
        query.addBindValue(complete ? 1 : 0);
        query.addBindValue(rowsReceived);
        query.addBindValue(id);
        return changeRead(query, id, error, notFound)
            && (bytes.isEmpty() || d->insertChunk(id, bytes, error));
    });
    if (reason.isEmpty()) {
        d->pendingBytes.remove(id);
        // The read's end is a good moment to bring the file up to date.
        d->checkpointer->request();
        d->pagesSinceCheckpoint = 0;
    }
    return reason;
}

QString MeasurementArchive::markExported(qint64 id)
{
    return d->transaction([&](QSqlError &error, QString &reason) {
        QSqlQuery query(d->db());
        query.prepare(QStringLiteral("UPDATE reads SET exported = 1 WHERE id = ?"));
        query.addBindValue(id);
        return changeRead(query, id, error, reason);
    });
}

QString MeasurementArchive::deleteRead(qint64 id)
{
    const QString reason = d->transaction([&](QSqlError &error, QString &reason) {
        QSqlQuery query(d->db());
        for (const QString &table :
             {QStringLiteral("measurements"), QStringLiteral("raw_chunks")}) {
            query.prepare(QStringLiteral("DELETE FROM %1 WHERE read_id = ?").arg(table));
            query.addBindValue(id);
            if (!query.exec()) {
                error = query.lastError();
                return false;
            }
        }
        query.prepare(QStringLiteral("DELETE FROM reads WHERE id = ?"));
        query.addBindValue(id);
        return changeRead(query, id, error, reason);
    });
    if (reason.isEmpty())
        d->pendingBytes.remove(id);
    return reason;
}

QString MeasurementArchive::listReads(QList<ArchivedReadSummary> &reads) const
{
    reads.clear();
    if (!d->open)
        return Texts::tr("Archiv nicht geöffnet");
    QSqlQuery query(d->db());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT %1 FROM reads ORDER BY id DESC").arg(summaryColumns)))
        return reasonFor(query.lastError());
    while (query.next())
        reads.append(summaryFrom(query));
    if (query.lastError().isValid()) {
        reads.clear();
        return reasonFor(query.lastError());
    }
    return QString();
}

namespace {

// The read's rows and bytes, into `read`; the reason if that failed.
QString loadRows(QSqlQuery &query, qint64 id, ArchivedRead &read)
{
    query.prepare(QStringLiteral("SELECT number, time_stamp, force, sleeve_position, device_id,"
                                 " number_text, date_text, time_text, force_text,"
                                 " sleeve_position_text, device_id_text"
                                 " FROM measurements WHERE read_id = ? ORDER BY position"));
    query.addBindValue(id);
    if (!query.exec())
        return reasonFor(query.lastError());
    read.rows.reserve(read.summary.rowsArchived);
    while (query.next()) {
        MeasurementRow row;
        row.number = query.value(0).toInt();
        if (!query.isNull(1))
            row.timeStamp = QDateTime::fromMSecsSinceEpoch(query.value(1).toLongLong(), Qt::UTC);
        row.force = numberFrom(query, 2);
        row.sleevePosition = numberFrom(query, 3);
        row.deviceId = query.value(4).toInt();
        row.cells.reserve(MeasurementRow::ColumnCount);
        for (int column = 5; column < 5 + MeasurementRow::ColumnCount && !query.isNull(column);
             ++column)
            row.cells.append(query.value(column).toString());
        read.rows.append(std::move(row));
    }
    if (query.lastError().isValid())
        return reasonFor(query.lastError());

    query.prepare(QStringLiteral("SELECT data FROM raw_chunks WHERE read_id = ? ORDER BY id"));
    query.addBindValue(id);
    if (!query.exec())
        return reasonFor(query.lastError());
    while (query.next()) {
        const QByteArray chunk = qUncompress(query.value(0).toByteArray());
        if (chunk.isEmpty())
            return Texts::tr("Archiv beschädigt");
        read.rawBytes += chunk;
    }
    return query.lastError().isValid() ? reasonFor(query.lastError()) : QString();
}

} // namespace

QString MeasurementArchive::loadRead(qint64 id, ArchivedRead &read) const
{
    read = ArchivedRead();
    if (!d->open)
        return Texts::tr("Archiv nicht geöffnet");

    QSqlQuery query(d->db());
    query.setForwardOnly(true);
    const auto run = [&](const QString &statement) {
        query.prepare(statement);
        query.addBindValue(id);
        return query.exec();
    };
    // The record, rows and bytes of one snapshot, even while another
    // program appends to the read.
    QString reason;
    if (!query.exec(QStringLiteral("BEGIN")))
        return reasonFor(query.lastError());
    if (!run(QStringLiteral("SELECT %1 FROM reads WHERE id = ?").arg(summaryColumns))) {
        reason = reasonFor(query.lastError());
    } else if (!query.next()) {
        reason = query.lastError().isValid() ? reasonFor(query.lastError())
                                             : Texts::tr("Lesevorgang %1 nicht im Archiv").arg(id);
    } else {
        read.summary = summaryFrom(query, &read.info);
        reason = loadRows(query, id, read);
    }
    query.finish();
    query.exec(QStringLiteral("COMMIT"));
    if (!reason.isEmpty())
        read = ArchivedRead();
    else
        read.rawBytes += d->pendingBytes.value(id);
    return reason;
}
