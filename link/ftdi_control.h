#pragma once

#include "ftdidriver.h"

#include <QMutex>
#include <QObject>
#include <QString>

#include <memory>

class QTimer;

// The program's only path to the measuring device: one USB-to-serial
// converter, opened once with fixed serial settings and polled every
// millisecond into a text buffer (one character per received byte, Latin-1).
//
// openDevice() and closeDevice() return true for failure and false for
// success; the controller relies on that sense.
class FTDI_Control : public QObject
{
    Q_OBJECT

public:
    // The link talks to the converter through `driver` (the serial port
    // backend, the simulated device, a test's fake). A link without any
    // driver lists no devices.
    explicit FTDI_Control(std::unique_ptr<FtdiDriver> driver);
    ~FTDI_Control() override;

    int deviceCount();
    bool openDevice(const QString &description);
    bool isOpen() const;
    int bytesAvailable();
    int takeBytes(char *buffer, int count);
    int sendText(const QString &text);
    bool closeDevice();

    // One poll: moves what the converter has received into the buffer. The
    // poll timer runs it; tools and tests that keep time themselves call it.
    void poll();
    // The millisecond poll, for tools that pause the program's timers.
    QTimer *pollingTimer() const { return pollTimer; }

private slots:
    void receiveUSBdata();

private:
    bool deviceOpen = false;
    QMutex rxMutex;
    QString rxBuffer;
    FT_STATUS ftStatus = FT_OK;
    FT_HANDLE ftHandle = nullptr;
    QTimer *pollTimer = nullptr;
    std::unique_ptr<FtdiDriver> driver;
};
