#pragma once

#include "link/ftdidriver.h"
#include "sim/simulateddevice.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

// The converter of the simulation, shared by every run of the program in
// one schedule: one of several simulated devices behind it (or none), its
// bytes handed on in chunks at the schedule's pace, with pauses, and what
// reaches a device watched for commands nobody asked for.
//
// Each open is a connection of its own; an unplug or the end of the
// program that opened it ends it, and with it what was still on the line.
class SimConverter
{
public:
    // `announces`: per device, the entry count it sends instead of the true
    // one, or -1.
    SimConverter(QList<std::shared_ptr<SimulatedDevice>> devices, QList<int> announces);

    // Simulated time, moved on by the simulation only.
    void setNow(qint64 nowMs);
    // The next moment something happens on the line (a chunk, a command the
    // device takes after its silence), later than now; or a large value.
    qint64 nextDueMs() const;
    // Brings the device and the line up to now.
    void update();
    quint32 bytesQueued() const { return quint32(m_rx.size()); }
    // The device is still sending (or holds back what it will send).
    bool sending() const { return !m_line.isEmpty() || !m_rx.isEmpty(); }

    void setPace(int chunkBytes, int gapMs);
    void pauseDevice(qint64 ms) { m_pausedUntil = m_now + ms; }
    void unplug();
    void plug(int device);
    // The program that had it open is gone: its handle is no more.
    void killed() { endConnection(); }

    int device() const { return m_device; } // -1: none plugged
    int connection() const { return m_connection; }
    bool isOpen() const { return m_openHandle != 0; }

    // What the program sent that reached a device.
    int readCommands() const { return m_readCommands; }
    // Bytes the program has taken from the receive queue, all told.
    qint64 bytesTaken() const { return m_bytesTaken; }
    int lastReadDevice() const { return m_lastReadDevice; }
    int lastReadMemorySize() const { return m_lastReadMemorySize; }
    // A clear may reach the device only on this connection, a configuration
    // text only on that; 0 allows none.
    int clearAllowedOn = 0;
    int configAllowedOn = 0;
    // Called with what went wrong.
    std::function<void(const QString &)> violation;

    // The driver calls of one run of the program.
    FT_STATUS createDeviceInfoList(quint32 *count);
    FT_STATUS open(FT_HANDLE *handle);
    FT_STATUS check(FT_HANDLE handle) const;
    FT_STATUS getStatus(FT_HANDLE handle, quint32 *rxQueued);
    FT_STATUS read(FT_HANDLE handle, void *buffer, quint32 toRead, quint32 *got);
    FT_STATUS write(FT_HANDLE handle, const void *buffer, quint32 toWrite, quint32 *written);
    FT_STATUS close(FT_HANDLE handle);

private:
    void endConnection();
    void delivered(const QByteArray &bytes);
    SimulatedDevice *current() const;

    QList<std::shared_ptr<SimulatedDevice>> m_devices;
    QList<int> m_announces;
    int m_device = 0;
    qint64 m_now = 0;
    int m_connection = 0;
    quintptr m_openHandle = 0;

    QByteArray m_line; // sent by the device, not yet in the receive queue
    QByteArray m_rx;   // the receive queue
    int m_chunkBytes = 65536;
    int m_gapMs = 1;
    qint64 m_nextChunkMs = 0;
    qint64 m_pausedUntil = 0;
    qint64 m_lastWriteMs = -1000;

    qint64 m_bytesTaken = 0;
    int m_readCommands = 0;
    int m_lastReadDevice = -1;
    int m_lastReadMemorySize = 0;
};

// The driver one run of the program is given: its calls go to the shared
// converter.
class ConverterPort : public FtdiDriver
{
public:
    explicit ConverterPort(SimConverter &converter)
        : c(converter)
    {
    }
    FT_STATUS createDeviceInfoList(quint32 *count) override
    {
        return c.createDeviceInfoList(count);
    }
    FT_STATUS open(int index, FT_HANDLE *handle) override
    {
        return index == 0 ? c.open(handle) : FT_DEVICE_NOT_FOUND;
    }
    FT_STATUS setBaudRate(FT_HANDLE handle, quint32) override { return c.check(handle); }
    FT_STATUS setDataCharacteristics(FT_HANDLE handle, quint8, quint8, quint8) override
    {
        return c.check(handle);
    }
    FT_STATUS getStatus(FT_HANDLE handle, quint32 *rxQueued, quint32 *txQueued,
                        quint32 *eventStatus) override
    {
        *txQueued = 0;
        *eventStatus = 0;
        return c.getStatus(handle, rxQueued);
    }
    FT_STATUS read(FT_HANDLE handle, void *buffer, quint32 toRead, quint32 *got) override
    {
        return c.read(handle, buffer, toRead, got);
    }
    FT_STATUS write(FT_HANDLE handle, const void *buffer, quint32 toWrite,
                    quint32 *written) override
    {
        return c.write(handle, buffer, toWrite, written);
    }
    FT_STATUS close(FT_HANDLE handle) override { return c.close(handle); }

private:
    SimConverter &c;
};
