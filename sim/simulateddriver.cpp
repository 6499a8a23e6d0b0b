#include "simulateddriver.h"

#include "simulateddevice.h"

#include <QTimer>

#include <cstring>

SimulatedDriver::SimulatedDriver(Timing timing, std::shared_ptr<SimulatedDevice> device)
    : m_timing(timing)
    , m_device(device ? std::move(device) : SimulatedDevice::createDemo())
{
    m_elapsed.start();
}

SimulatedDriver::~SimulatedDriver() = default;

void SimulatedDriver::setTiming(Timing timing)
{
    update();
    m_timing = timing;
    if (m_timing == Timing::WireRate) {
        // What is still on the way starts its trip now.
        m_lineStartMs = m_lastNow;
        m_lineSent = 0;
    }
    update();
}

void SimulatedDriver::setTimeSource(TimeSource source)
{
    m_timeSource = std::move(source);
    m_lastNow = now();
    m_lineStartMs = m_lastNow;
    m_lineSent = 0;
    scheduleWake();
}

void SimulatedDriver::unplug()
{
    m_unplugged = true;
    if (m_open)
        announce(0);
    scheduleWake();
}

qint64 SimulatedDriver::now() const
{
    return m_timeSource ? m_timeSource() : m_elapsed.elapsed();
}

FT_STATUS SimulatedDriver::createDeviceInfoList(quint32 *count)
{
    if (!count)
        return FT_INVALID_PARAMETER;
    *count = m_unplugged ? 0 : 1;
    return FT_OK;
}

FT_STATUS SimulatedDriver::open(int index, FT_HANDLE *handle)
{
    if (!handle)
        return FT_INVALID_PARAMETER;
    if (index != 0 || m_unplugged)
        return FT_DEVICE_NOT_FOUND;
    if (m_open)
        return FT_DEVICE_NOT_OPENED; // the one converter is in use already
    m_open = true;
    dropOutput();
    *handle = this;
    return FT_OK;
}

FT_STATUS SimulatedDriver::setBaudRate(FT_HANDLE handle, quint32 baudRate)
{
    if (const FT_STATUS status = checkHandle(handle); status != FT_OK)
        return status;
    if (baudRate == 0)
        return FT_INVALID_PARAMETER;
    m_baudRate = baudRate;
    return FT_OK;
}

FT_STATUS SimulatedDriver::setDataCharacteristics(FT_HANDLE handle, quint8 wordLength,
                                                  quint8 stopBits, quint8 parity)
{
    if (const FT_STATUS status = checkHandle(handle); status != FT_OK)
        return status;
    if ((wordLength != 7 && wordLength != 8) || (stopBits != 0 && stopBits != 2) || parity > 4)
        return FT_INVALID_PARAMETER;
    m_wordLength = wordLength;
    m_stopBits = stopBits;
    m_parity = parity;
    return FT_OK;
}

FT_STATUS SimulatedDriver::getStatus(FT_HANDLE handle, quint32 *rxQueued, quint32 *txQueued,
                                     quint32 *eventStatus)
{
    if (const FT_STATUS status = checkHandle(handle); status != FT_OK)
        return status;
    if (!rxQueued || !txQueued || !eventStatus)
        return FT_INVALID_PARAMETER;
    update();
    *rxQueued = quint32(qMin<qint64>(m_arrived - m_read, std::numeric_limits<quint32>::max()));
    *txQueued = 0; // the device takes written bytes at once
    *eventStatus = 0;
    return FT_OK;
}

FT_STATUS SimulatedDriver::read(FT_HANDLE handle, void *buffer, quint32 toRead, quint32 *got)
{
    if (const FT_STATUS status = checkHandle(handle); status != FT_OK)
        return status;
    if (!got || (!buffer && toRead > 0))
        return FT_INVALID_PARAMETER;
    update();
    // Never waits for more: what has arrived is what the read gets.
    const qint64 n = qMin<qint64>(toRead, m_arrived - m_read);
    if (n > 0)
        std::memcpy(buffer, m_output.constData() + m_read, size_t(n));
    m_read += n;
    *got = quint32(n);
    // Drop what has been read once it is the larger part of the buffer.
    if (m_read > 65536 && m_read * 2 > m_output.size()) {
        m_output.remove(0, m_read);
        m_arrived -= m_read;
        m_read = 0;
    }
    return FT_OK;
}

FT_STATUS SimulatedDriver::write(FT_HANDLE handle, const void *buffer, quint32 toWrite,
                                 quint32 *written)
{
    if (written)
        *written = 0;
    if (const FT_STATUS status = checkHandle(handle); status != FT_OK)
        return status;
    if (!written || (!buffer && toWrite > 0))
        return FT_INVALID_PARAMETER;
    update();
    m_device->receive(QByteArray(static_cast<const char *>(buffer), qsizetype(toWrite)), m_lastNow);
    if (toWrite > 0)
        m_lastWriteMs = m_lastNow;
    update(); // the device's answer sets off now
    *written = toWrite;
    return FT_OK;
}

FT_STATUS SimulatedDriver::close(FT_HANDLE handle)
{
    // An unplugged converter's handle can still be closed: the host lets go
    // of it, so that the converter can be opened again when it comes back.
    if (!m_open || handle != this)
        return FT_INVALID_HANDLE;
    m_open = false;
    m_notify = nullptr;
    m_notifyMask = 0;
    dropOutput();
    scheduleWake();
    return m_unplugged ? FT_IO_ERROR : FT_OK;
}

FT_STATUS SimulatedDriver::setEventNotification(FT_HANDLE handle, quint32 mask, Notification notify)
{
    if (const FT_STATUS status = checkHandle(handle); status != FT_OK)
        return status;
    m_notifyMask = mask;
    m_notify = mask != 0 ? std::move(notify) : Notification();
    scheduleWake();
    return FT_OK;
}

FT_STATUS SimulatedDriver::checkHandle(FT_HANDLE handle) const
{
    if (!m_open || handle != this)
        return FT_INVALID_HANDLE;
    return m_unplugged ? FT_IO_ERROR : FT_OK;
}

void SimulatedDriver::update()
{
    const qint64 arrivedBefore = m_arrived;
    // The time source may be anything; the line never runs backwards.
    m_lastNow = qMax(m_lastNow, now());
    m_device->advanceTo(m_lastNow);
    const QList<SimulatedDevice::Output> output = m_device->takeOutput();
    for (const SimulatedDevice::Output &chunk : output) {
        if (!m_open)
            continue; // sent into a closed port: nobody receives it
        const qint64 at = qBound(m_lineStartMs, chunk.atMs, m_lastNow);
        moveArrivedBytes(at);
        if (m_arrived == m_output.size()) {
            // The line was idle: the chunk starts its own run of bytes.
            m_lineStartMs = at;
            m_lineSent = 0;
        }
        m_output += chunk.bytes;
    }
    moveArrivedBytes(m_lastNow);
    if (m_arrived > arrivedBefore)
        announce(FT_EVENT_RXCHAR);
    scheduleWake();
}

void SimulatedDriver::moveArrivedBytes(qint64 untilMs)
{
    const qint64 onTheLine = m_output.size() - m_arrived;
    if (onTheLine == 0)
        return;
    if (m_timing == Timing::Instant) {
        m_arrived = m_output.size();
        return;
    }
    const qint64 due = (untilMs - m_lineStartMs) * wireBytesPerSecond / 1000 - m_lineSent;
    const qint64 n = qBound<qint64>(0, due, onTheLine);
    m_arrived += n;
    m_lineSent += n;
}

void SimulatedDriver::dropOutput()
{
    m_device->takeOutput();
    m_output.clear();
    m_read = 0;
    m_arrived = 0;
    m_lineStartMs = m_lastNow = qMax(m_lastNow, now());
    m_lineSent = 0;
}

// A failure (event 0) is announced whatever was asked for.
void SimulatedDriver::announce(quint32 event)
{
    if (m_notify && (event == 0 || (m_notifyMask & event)))
        m_notify();
}

void SimulatedDriver::scheduleWake()
{
    const bool listening = m_open && !m_unplugged && m_notify && !m_timeSource;
    if (!listening) {
        if (m_wakeTimer)
            m_wakeTimer->stop();
        return;
    }
    qint64 dueMs = std::numeric_limits<qint64>::max();
    if (m_output.size() > m_arrived) {
        // Bytes on the line arrive one by one: the next one is due once the
        // line has carried it (at once in Instant timing).
        dueMs = m_timing == Timing::Instant ? m_lastNow
                                            : m_lineStartMs
                + ((m_lineSent + 1) * 1000 + wireBytesPerSecond - 1) / wireBytesPerSecond;
    }
    // The device answers a command without a line end once the host has
    // been silent for its pause.
    if (const qint64 pauseEnd = m_lastWriteMs + SimulatedDevice::commandPauseMs;
        pauseEnd > m_lastNow)
        dueMs = qMin(dueMs, pauseEnd);
    if (dueMs == std::numeric_limits<qint64>::max()) {
        if (m_wakeTimer)
            m_wakeTimer->stop();
        return;
    }
    if (!m_wakeTimer) {
        m_wakeTimer = std::make_unique<QTimer>();
        m_wakeTimer->setSingleShot(true);
        m_wakeTimer->setTimerType(Qt::PreciseTimer);
        QObject::connect(m_wakeTimer.get(), &QTimer::timeout, m_wakeTimer.get(),
                         [this] { update(); });
    }
    m_wakeTimer->start(int(qBound(qint64(0), dueMs - now(), qint64(1000 * 1000))));
}
