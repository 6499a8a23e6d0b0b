#pragma once

#include "archive/measurementarchive.h"
#include "archive/readrecorder.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class DeviceSession;
class QWidget;

// The archive behind the window: every read of the device session kept as
// it arrives, and an archived read chosen in the archive window to be shown
// (and exported) instead of the device's rows until the next read.
class WindowArchive : public QObject
{
    Q_OBJECT

public:
    // Picks an archived read to show: the archive window, unless a test
    // hands in another way. -1: none chosen.
    using ReadChooser = std::function<qint64(MeasurementArchive &, QWidget *parent)>;

    explicit WindowArchive(DeviceSession &session, QObject *parent = nullptr);

    // Opens the archive file; the result's message is for the status line
    // (empty when it simply opened).
    MeasurementArchive::OpenResult open(const QString &path);
    bool isOpen() const { return m_archive.isOpen(); }
    MeasurementArchive &archive() { return m_archive; }

    void setReadChooser(ReadChooser chooser) { m_choose = std::move(chooser); }
    // Lets the user choose a read and loads it; false when none was chosen
    // or it could not be loaded (the reason then in loadFailure()).
    bool chooseRead(QWidget *parent);
    QString loadFailure() const { return m_loadFailure; }
    // The archived read shown, or none while the device's rows are shown.
    const ArchivedRead *shown() const { return m_shown ? &*m_shown : nullptr; }
    void showDevice() { m_shown.reset(); }

    // The device's last read is complete and every row of it archived.
    bool lastReadKept() const { return m_recorder.lastReadKept(); }
    // Why the archive failed during the last read; empty when it did not.
    QString failure() const { return m_recorder.failure(); }
    // The rows shown were exported: the archived read's, or the device's.
    void markExported();

signals:
    void failed(const QString &reason);

private:
    MeasurementArchive m_archive;
    ReadRecorder m_recorder;
    std::optional<ArchivedRead> m_shown;
    QString m_loadFailure;
    ReadChooser m_choose;
};
