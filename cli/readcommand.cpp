#include "archive/measurementarchive.h"
#include "archive/readrecorder.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/deviceaccess.h"
#include "cli/exitcode.h"
#include "cli/interrupt.h"
#include "cli/invocation.h"
#include "cli/progress.h"
#include "cli/rowsoutput.h"
#include "link/ftdi_control.h"
#include "session/clock.h"
#include "session/devicesession.h"
#include "session/statustexts.h"

#include <QCoreApplication>
#include <QDir>

#include <memory>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(KalvorIIControl)
};

// Why the memory is not cleared after the read, or an empty string when it
// may be: only when every record the device announced arrived, and the file
// and the archive hold them.
QString notClearedBecause(const DeviceSession &session, bool written, const ReadRecorder &recorder)
{
    const MemoryRead &read = session.memoryRead();
    if (read.outcome() != MemoryRead::Outcome::Complete)
        return Texts::tr("Speicher nicht gelöscht: nicht alle Messwerte gelesen");
    if (read.announced() < 0 || read.rows() < read.announced())
        return Texts::tr("Speicher nicht gelöscht: das Gerät hat die Zahl seiner Messwerte nicht "
                         "gemeldet");
    if (!written)
        return Texts::tr("Speicher nicht gelöscht: die Messwerte sind nicht geschrieben");
    if (!recorder.lastReadKept())
        return Texts::tr("Speicher nicht gelöscht: die Messwerte sind nicht im Archiv");
    return QString();
}

} // namespace

QString archivePathFor(const Invocation &invocation)
{
    if (!invocation.archivePath.isEmpty())
        return invocation.archivePath;
    return invocation.simulate ? MeasurementArchive::demoPath() : MeasurementArchive::defaultPath();
}

int openArchive(MeasurementArchive &archive, const QString &path, bool forWriting)
{
    const MeasurementArchive::OpenResult opened = archive.open(path);
    const QString where = QDir::toNativeSeparators(path);
    if (!opened.usable())
        return Console::fail(
            ExitCode::notWritten,
            Texts::tr("Archiv %1 lässt sich nicht öffnen: %2").arg(where, opened.message));
    if (forWriting && archive.isReadOnly())
        return Console::fail(ExitCode::notWritten,
                             Texts::tr("Archiv %1 ist von einer neueren Programmversion und wird "
                                       "nicht beschrieben: mit --archive ein anderes nennen")
                                 .arg(where));
    if (!opened.message.isEmpty())
        Console::note(opened.message);
    return ExitCode::done;
}

int readMemory(const Invocation &invocation)
{
    // A read that cannot be kept is not started: the archive first.
    MeasurementArchive archive;
    if (!invocation.noArchive) {
        if (const int status = openArchive(archive, archivePathFor(invocation), true))
            return status;
    }
    DeviceAccess access(invocation);
    if (const int status = access.connect(false))
        return status;
    DeviceSession &session = access.session();
    // Without an archive the recorder has nothing to write to and keeps nothing.
    ReadRecorder recorder(session, archive);
    QObject::connect(&recorder, &ReadRecorder::failed, [](const QString &reason) {
        Console::note(Texts::tr("Archiv: %1").arg(reason));
    });

    const InterruptGuard interrupt;
    if (session.readMemory() != DeviceSession::ReadStart::Started)
        return access.notSent(Texts::tr("Speicher nicht gelesen"));
    Progress progress;
    bool interrupted = false;
    waitUntil(
        [&] {
            progress.update(session.memoryRead());
            // Closing the converter ends the read as the loss of the
            // converter does: what arrived is worked off, and the read
            // counts as incomplete.
            if (InterruptGuard::requested() && !interrupted) {
                interrupted = true;
                session.link()->closeDevice();
            }
            return !session.memoryRead().running();
        },
        -1);
    progress.finish();

    const MemoryRead &read = session.memoryRead();
    if (interrupted)
        Console::note(Texts::tr("Lesen abgebrochen"));
    const ReadStatus status = readStatus(read);
    if (read.outcome() == MemoryRead::Outcome::NoAnswer)
        return Console::fail(ExitCode::noAnswer,
                             Texts::tr("Keine Antwort vom Gerät: Kalvor 2 einschalten, Kabel "
                                       "prüfen und erneut aufrufen"));
    Console::note(status.text);

    // Rows of a converter that went away keep its serial number, as in the
    // window.
    const QString serialNumber = session.rowsSerialNumber().isNull()
        ? session.readInfo().serialNumber
        : session.rowsSerialNumber();
    bool toFile = false;
    const int written = writeRows(invocation.out, session.rows(), session.readInfo(), serialNumber,
                                  Clock::currentDateTime(), &toFile);
    if (written == ExitCode::done && toFile) {
        session.markExported();
        recorder.markExported();
    }
    const bool archiveFailed = !invocation.noArchive && !recorder.failure().isEmpty();

    int exitCode
        = read.outcome() == MemoryRead::Outcome::Complete ? ExitCode::done : ExitCode::incomplete;
    if (invocation.clearAfter) {
        const QString because = notClearedBecause(session, written == ExitCode::done, recorder);
        if (!because.isEmpty()) {
            Console::note(because);
        } else if (session.clearMemory(session.connection())
                   == DeviceSession::ClearResult::Cleared) {
            Console::note(Texts::tr("Speicher gelöscht"));
        } else {
            exitCode = access.notSent(Texts::tr("Speicher nicht gelöscht"));
        }
    }
    if (written != ExitCode::done || archiveFailed)
        return ExitCode::notWritten;
    return exitCode;
}
