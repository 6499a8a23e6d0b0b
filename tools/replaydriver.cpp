#include "replaydriver.h"

#include <cstring>

ReplayDriver::ReplayDriver(QByteArray capture)
    : m_capture(std::move(capture))
{
}

FT_STATUS ReplayDriver::createDeviceInfoList(quint32 *count)
{
    *count = 1;
    return FT_OK;
}

FT_STATUS ReplayDriver::open(int index, FT_HANDLE *handle)
{
    if (index != 0)
        return FT_DEVICE_NOT_FOUND;
    *handle = this;
    return FT_OK;
}

FT_STATUS ReplayDriver::setBaudRate(FT_HANDLE, quint32)
{
    return FT_OK;
}

FT_STATUS ReplayDriver::setDataCharacteristics(FT_HANDLE, quint8, quint8, quint8)
{
    return FT_OK;
}

FT_STATUS ReplayDriver::getStatus(FT_HANDLE, quint32 *rxQueued, quint32 *txQueued,
                                  quint32 *eventStatus)
{
    *rxQueued = quint32(qMin<qsizetype>(pending(), 0x7fffffff));
    *txQueued = 0;
    *eventStatus = 0;
    return FT_OK;
}

FT_STATUS ReplayDriver::read(FT_HANDLE, void *buffer, quint32 toRead, quint32 *got)
{
    const qsizetype n = qMin<qsizetype>(qsizetype(toRead), pending());
    std::memcpy(buffer, m_capture.constData() + m_position, size_t(n));
    m_position += n;
    *got = quint32(n);
    return FT_OK;
}

FT_STATUS ReplayDriver::write(FT_HANDLE, const void *, quint32 toWrite, quint32 *written)
{
    *written = toWrite;
    return FT_OK;
}

FT_STATUS ReplayDriver::close(FT_HANDLE)
{
    return FT_OK;
}
