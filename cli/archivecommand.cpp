#include "archive/measurementarchive.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitcode.h"
#include "cli/invocation.h"
#include "cli/rowsoutput.h"
#include "session/clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(KalvorIIControl)
};

// One line per read, newest first, for scripts: number, start, serial
// number, rows kept, entries announced ("-": none came), how it ended,
// whether it was exported.
QString readLine(const ArchivedReadSummary &read)
{
    const QString state = !read.finished ? QStringLiteral("unfinished")
        : read.complete                  ? QStringLiteral("complete")
                                         : QStringLiteral("incomplete");
    return QStringList{QString::number(read.id),
                       read.startedAt.isValid()
                           ? read.startedAt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                           : QStringLiteral("-"),
                       read.serialNumber,
                       QString::number(read.rowsArchived),
                       read.entriesAnnounced >= 0 ? QString::number(read.entriesAnnounced)
                                                  : QStringLiteral("-"),
                       state,
                       read.exported ? QStringLiteral("exported") : QStringLiteral("-")}
               .join(u'\t')
        + u'\n';
}

} // namespace

QString archivePathFor(const Invocation &invocation);
int openArchive(MeasurementArchive &archive, const QString &path, bool forWriting);

int archiveCommand(const Invocation &invocation)
{
    const QString path = archivePathFor(invocation);
    // Looking into an archive that is not there creates none.
    if (!QFileInfo::exists(path)) {
        if (invocation.subcommand == QLatin1String("list")) {
            Console::note(Texts::tr("Das Archiv %1 ist leer").arg(QDir::toNativeSeparators(path)));
            return ExitCode::done;
        }
        return Console::fail(ExitCode::usage,
                             Texts::tr("Das Archiv %1 gibt es nicht: mit --archive das richtige "
                                       "nennen")
                                 .arg(QDir::toNativeSeparators(path)));
    }
    MeasurementArchive archive;
    if (const int status = openArchive(archive, path, false))
        return status;

    if (invocation.subcommand == QLatin1String("list")) {
        QList<ArchivedReadSummary> reads;
        const QString reason = archive.listReads(reads);
        if (!reason.isEmpty())
            return Console::fail(ExitCode::notWritten, Texts::tr("Archiv: %1").arg(reason));
        QString lines;
        for (const ArchivedReadSummary &read : std::as_const(reads))
            lines += readLine(read);
        return Console::out(lines) ? ExitCode::done : ExitCode::notWritten;
    }

    ArchivedRead read;
    const QString reason = archive.loadRead(invocation.archiveId, read);
    if (!reason.isEmpty())
        return Console::fail(ExitCode::usage,
                             Texts::tr("%1 (archive list zeigt die Lesevorgänge)").arg(reason));
    bool toFile = false;
    const int written = writeRows(invocation.out, read.rows, read.info, read.info.serialNumber,
                                  Clock::currentDateTime(), &toFile);
    if (written == ExitCode::done && toFile && !archive.isReadOnly()) {
        const QString marked = archive.markExported(invocation.archiveId);
        if (!marked.isEmpty())
            Console::note(Texts::tr("Archiv: %1").arg(marked));
    }
    return written;
}
