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

FTDI_Control::FTDI_Control(std::unique_ptr<FtdiDriver> driverToUse)
    : QObject(nullptr)
    , driver(std::move(driverToUse))
{
    pollTimer = new QTimer;
    connect(pollTimer, SIGNAL(timeout()), this, SLOT(receiveUSBdata()));
    pollTimer->start(1);
}

FTDI_Control::~FTDI_Control()
{
    delete pollTimer;
}

int FTDI_Control::deviceCount()
{
    quint32 count = 0;
    ftStatus = driver ? driver->createDeviceInfoList(&count) : FT_OTHER_ERROR;
    if (ftStatus != FT_OK)
        return -1;
    return int(count);
}

bool FTDI_Control::openDevice(const QString &description)
{
    // The first converter in the driver's list is opened, whatever the
    // description says: the device's converter carries no usable name.
    Q_UNUSED(description);
    if (deviceOpen || !driver)
        return true;
    ftStatus = driver->open(0, &ftHandle);
    if (ftStatus != FT_OK)
        return true;
    deviceOpen = true;
    driver->setBaudRate(ftHandle, 115200);
    driver->setDataCharacteristics(ftHandle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE);
    quint32 written = 0;
    driver->write(ftHandle, openingText, sizeof openingText, &written);
    return false;
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
    if (!deviceOpen)
        return;
    quint32 rxQueued = 0;
    quint32 txQueued = 0;
    quint32 eventStatus = 0;
    // A failed status call leaves the queue count undefined: never use it as a
    // read length.
    if (driver->getStatus(ftHandle, &rxQueued, &txQueued, &eventStatus) != FT_OK || rxQueued == 0)
        return;
    // More than the buffer holds stays queued for the next poll: nothing is
    // read beyond the buffer and nothing is lost.
    char buffer[pollBufferSize + 1];
    quint32 got = 0;
    ftStatus = driver->read(ftHandle, buffer, qMin(rxQueued, pollBufferSize), &got);
    if (ftStatus != FT_OK || got == 0)
        return;
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
        const QByteArray bytes = text.toLatin1();
        driver->write(ftHandle, bytes.constData(), quint32(bytes.size()), &written);
    }
    return int(written);
}

bool FTDI_Control::closeDevice()
{
    if (!deviceOpen)
        return true;
    ftStatus = driver->close(ftHandle);
    if (ftStatus != FT_OK)
        return true;
    deviceOpen = false;
    return false;
}
