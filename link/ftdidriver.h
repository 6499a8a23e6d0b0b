#pragma once

#include <QtGlobal>

#include <functional>

// Status and handle types in the manner of the converter vendor's library, so
// that the link reads like the driver calls it is built on: 0 is success.
using FT_STATUS = quint32;
using FT_HANDLE = void *;

enum : FT_STATUS {
    FT_OK = 0,
    FT_INVALID_HANDLE = 1,
    FT_DEVICE_NOT_FOUND = 2,
    FT_DEVICE_NOT_OPENED = 3,
    FT_IO_ERROR = 4,
    FT_INSUFFICIENT_RESOURCES = 5,
    FT_INVALID_PARAMETER = 6,
    FT_NOT_SUPPORTED = 17,
    FT_OTHER_ERROR = 18,
    // Our serial-port backend tells apart why a converter it found cannot be
    // opened; the vendor's library knows no such difference.
    FT_PERMISSION_DENIED = 0x100, // the user may not open the device node
    FT_DEVICE_BUSY = 0x101,       // another program holds the converter
};

enum : quint8 {
    FT_BITS_8 = 8,
    FT_STOP_BITS_1 = 0,
    FT_PARITY_NONE = 0,
};

// Events a converter can announce (the vendor's numbering).
enum : quint32 {
    FT_EVENT_RXCHAR = 1, // bytes have reached the receive queue
};

// The nine driver operations the link is built on, those of the vendor's
// library. Backends: the kernel's serial driver through Qt SerialPort, a
// recording fake for tests, the simulated device and the replay of a
// capture. Every operation returns at once; none blocks.
class FtdiDriver
{
public:
    using Notification = std::function<void()>;

    virtual ~FtdiDriver() = default;

    virtual FT_STATUS createDeviceInfoList(quint32 *count) = 0;
    virtual FT_STATUS open(int index, FT_HANDLE *handle) = 0;
    virtual FT_STATUS setBaudRate(FT_HANDLE handle, quint32 baudRate) = 0;
    virtual FT_STATUS setDataCharacteristics(FT_HANDLE handle, quint8 wordLength, quint8 stopBits,
                                             quint8 parity)
        = 0;
    virtual FT_STATUS getStatus(FT_HANDLE handle, quint32 *rxQueued, quint32 *txQueued,
                                quint32 *eventStatus)
        = 0;
    virtual FT_STATUS read(FT_HANDLE handle, void *buffer, quint32 toRead, quint32 *got) = 0;
    virtual FT_STATUS write(FT_HANDLE handle, const void *buffer, quint32 toWrite, quint32 *written)
        = 0;
    virtual FT_STATUS close(FT_HANDLE handle) = 0;

    // Asks to be told when one of the events in `mask` happens on the open
    // converter. `notify` may be called from inside one of the driver's own
    // calls (the vendor's library calls from a thread of its own): it only
    // takes note and returns. A converter that fails (unplugged, an I/O error)
    // is announced the same way, so that the next call finds out. A mask of
    // 0 or an empty function ends the notification; so does closing the
    // handle. A backend that cannot tell when bytes arrive answers
    // FT_NOT_SUPPORTED, and its caller has to poll.
    virtual FT_STATUS setEventNotification(FT_HANDLE handle, quint32 mask, Notification notify)
    {
        Q_UNUSED(handle);
        Q_UNUSED(mask);
        Q_UNUSED(notify);
        return FT_NOT_SUPPORTED;
    }
};
