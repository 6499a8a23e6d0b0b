#include "ftdi_control.h"

#include <QMutexLocker>
#include <QTimer>

#include <algorithm>
#include <cstring>

namespace {
// The bytes the device expects right after the port is opened.
const char openingText[] = {'\n', 'U', 'P', '\n', '\n', '\r'};
constexpr quint32 pollBufferSize = 4096;
} // namespace

// Marks the link as busy in its driver. A poll that comes due meanwhile (an
// event loop run from inside a driver call fires the poll timer or delivers
// an announcement) would cut into that call: it runs right after instead.
class FTDI_Control::DriverCall
{
public:
    explicit DriverCall(FTDI_Control &link)
        : m_link(link)
    {
        ++m_link.driverCalls;
    }
    ~DriverCall()
    {
        if (--m_link.driverCalls == 0 && m_link.pollAfterCall) {
            m_link.pollAfterCall = false;
            m_link.notified();
        }
    }
    DriverCall(const DriverCall &) = delete;
    DriverCall &operator=(const DriverCall &) = delete;

private:
    FTDI_Control &m_link;
};

FTDI_Control::FTDI_Control(std::unique_ptr<FtdiDriver> driverToUse)
    : QObject(nullptr)
    , driver(std::move(driverToUse))
{
    pollTimer = new QTimer;
    pollTimer->setInterval(fastPollMs);
    connect(pollTimer, SIGNAL(timeout()), this, SLOT(receiveUSBdata()));
}

FTDI_Control::~FTDI_Control()
{
    delete pollTimer;
}

int FTDI_Control::deviceCount()
{
    quint32 count = 0;
    const DriverCall call(*this);
    ftStatus = driver ? driver->createDeviceInfoList(&count) : FT_OTHER_ERROR;
    if (ftStatus != FT_OK)
        return -1;
    return int(count);
}

bool FTDI_Control::openDevice(const QString &description, int index)
{
    // The converter is chosen by its place in the driver's list, whatever
    // the description says: the device's converter carries no usable name.
    Q_UNUSED(description);
    if (deviceOpen || !driver)
        return true;
    const DriverCall call(*this);
    ftStatus = driver->open(index, &ftHandle);
    if (ftStatus != FT_OK)
        return true;
    deviceOpen = true;
    driver->setBaudRate(ftHandle, 115200);
    driver->setDataCharacteristics(ftHandle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE);
    // Asked before the opening text, so that no answer to it goes unannounced.
    notifying
        = driver->setEventNotification(ftHandle, FT_EVENT_RXCHAR, [this] { notified(); }) == FT_OK;
    quint32 written = 0;
    const FT_STATUS status = driver->write(ftHandle, openingText, sizeof openingText, &written);
    if (status != FT_OK) {
        failed(status);
        return true;
    }
    active();
    return false;
}

// Bytes went in or out: poll fast for a while, the answer may be coming.
void FTDI_Control::active()
{
    sinceActivity.start();
    if (!pollTimer->isActive() || pollTimer->interval() != fastPollMs)
        pollTimer->start(fastPollMs);
}

// The line has been quiet for the fast window.
void FTDI_Control::quiet()
{
    if (notifying)
        pollTimer->stop();
    else if (pollTimer->interval() != slowPollMs)
        pollTimer->setInterval(slowPollMs);
}

void FTDI_Control::notified()
{
    if (!wakePosted.exchange(true))
        QMetaObject::invokeMethod(this, &FTDI_Control::wake, Qt::QueuedConnection);
}

void FTDI_Control::wake()
{
    // Cleared first: what is announced during this poll gets a poll of its
    // own.
    wakePosted = false;
    poll();
}

// The converter failed under the open link: close its handle whatever the
// driver says about it (a vanished device cannot close cleanly), so that the
// link is closed and can open it again.
void FTDI_Control::failed(FT_STATUS status)
{
    driver->close(ftHandle);
    ftStatus = status;
    ftHandle = nullptr;
    deviceOpen = false;
    notifying = false;
    pollTimer->stop();
}

bool FTDI_Control::isOpen() const
{
    return deviceOpen;
}

void FTDI_Control::receiveUSBdata()
{
    poll();
}

void FTDI_Control::poll()
{
    if (driverCalls > 0) {
        pollAfterCall = true;
        return;
    }
    if (!deviceOpen)
        return;
    const DriverCall call(*this);
    quint32 rxQueued = 0;
    quint32 txQueued = 0;
    quint32 eventStatus = 0;
    // A failed status call leaves the queue count undefined: never use it as a
    // read length. It means the converter is gone.
    if (const FT_STATUS status = driver->getStatus(ftHandle, &rxQueued, &txQueued, &eventStatus);
        status != FT_OK) {
        failed(status);
        return;
    }
    if (rxQueued == 0) {
        if (sinceActivity.elapsed() >= fastWindowMs)
            quiet();
        return;
    }
    // More than the buffer holds stays queued for the next poll: nothing is
    // read beyond the buffer and nothing is lost.
    char buffer[pollBufferSize + 1];
    quint32 got = 0;
    ftStatus = driver->read(ftHandle, buffer, qMin(rxQueued, pollBufferSize), &got);
    if (ftStatus != FT_OK) {
        failed(ftStatus);
        return;
    }
    if (got == 0)
        return;
    active();
    got = qMin(got, pollBufferSize);
    // A zero byte carries nothing (the device never sends one in a report,
    // a line disturbance may): it is dropped alone, and what stands around
    // it is kept.
    const char *end = std::remove(buffer, buffer + got, '\0');
    const QString text = QString::fromLatin1(buffer, end - buffer);
    QMutexLocker locker(&rxMutex);
    rxBuffer.append(text);
}

int FTDI_Control::bytesAvailable()
{
    QMutexLocker locker(&rxMutex);
    return int(rxBuffer.size());
}

int FTDI_Control::takeBytes(char *buffer, int count)
{
    QMutexLocker locker(&rxMutex);
    // Only the poll on this same thread adds to the buffer, so waiting for
    // more than is there would never end: take what there is instead.
    const int n = qBound(0, count, int(rxBuffer.size()));
    if (n == 0)
        return 0;
    const QByteArray bytes = QStringView(rxBuffer).left(n).toLatin1();
    std::memcpy(buffer, bytes.constData(), size_t(n));
    rxBuffer.remove(0, n);
    return n;
}

int FTDI_Control::sendText(const QString &text)
{
    quint32 written = 0;
    if (deviceOpen) {
        const DriverCall call(*this);
        const QByteArray bytes = text.toLatin1();
        const FT_STATUS status
            = driver->write(ftHandle, bytes.constData(), quint32(bytes.size()), &written);
        if (status != FT_OK) {
            failed(status);
            return 0;
        }
        active();
    }
    return int(written);
}

bool FTDI_Control::closeDevice()
{
    if (!deviceOpen)
        return true;
    const DriverCall call(*this);
    ftStatus = driver->close(ftHandle);
    if (ftStatus != FT_OK)
        return true;
    deviceOpen = false;
    notifying = false;
    pollTimer->stop();
    return false;
}
