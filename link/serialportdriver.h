#pragma once

#include "ftdidriver.h"

#include <QStringList>

#include <functional>
#include <memory>

class QSerialPort;

// The converter through the kernel's own FTDI driver (ftdi_sio, /dev/ttyUSB*)
// and Qt SerialPort. The device list is the serial ports whose USB vendor is
// FTDI (0x0403), ordered by port name as a person would (ttyUSB2 before
// ttyUSB10) so that "the first device" is stable. It is taken anew at every
// look, so that a converter plugged in later is found.
//
// It announces arriving bytes and a failing port: Qt SerialPort reads the
// port whenever the event loop finds bytes waiting in the kernel.
class SerialPortDriver : public FtdiDriver
{
public:
    using PortLister = std::function<QStringList()>;

    SerialPortDriver();
    // The ports `lister` names instead of the FTDI ports (tests on
    // pseudo-terminals that come and go).
    explicit SerialPortDriver(PortLister lister);
    // A fixed list of port names, in the order given (tests, and converters
    // that report no vendor).
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
    FT_STATUS setEventNotification(FT_HANDLE handle, quint32 mask, Notification notify) override;

    static QStringList ftdiPortNames();
    // The port names in the order of the device list.
    QStringList portNames() const { return m_portNames; }
    // a < b as a person orders port names: the numbers in them by value.
    static bool naturalLess(const QString &a, const QString &b);

private:
    bool usable(FT_HANDLE handle) const;
    void fail();

    PortLister m_lister;
    QStringList m_portNames;
    // Before the port: they outlive the port's last signal.
    Notification m_notify;
    quint32 m_notifyMask = 0;
    bool m_failed = false;
    std::unique_ptr<QSerialPort> m_port;
};
