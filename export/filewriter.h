#pragma once

#include <QIODevice>
#include <QString>

#include <functional>

// Every file the program writes (the export files, the chart's image) is
// written all or nothing: into a temporary file beside the target, renamed
// over it only once all of it is written (QSaveFile). A write that fails, for
// whatever reason (a full disk, a file-size limit, no permission, a stream
// or an image writer that gives up), leaves no half file behind and an
// earlier file of that name as it was, and says why.
namespace FileWriter {

// Writes the file's content onto `device`, which is open for writing. False
// when it could not produce all of it (its stream or image writer failed).
using Content = std::function<bool(QIODevice &device)>;

struct Result
{
    bool written = false;
    // Why not (see failureReason); empty when written.
    QString reason;
};

// Writes `fileName` with what `content` puts on the device. `flags` add to
// QIODevice::WriteOnly: QIODevice::Text for text files, nothing for images.
Result write(const QString &fileName, const Content &content,
             QIODevice::OpenMode flags = QIODevice::NotOpen);

// Why `fileName` could not be written, in the window's language, with the
// system's own message in brackets behind it where there is one: the kinds a
// user can act on (a name too long, a missing folder, a folder of that name,
// a read-only volume, no permission, a full disk, a file-size limit) are
// told apart by the error number and by looking at the place.
QString failureReason(const QString &fileName, const QString &systemMessage, int systemError);

} // namespace FileWriter
