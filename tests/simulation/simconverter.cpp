#include "simconverter.h"

#include "protocol/commands.h"

#include <cstring>
#include <limits>

namespace {
constexpr qint64 never = std::numeric_limits<qint64>::max() / 2;
}

SimConverter::SimConverter(QList<std::shared_ptr<SimulatedDevice>> devices, QList<int> announces)
    : m_devices(std::move(devices))
    , m_announces(std::move(announces))
{
}

SimulatedDevice *SimConverter::current() const
{
    return m_device >= 0 ? m_devices.at(m_device).get() : nullptr;
}

void SimConverter::setNow(qint64 nowMs)
{
    m_now = nowMs;
}

qint64 SimConverter::nextDueMs() const
{
    qint64 next = never;
    if (!m_line.isEmpty())
        next = qMax(qMax(m_nextChunkMs, m_pausedUntil), m_now + 1);
    // A command without a line end is taken once the host has been silent.
    const qint64 silence = m_lastWriteMs + SimulatedDevice::commandPauseMs;
    if (silence > m_now)
        next = qMin(next, silence);
    return next;
}

void SimConverter::update()
{
    SimulatedDevice *device = current();
    if (!device)
        return;
    device->advanceTo(m_now);
    for (const SimulatedDevice::Output &output : device->takeOutput()) {
        if (!isOpen())
            continue; // nobody listens: the line's bytes go nowhere
        QByteArray bytes = output.bytes;
        // A device that announces another count than it holds.
        const int announced = m_announces.value(m_device, -1);
        const qsizetype label = bytes.indexOf("Entries : ");
        if (announced >= 0 && label >= 0) {
            qsizetype end = label + 10;
            while (end < bytes.size() && bytes.at(end) >= '0' && bytes.at(end) <= '9')
                ++end;
            bytes.replace(label + 10, end - label - 10,
                          QByteArray::number(announced).rightJustified(4, '0'));
        }
        m_line += bytes;
    }
    if (!m_line.isEmpty() && m_now >= m_nextChunkMs && m_now >= m_pausedUntil) {
        const qsizetype n = qMin<qsizetype>(m_chunkBytes, m_line.size());
        m_rx += m_line.left(n);
        m_line.remove(0, n);
        m_nextChunkMs = m_now + m_gapMs;
    }
}

void SimConverter::setPace(int chunkBytes, int gapMs)
{
    m_chunkBytes = qMax(1, chunkBytes);
    m_gapMs = qMax(1, gapMs);
    m_nextChunkMs = qMin(m_nextChunkMs, m_now + m_gapMs);
}

void SimConverter::endConnection()
{
    m_openHandle = 0;
    m_line.clear();
    m_rx.clear();
    if (SimulatedDevice *device = current())
        device->takeOutput();
}

void SimConverter::unplug()
{
    endConnection();
    m_device = -1;
}

void SimConverter::plug(int device)
{
    unplug();
    m_device = device;
    // A device just plugged in starts afresh: nothing half received.
    m_devices.at(device)->advanceTo(m_now + SimulatedDevice::commandPauseMs);
    m_devices.at(device)->takeOutput();
}

FT_STATUS SimConverter::createDeviceInfoList(quint32 *count)
{
    *count = m_device >= 0 ? 1 : 0;
    return FT_OK;
}

FT_STATUS SimConverter::open(FT_HANDLE *handle)
{
    if (m_device < 0)
        return FT_DEVICE_NOT_FOUND;
    if (isOpen())
        return FT_DEVICE_NOT_OPENED;
    m_openHandle = quintptr(++m_connection);
    m_line.clear();
    m_rx.clear();
    *handle = reinterpret_cast<FT_HANDLE>(m_openHandle);
    return FT_OK;
}

// A handle of a connection that ended (an unplug, a program killed) fails
// as a vanished converter's does.
FT_STATUS SimConverter::check(FT_HANDLE handle) const
{
    return isOpen() && reinterpret_cast<quintptr>(handle) == m_openHandle ? FT_OK : FT_IO_ERROR;
}

FT_STATUS SimConverter::getStatus(FT_HANDLE handle, quint32 *rxQueued)
{
    *rxQueued = 0;
    if (const FT_STATUS status = check(handle); status != FT_OK)
        return status;
    update();
    *rxQueued = quint32(m_rx.size());
    return FT_OK;
}

FT_STATUS SimConverter::read(FT_HANDLE handle, void *buffer, quint32 toRead, quint32 *got)
{
    *got = 0;
    if (const FT_STATUS status = check(handle); status != FT_OK)
        return status;
    const quint32 n = qMin(toRead, quint32(m_rx.size()));
    std::memcpy(buffer, m_rx.constData(), n);
    m_rx.remove(0, n);
    m_bytesTaken += n;
    *got = n;
    return FT_OK;
}

FT_STATUS SimConverter::write(FT_HANDLE handle, const void *buffer, quint32 toWrite,
                              quint32 *written)
{
    *written = 0;
    if (const FT_STATUS status = check(handle); status != FT_OK)
        return status;
    const QByteArray bytes(static_cast<const char *>(buffer), qsizetype(toWrite));
    SimulatedDevice *device = current();
    const auto complain = [this](const QString &what) {
        if (violation)
            violation(what);
    };
    if (bytes == Commands::readMemory) {
        ++m_readCommands;
        m_lastReadDevice = m_device;
        m_lastReadMemorySize = int(device->memory().size());
    } else if (bytes == Commands::clearMemory) {
        if (clearAllowedOn != m_connection)
            complain(QStringLiteral("\"221\" reached device %1 on connection %2, but the clear "
                                    "question answered was asked on connection %3")
                         .arg(m_device + 1)
                         .arg(m_connection)
                         .arg(clearAllowedOn));
    } else if (bytes != Commands::wake && bytes != Commands::readConfiguration
               && !bytes.startsWith("\nUP")) {
        if (configAllowedOn != m_connection)
            complain(QStringLiteral("configuration text \"%1\" reached device %2 on connection "
                                    "%3, which nobody wrote to")
                         .arg(QString::fromLatin1(bytes.trimmed()))
                         .arg(m_device + 1)
                         .arg(m_connection));
    }
    device->receive(bytes, m_now);
    m_lastWriteMs = m_now;
    *written = toWrite;
    return FT_OK;
}

FT_STATUS SimConverter::close(FT_HANDLE handle)
{
    if (check(handle) != FT_OK)
        return FT_IO_ERROR;
    endConnection();
    return FT_OK;
}
