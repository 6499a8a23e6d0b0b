#pragma once

#include "link/ftdidriver.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QMap>
#include <QString>

#include <functional>

// A scripted converter for tests: the device list, the results of open and
// close, the bytes "the device sends", and a log of every call the link made
// with its bytes and the time it was made.
class FakeDriver : public FtdiDriver
{
public:
    struct Call
    {
        QString operation; // "createDeviceInfoList", "open", "setBaudRate", ...
        QByteArray bytes;  // written bytes for "write", read bytes for "read"
        quint32 arg1 = 0;  // index, baud rate, word length, requested count
        quint32 arg2 = 0;  // stop bits
        quint32 arg3 = 0;  // parity
        qint64 atMs = 0;   // since the fake was made
    };

    FakeDriver();

    // Script
    quint32 deviceCountResult = 1;
    FT_STATUS listStatus = FT_OK;
    FT_STATUS openStatus = FT_OK;
    QMap<int, FT_STATUS> openStatusAt; // overrides openStatus for one list index
    FT_STATUS closeStatus = FT_OK;
    FT_STATUS writeStatus = FT_OK;
    bool unplugged = false; // every call fails from now on, as after an unplug
    // Offers event notification (by default it cannot, and the link polls);
    // deliver() then announces the bytes, notify() anything else.
    bool notifies = false;
    void deliver(const QByteArray &bytes);
    void notify();
    QByteArray incoming;
    std::function<void(const QByteArray &)> onWrite; // called for every write

    // Record
    QList<Call> calls;
    QList<Call> callsOf(const QString &operation) const;
    QByteArray writtenBytes() const;  // every byte written, in order
    QList<QByteArray> writes() const; // one entry per write call
    void clearLog() { calls.clear(); }
    int getStatusCount = 0;       // counted apart: the 1 ms poll makes many
    quint32 notificationMask = 0; // as the link last asked for it
    Notification notification;    // ended by close

    FT_STATUS createDeviceInfoList(quint32 *count) override;
    FT_STATUS open(int index, FT_HANDLE *handle) override;
    FT_STATUS setBaudRate(FT_HANDLE handle, quint32 baudRate) override;
    FT_STATUS setDataCharacteristics(FT_HANDLE handle, quint8 wordLength, quint8 stopBits,
                                     quint8 parity) override;
    FT_STATUS getStatus(FT_HANDLE handle, quint32 *rxQueued, quint32 *txQueued,
                        quint32 *eventStatus) override;
    FT_STATUS read(FT_HANDLE handle, void *buffer, quint32 toRead, quint32 *got) override;
    FT_STATUS write(FT_HANDLE handle, const void *buffer, quint32 toWrite,
                    quint32 *written) override;
    FT_STATUS close(FT_HANDLE handle) override;
    FT_STATUS setEventNotification(FT_HANDLE handle, quint32 mask, Notification notify) override;

private:
    void log(const QString &operation, const QByteArray &bytes = {}, quint32 a1 = 0, quint32 a2 = 0,
             quint32 a3 = 0);
    QElapsedTimer m_clock;
    bool m_open = false;
    int m_handleTag = 0;
};
