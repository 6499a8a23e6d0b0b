#pragma once

#include "link/ftdidriver.h"

#include <QByteArray>

// A converter whose device "sends" the bytes of a capture and ignores every
// command written to it. The whole capture waits in the receive queue from
// the start, so there is nothing to announce: it offers no event
// notification, and the link polls it.
class ReplayDriver : public FtdiDriver
{
public:
    explicit ReplayDriver(QByteArray capture);

    qsizetype pending() const { return m_capture.size() - m_position; }

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

private:
    QByteArray m_capture;
    qsizetype m_position = 0;
};
