#pragma once

#include "devicereports.h"
#include "devicestate.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>

// A Kalvor II at the far end of the serial line: it takes the bytes the host
// writes, together with the time they arrived, understands the program's
// command texts and answers with the device's text reports.
//
// Time is whatever clock the caller counts in (milliseconds); the device uses
// it to notice the pause that ends a command without a line end and to run
// its own clock on from the moment the host set it.
class SimulatedDevice
{
public:
    static constexpr int memoryCapacity = 10000;
    static constexpr int demoRecordCount = 150;
    // Quiet time after which a command without a line end counts as complete.
    // The program pauses at least 50 ms after every command.
    static constexpr qint64 commandPauseMs = 20;

    struct Output
    {
        qint64 atMs; // when the device started to send it
        QByteArray bytes;
    };

    // Default identity and settings, empty memory.
    SimulatedDevice();

    // The demo's device: a plausible memory of demoRecordCount measurements.
    static std::shared_ptr<SimulatedDevice> createDemo();
    static std::shared_ptr<SimulatedDevice> createEmpty();
    // count generated records (at most the capacity) on the given range.
    static std::shared_ptr<SimulatedDevice> createWithRecords(int count, int measuringRange = 50);

    // Host to device. Bytes that make no command are ignored.
    void receive(const QByteArray &bytes, qint64 nowMs);
    // Lets the device notice that the host has fallen silent, which
    // completes a pending command without a line end.
    void advanceTo(qint64 nowMs);

    // The device sends text of its own accord (a status line), now.
    void say(const QByteArray &text, qint64 nowMs) { send(text, nowMs); }

    // Device to host: everything sent since the last call, oldest first.
    QList<Output> takeOutput();
    bool hasOutput() const { return !m_output.isEmpty(); }

    // State, for the program's tests and for setting a device up.
    const DeviceIdentity &identity() const { return m_identity; }
    void setIdentity(const DeviceIdentity &identity);
    const DeviceSettings &settings() const { return m_settings; }
    void setSettings(const DeviceSettings &settings);

    QDateTime clock(qint64 nowMs) const;
    void setClock(const QDateTime &time, qint64 nowMs);

    const QList<SimulatedMeasurement> &memory() const { return m_memory; }
    // Keeps at most the capacity, dropping what does not fit.
    void setMemory(const QList<SimulatedMeasurement> &records);
    // Stores a measurement taken now, stamped with the device clock and its
    // own ID; false when the memory is full.
    bool measure(double force, int positionRaw, qint64 nowMs);
    void clearMemory() { m_memory.clear(); }
    int fillLevel() const;

    // How the memory report goes out (one report per record by default).
    void setMemoryLayout(DeviceReports::MemoryLayout layout) { m_memoryLayout = layout; }
    DeviceReports::MemoryLayout memoryLayout() const { return m_memoryLayout; }
    // A device that breaks off: only the first `records` records of each
    // memory report go out (-1: all of them).
    void setRecordsSent(int records) { m_recordsSent = records; }

private:
    void takeByte(char byte, qint64 nowMs);
    void takeLine(const QByteArray &line, qint64 nowMs);
    bool runCommandWithoutLineEnd(const QByteArray &text, qint64 receivedMs, qint64 nowMs);
    bool runSetting(const QByteArray &line);
    void send(const QByteArray &bytes, qint64 atMs);

    DeviceIdentity m_identity;
    DeviceSettings m_settings;
    QDateTime m_clockBase;
    qint64 m_clockSetAtMs = 0;
    QList<SimulatedMeasurement> m_memory;
    DeviceReports::MemoryLayout m_memoryLayout = DeviceReports::MemoryLayout::PerRecord;
    int m_recordsSent = -1;

    QByteArray m_pending;          // the line received so far
    bool m_pendingTooLong = false; // garbage: wait for the line end or the pause
    bool m_awaitingCycles = false; // "8<cycle time>" came; the count line follows
    qint64 m_lastByteMs = 0;
    QList<Output> m_output;
};
