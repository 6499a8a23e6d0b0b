#include "serialportdriver.h"

#include <QDir>
#include <QSerialPort>
#include <QSerialPortInfo>

#include <algorithm>

#include <unistd.h>

namespace {
constexpr quint16 ftdiVendorId = 0x0403;
}

SerialPortDriver::SerialPortDriver()
{
    // The program looks at the list once a second. Asking the system for
    // every serial port's vendor costs some 15 ms; the names of the USB
    // serial device nodes cost a fraction of a millisecond, and the FTDI
    // ports can only change when they do.
    // A new node's vendor may be known to the system only a moment after
    // the node appears: after a change the vendors are asked for again at
    // the next few looks.
    struct Cache
    {
        QStringList nodes;
        QStringList ftdi;
        int looksToAskAgain = 0;
    };
    auto cache = std::make_shared<Cache>();
    m_lister = [cache] {
        QStringList nodes = QDir(QStringLiteral("/dev"))
                                .entryList({QStringLiteral("ttyUSB*")}, QDir::System, QDir::Name);
        if (nodes != cache->nodes) {
            cache->nodes = std::move(nodes);
            cache->looksToAskAgain = 5;
        }
        if (cache->looksToAskAgain > 0) {
            --cache->looksToAskAgain;
            cache->ftdi = cache->nodes.isEmpty() ? QStringList() : ftdiPortNames();
        }
        return cache->ftdi;
    };
}

SerialPortDriver::SerialPortDriver(PortLister lister)
    : m_lister(std::move(lister))
{
}

SerialPortDriver::SerialPortDriver(const QStringList &portNames)
    : m_portNames(portNames)
{
}

bool SerialPortDriver::naturalLess(const QString &a, const QString &b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            qsizetype endA = i;
            while (endA < a.size() && a.at(endA).isDigit())
                ++endA;
            qsizetype endB = j;
            while (endB < b.size() && b.at(endB).isDigit())
                ++endB;
            // Compare the numbers by value: shorter (without leading zeros)
            // is smaller, equal length compares digit by digit.
            QStringView numberA = QStringView(a).mid(i, endA - i);
            QStringView numberB = QStringView(b).mid(j, endB - j);
            while (numberA.size() > 1 && numberA.front() == u'0')
                numberA = numberA.mid(1);
            while (numberB.size() > 1 && numberB.front() == u'0')
                numberB = numberB.mid(1);
            if (numberA.size() != numberB.size())
                return numberA.size() < numberB.size();
            if (const int order = numberA.compare(numberB); order != 0)
                return order < 0;
            i = endA;
            j = endB;
            continue;
        }
        if (a.at(i) != b.at(j))
            return a.at(i) < b.at(j);
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

SerialPortDriver::~SerialPortDriver() = default;

QStringList SerialPortDriver::ftdiPortNames()
{
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports) {
        if (info.hasVendorIdentifier() && info.vendorIdentifier() == ftdiVendorId)
            names << info.portName();
    }
    return names;
}

FT_STATUS SerialPortDriver::createDeviceInfoList(quint32 *count)
{
    if (m_lister) {
        m_portNames = m_lister();
        std::sort(m_portNames.begin(), m_portNames.end(), naturalLess);
    }
    *count = quint32(m_portNames.size());
    return FT_OK;
}

FT_STATUS SerialPortDriver::open(int index, FT_HANDLE *handle)
{
    if (m_port)
        return FT_DEVICE_NOT_OPENED;
    if (m_lister && m_portNames.isEmpty()) {
        quint32 count = 0;
        createDeviceInfoList(&count);
    }
    if (index < 0 || index >= m_portNames.size())
        return FT_DEVICE_NOT_FOUND;

    auto port = std::make_unique<QSerialPort>();
    port->setPortName(m_portNames.at(index));
    if (!port->open(QIODevice::ReadWrite)) {
        if (port->error() != QSerialPort::PermissionError)
            return FT_DEVICE_NOT_OPENED;
        // Qt reports a port that another program holds (its lock, or an
        // exclusive open) as a permission error too. Whether this user may
        // open the device node at all tells the two apart.
        const QByteArray node = QSerialPortInfo(*port).systemLocation().toLocal8Bit();
        return ::access(node.constData(), R_OK | W_OK) == 0 ? FT_DEVICE_BUSY : FT_PERMISSION_DENIED;
    }
    port->setBaudRate(115200);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    // Whatever the converter collected before we came is not an answer to us.
    port->clear(QSerialPort::Input);

    // After an unplug Qt SerialPort may report a read or resource error over
    // and over, at full CPU. Close the port at the first such error; every
    // later call then fails quietly, as a vanished converter does. Whoever
    // waits for announcements hears of it, so that the next call finds out.
    QObject::connect(port.get(), &QSerialPort::errorOccurred, port.get(),
                     [this](QSerialPort::SerialPortError error) {
                         if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError
                             || error == QSerialPort::WriteError) {
                             fail();
                             if (m_notify)
                                 m_notify();
                         }
                     });
    QObject::connect(port.get(), &QSerialPort::readyRead, port.get(), [this] {
        if (m_notify && (m_notifyMask & FT_EVENT_RXCHAR))
            m_notify();
    });
    m_port = std::move(port);
    m_failed = false;
    *handle = m_port.get();
    return FT_OK;
}

bool SerialPortDriver::usable(FT_HANDLE handle) const
{
    return m_port && !m_failed && handle == m_port.get() && m_port->isOpen();
}

void SerialPortDriver::fail()
{
    m_failed = true;
    if (m_port && m_port->isOpen())
        m_port->close();
}

FT_STATUS SerialPortDriver::setBaudRate(FT_HANDLE handle, quint32 baudRate)
{
    if (!usable(handle))
        return FT_INVALID_HANDLE;
    return m_port->setBaudRate(qint32(baudRate)) ? FT_OK : FT_IO_ERROR;
}

FT_STATUS SerialPortDriver::setDataCharacteristics(FT_HANDLE handle, quint8 wordLength,
                                                   quint8 stopBits, quint8 parity)
{
    if (!usable(handle))
        return FT_INVALID_HANDLE;
    if (wordLength < 5 || wordLength > 8)
        return FT_INVALID_PARAMETER;
    bool ok = m_port->setDataBits(QSerialPort::DataBits(wordLength));
    ok = m_port->setStopBits(stopBits == FT_STOP_BITS_1 ? QSerialPort::OneStop
                                                        : QSerialPort::TwoStop)
        && ok;
    ok = m_port->setParity(parity == FT_PARITY_NONE ? QSerialPort::NoParity
                                                    : QSerialPort::EvenParity)
        && ok;
    return ok ? FT_OK : FT_IO_ERROR;
}

FT_STATUS SerialPortDriver::getStatus(FT_HANDLE handle, quint32 *rxQueued, quint32 *txQueued,
                                      quint32 *eventStatus)
{
    *rxQueued = 0;
    *txQueued = 0;
    *eventStatus = 0;
    if (!usable(handle))
        return FT_IO_ERROR;
    // The port's read notifier fills its buffer whenever events are
    // processed; what it holds is the converter's receive queue for us.
    // (waitForReadyRead(0) is not called: it raises TimeoutError on every
    // empty poll.)
    *rxQueued = quint32(m_port->bytesAvailable());
    *txQueued = quint32(m_port->bytesToWrite());
    return FT_OK;
}

FT_STATUS SerialPortDriver::read(FT_HANDLE handle, void *buffer, quint32 toRead, quint32 *got)
{
    *got = 0;
    if (!usable(handle))
        return FT_IO_ERROR;
    const qint64 n = m_port->read(static_cast<char *>(buffer), qint64(toRead));
    if (n < 0) {
        fail();
        return FT_IO_ERROR;
    }
    *got = quint32(n);
    return FT_OK;
}

FT_STATUS SerialPortDriver::write(FT_HANDLE handle, const void *buffer, quint32 toWrite,
                                  quint32 *written)
{
    *written = 0;
    if (!usable(handle))
        return FT_IO_ERROR;
    const qint64 n = m_port->write(static_cast<const char *>(buffer), qint64(toWrite));
    if (n < 0) {
        fail();
        return FT_IO_ERROR;
    }
    // Commands are short and paced by the caller; hand them to the kernel now.
    // On Unix the bytes leave only here: a write the converter refuses shows
    // as the port failing during the flush, and must not count as written.
    m_port->flush();
    if (m_failed || !m_port->isOpen())
        return FT_IO_ERROR;
    *written = quint32(n);
    return FT_OK;
}

FT_STATUS SerialPortDriver::close(FT_HANDLE handle)
{
    if (!m_port || handle != m_port.get())
        return FT_INVALID_HANDLE;
    m_notify = nullptr;
    m_notifyMask = 0;
    if (m_port->isOpen())
        m_port->close();
    m_port.reset();
    return FT_OK;
}

FT_STATUS SerialPortDriver::setEventNotification(FT_HANDLE handle, quint32 mask,
                                                 Notification notify)
{
    if (!usable(handle))
        return FT_INVALID_HANDLE;
    m_notifyMask = mask;
    m_notify = mask != 0 ? std::move(notify) : Notification();
    return FT_OK;
}
