#include "filewriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <climits>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// The window's texts share one translation context.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(KalvorIIControl)
};

} // namespace

namespace FileWriter {

Result write(const QString &fileName, const Content &content, QIODevice::OpenMode flags)
{
    // errno is read only right after a call of this file that failed with
    // it, so that an old value never names the wrong reason.
    QSaveFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | flags)) {
        const int error = errno;
        return {false, failureReason(fileName, file.errorString(), error)};
    }

    errno = 0;
    const bool produced = content(file);
    const bool flushed = file.flush();
    // commit() cannot be trusted to notice a failed write: after a write
    // error inside a stream's flush (EFBIG, ENOSPC) it still renames the
    // truncated temporary file over the target and returns true. So the
    // content, the file's buffer and its error state are checked here,
    // before anything is renamed.
    if (!produced || !flushed || file.error() != QFileDevice::NoError) {
        const bool systemFailed = file.error() != QFileDevice::NoError;
        const int error = systemFailed ? errno : 0;
        const QString reason = systemFailed
            ? failureReason(fileName, file.errorString(), error)
            : Texts::tr("Der Inhalt ließ sich nicht vollständig schreiben.");
        file.cancelWriting();
        file.commit(); // discards the temporary file
        return {false, reason};
    }

    errno = 0;
    if (!file.commit()) {
        const int error = errno;
        return {false, failureReason(fileName, file.errorString(), error)};
    }
    return {true, QString()};
}

QString failureReason(const QString &fileName, const QString &systemMessage, int systemError)
{
    const QFileInfo file(fileName);
    const QByteArray folder = QFile::encodeName(file.absolutePath());
    struct statvfs volume
    { };
    const bool volumeKnown = ::statvfs(folder.constData(), &volume) == 0;
    QString reason;
    if (systemError == ENAMETOOLONG || QFile::encodeName(file.fileName()).size() > NAME_MAX)
        reason = Texts::tr("Der Dateiname ist zu lang.");
    else if (!QFileInfo(file.absolutePath()).isDir())
        reason = Texts::tr("Den Ordner gibt es nicht.");
    else if (file.isDir())
        reason = Texts::tr("Unter diesem Namen steht ein Ordner.");
    else if (systemError == EROFS || (volumeKnown && (volume.f_flag & ST_RDONLY)))
        reason = Texts::tr("Der Ordner liegt auf einem schreibgeschützten Datenträger.");
    else if (systemError == EACCES || systemError == EPERM
             || ::access(folder.constData(), W_OK) != 0)
        reason = Texts::tr("Keine Berechtigung, in diesem Ordner zu schreiben.");
    else if (systemError == ENOSPC || systemError == EDQUOT)
        reason = Texts::tr("Der Datenträger ist voll.");
    else if (systemError == EFBIG)
        reason = Texts::tr("Die Datei wäre größer, als der Datenträger erlaubt.");
    else
        reason = Texts::tr("Die Datei ließ sich nicht schreiben.");
    return systemMessage.isEmpty() ? reason : reason + QStringLiteral(" (") + systemMessage + u')';
}

} // namespace FileWriter
