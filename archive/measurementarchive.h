#pragma once

#include "protocol/measurementrow.h"
#include "protocol/readinfo.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>

// One archived read as the archive lists it.
struct ArchivedReadSummary
{
    qint64 id = -1;
    QDateTime startedAt; // the PC's local time; invalid when unknown
    QString serialNumber;
    int entriesAnnounced = -1; // -1: no entry count came
    int rowsReceived = 0;      // rows the read delivered (at its end); until then the rows archived
    int rowsArchived = 0;      // rows the archive holds
    bool finished = false;     // false: still running, or the program ended during the read
    bool complete = false;     // the read was complete when it ended
    bool exported = false;     // its rows were exported

    // The archive holds every row of a read that received all its records.
    bool archivedWhole() const { return finished && complete && rowsArchived == rowsReceived; }
};

// One archived read with everything kept of it.
struct ArchivedRead
{
    ArchivedReadSummary summary;
    ReadInfo info; // rowsReceived and complete as the read ended (see the summary)
    QList<MeasurementRow> rows;
    QByteArray rawBytes; // what the read received on the wire, uncompressed
};

// Every memory read kept as it arrives, in one SQLite file (Qt SQL, QSQLITE),
// widget-free. All calls run on the thread that opened the archive.
//
// Each call that writes is one transaction, and says how it went by its
// result: an empty string when it worked, otherwise a short translated
// reason ("Datenträger voll"), never an exception. After a failure the
// archive stays usable: the next call tries again.
//
// A read from start to end:
//   beginRead(info, id)          when "Speicher lesen" starts it
//   updateRead(id, info)         when the entry count (or anything else) becomes known
//   appendRows(id, rows, bytes)  once a clock tick, with the tick's new rows and bytes
//   finishRead(id, complete, n)  when it ends
//   markExported(id)             after its rows were exported
//
// The file is kept in WAL mode with synchronous=NORMAL: a killed process
// loses nothing that was committed, a power loss at most the last commits,
// and neither leaves the file unreadable. The checkpoints that copy the WAL
// into the file wait for the disk; they run on a thread of their own, so
// that no call waits for the disk.
class MeasurementArchive
{
public:
    enum class OpenOutcome {
        Opened,
        OpenedReadOnly, // written by a newer program: read, never written
        MovedAside,     // the file was damaged: renamed (see movedTo), a new one started
        Failed,         // no archive: every call reports it
    };
    struct OpenResult
    {
        OpenOutcome outcome = OpenOutcome::Failed;
        QString message; // translated, for the user; empty when simply opened
        QString movedTo; // MovedAside: where the damaged file is now
        bool usable() const { return outcome != OpenOutcome::Failed; }
    };

    // Received bytes are written once this many have gathered (about 1.4 s
    // of the wire at 115200 baud).
    static constexpr int rawChunkBytes = 16 * 1024;

    MeasurementArchive();
    ~MeasurementArchive(); // closes
    MeasurementArchive(const MeasurementArchive &) = delete;
    MeasurementArchive &operator=(const MeasurementArchive &) = delete;

    // "archive.sqlite" and, for the simulated device, "archive-demo.sqlite",
    // both in the user's data folder (QStandardPaths::AppDataLocation).
    static QString defaultPath();
    static QString demoPath();

    // Opens (or creates, with its folder) the archive at `path`, closing any
    // archive open before. A file that is no SQLite database, or whose
    // structure is damaged, is renamed to "<name>.damaged-<yyyy-MM-dd-hhmmss>"
    // (with its -wal and -shm files), never deleted, and a new archive
    // started in its place.
    OpenResult open(const QString &path);
    void close();
    bool isOpen() const;
    bool isReadOnly() const;
    QString path() const;

    // Starts a read's record; `id` gets its number (-1 on failure).
    QString beginRead(const ReadInfo &info, qint64 &id);
    // The device's identity, settings and entry count; not how the read
    // went (finishRead says that).
    QString updateRead(qint64 id, const ReadInfo &info);
    // A tick's batch: the rows in order after those already archived, and
    // the bytes received since the last call, in one transaction. Either
    // may be empty. The bytes gather in memory and are written, compressed,
    // once rawChunkBytes have come, at the read's end, or on close(); until
    // then a crash loses them (not the rows). The bytes of a tick whose
    // write failed are kept for the next.
    QString appendRows(qint64 id, const QList<MeasurementRow> &rows,
                       const QByteArray &rawBytes = QByteArray());
    QString appendRawBytes(qint64 id, const QByteArray &rawBytes);
    QString finishRead(qint64 id, bool complete, int rowsReceived);
    QString markExported(qint64 id);
    QString deleteRead(qint64 id);

    // Newest first.
    QString listReads(QList<ArchivedReadSummary> &reads) const;
    QString loadRead(qint64 id, ArchivedRead &read) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
