#include "fakedriver.h"

#include <cstring>

FakeDriver::FakeDriver()
{
    m_clock.start();
}

void FakeDriver::log(const QString &operation, const QByteArray &bytes, quint32 a1, quint32 a2,
                     quint32 a3)
{
    calls.append(Call{operation, bytes, a1, a2, a3, m_clock.elapsed()});
}

void FakeDriver::deliver(const QByteArray &bytes)
{
    incoming.append(bytes);
    if (notificationMask & FT_EVENT_RXCHAR)
        notify();
}

void FakeDriver::notify()
{
    if (notification)
        notification();
}

QList<FakeDriver::Call> FakeDriver::callsOf(const QString &operation) const
{
    QList<Call> result;
    for (const Call &call : calls) {
        if (call.operation == operation)
            result << call;
    }
    return result;
}

QByteArray FakeDriver::writtenBytes() const
{
    QByteArray all;
    for (const Call &call : callsOf(QStringLiteral("write")))
        all += call.bytes;
    return all;
}

QList<QByteArray> FakeDriver::writes() const
{
    QList<QByteArray> result;
    for (const Call &call : callsOf(QStringLiteral("write")))
        result << call.bytes;
    return result;
}

FT_STATUS FakeDriver::createDeviceInfoList(quint32 *count)
{
    log(QStringLiteral("createDeviceInfoList"));
    if (unplugged)
        return FT_IO_ERROR;
    *count = deviceCountResult;
    return listStatus;
}

FT_STATUS FakeDriver::open(int index, FT_HANDLE *handle)
{
    log(QStringLiteral("open"), {}, quint32(index));
    if (unplugged)
        return FT_DEVICE_NOT_FOUND;
    if (const FT_STATUS status = openStatusAt.value(index, openStatus); status != FT_OK)
        return status;
    if (index < 0 || quint32(index) >= deviceCountResult)
        return FT_DEVICE_NOT_FOUND;
    m_open = true;
    *handle = &m_handleTag;
    return FT_OK;
}

FT_STATUS FakeDriver::setBaudRate(FT_HANDLE, quint32 baudRate)
{
    log(QStringLiteral("setBaudRate"), {}, baudRate);
    return unplugged ? FT_IO_ERROR : FT_OK;
}

FT_STATUS FakeDriver::setDataCharacteristics(FT_HANDLE, quint8 wordLength, quint8 stopBits,
                                             quint8 parity)
{
    log(QStringLiteral("setDataCharacteristics"), {}, wordLength, stopBits, parity);
    return unplugged ? FT_IO_ERROR : FT_OK;
}

FT_STATUS FakeDriver::getStatus(FT_HANDLE, quint32 *rxQueued, quint32 *txQueued,
                                quint32 *eventStatus)
{
    ++getStatusCount;
    *txQueued = 0;
    *eventStatus = 0;
    if (unplugged) {
        *rxQueued = 0xFFFFFFFFu; // garbage, as a failed call may leave it
        return FT_IO_ERROR;
    }
    *rxQueued = quint32(incoming.size());
    return FT_OK;
}

FT_STATUS FakeDriver::read(FT_HANDLE, void *buffer, quint32 toRead, quint32 *got)
{
    *got = 0;
    if (unplugged) {
        log(QStringLiteral("read"), {}, toRead);
        return FT_IO_ERROR;
    }
    const quint32 n = qMin(toRead, quint32(incoming.size()));
    std::memcpy(buffer, incoming.constData(), n);
    log(QStringLiteral("read"), incoming.left(n), toRead);
    incoming.remove(0, n);
    *got = n;
    return FT_OK;
}

FT_STATUS FakeDriver::write(FT_HANDLE, const void *buffer, quint32 toWrite, quint32 *written)
{
    const QByteArray bytes(static_cast<const char *>(buffer), qsizetype(toWrite));
    log(QStringLiteral("write"), bytes, toWrite);
    if (onWrite)
        onWrite(bytes);
    *written = 0;
    if (unplugged || writeStatus != FT_OK)
        return unplugged ? FT_IO_ERROR : writeStatus;
    *written = toWrite;
    return FT_OK;
}

FT_STATUS FakeDriver::close(FT_HANDLE)
{
    log(QStringLiteral("close"));
    if (unplugged) {
        // The vanished converter's handle is gone all the same.
        notification = nullptr;
        notificationMask = 0;
        return FT_IO_ERROR;
    }
    if (closeStatus == FT_OK) {
        m_open = false;
        notification = nullptr;
        notificationMask = 0;
    }
    return closeStatus;
}

// Not logged with the other calls: tests that compare the call order do not
// need to know whether the link asked.
FT_STATUS FakeDriver::setEventNotification(FT_HANDLE, quint32 mask, Notification notify)
{
    if (!notifies)
        return FT_NOT_SUPPORTED;
    if (unplugged)
        return FT_IO_ERROR;
    notificationMask = mask;
    notification = mask != 0 ? std::move(notify) : Notification();
    return FT_OK;
}
