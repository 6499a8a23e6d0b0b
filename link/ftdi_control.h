#pragma once

#include "ftdidriver.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QTimer;

// The program's only path to the measuring device: one USB-to-serial
// converter, opened with fixed serial settings and polled into a text buffer
// (one character per received byte, Latin-1).
//
// The poll runs only while a converter is open: every millisecond while
// bytes flow or a command was just sent. Once the line has been quiet for a
// second it depends on the driver: a converter that announces arriving bytes
// (and its own failure) is not polled at all until it does, and then polled
// at once, through the event loop; one that cannot is polled every 20 ms (the
// first byte of an answer then waits up to one slow period). Either way,
// bytes move only in polls, at most 4096 at a time. A converter that fails
// under the open link (unplugged, an I/O error at the poll or at a write) is
// closed at once, so that isOpen() tells the truth and the link can open it
// again.
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
    // Opens the converter at `index` of the driver's list (the first unless
    // told otherwise).
    bool openDevice(const QString &description, int index = 0);
    bool isOpen() const;
    int bytesAvailable();
    int takeBytes(char *buffer, int count);
    int sendText(const QString &text);
    bool closeDevice();
    // The status of the last open, close, read or failed call: why a
    // converter could not be opened, or why the link closed itself.
    FT_STATUS status() const { return ftStatus; }

    // One poll: moves what the converter has received into the buffer. The
    // poll timer runs it; tools and tests that keep time themselves call it.
    void poll();
    // The poll timer, for tools and tests that watch it. It stops while a
    // converter that announces its bytes is quiet.
    QTimer *pollingTimer() const { return pollTimer; }

    static constexpr int fastPollMs = 1;
    static constexpr int slowPollMs = 20;
    static constexpr int fastWindowMs = 1000;

private slots:
    void receiveUSBdata();

private:
    class DriverCall;

    void active();
    void quiet();
    void failed(FT_STATUS status);
    // The driver's announcement: may come from inside a driver call, even
    // from another thread, so it only asks the event loop for a poll.
    void notified();
    void wake();

    bool deviceOpen = false;
    bool notifying = false; // the open converter announces arriving bytes
    std::atomic_bool wakePosted = false;
    int driverCalls = 0;        // the link is inside a call of its driver
    bool pollAfterCall = false; // a poll came due meanwhile
    QMutex rxMutex;
    QString rxBuffer;
    FT_STATUS ftStatus = FT_OK;
    FT_HANDLE ftHandle = nullptr;
    QTimer *pollTimer = nullptr;
    QElapsedTimer sinceActivity; // since the last byte in or out
    std::unique_ptr<FtdiDriver> driver;
};
