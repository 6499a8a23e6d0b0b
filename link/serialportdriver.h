#pragma once

#include "ftdidriver.h"

#include <QStringList>

#include <memory>

class QSerialPort;

// The converter through the kernel's own FTDI driver (ftdi_sio, /dev/ttyUSB*)
// and Qt SerialPort. The device list is the serial ports whose USB vendor is
// FTDI (0x0403), ordered by port name so that "the first device" is stable.
class SerialPortDriver : public FtdiDriver
{
public:
    SerialPortDriver();
    // A fixed list of port names instead of the FTDI ports (for tests on a
    // pseudo-terminal, and for converters that report no vendor).
    explicit SerialPortDriver(const QStringList &portNames);
    ~SerialPortDriver() override;

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

    static QStringList ftdiPortNames();

private:
    bool usable(FT_HANDLE handle) const;
    void fail();

    bool m_fixedList = false;
    QStringList m_portNames;
    std::unique_ptr<QSerialPort> m_port;
    bool m_failed = false;
};
