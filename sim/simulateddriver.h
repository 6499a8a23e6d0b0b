#pragma once

#include "link/ftdidriver.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <functional>
#include <limits>
#include <memory>

class QTimer;
class SimulatedDevice;

// The link's driver backend for a simulated Kalvor II: one converter in the
// list, with the device behind it. What the host writes reaches the device at
// once; what the device sends reaches the receive queue either all at once
// (for tests) or at the pace of the real line, 115200 baud with 8N1 framing,
// that is 10 bits and so 11,520 bytes per second.
//
// Bytes reach the receive queue as the driver's calls bring the line up to
// the time, and it announces them then (setEventNotification), and an unplug
// too. In real time, while someone listens, it also wakes by itself when the
// next bytes are due (the next byte on the line, or the end of the pause
// after which the device answers a command without a line end), so that a
// host that does not poll hears of them; this needs an event loop. With a
// handed-in time source, time moves only when its owner says, and no timer
// runs. Text the device says of its own accord (SimulatedDevice::say) is
// found at the next call.
class SimulatedDriver : public FtdiDriver
{
public:
    enum class Timing { Instant, WireRate };
    static constexpr qint64 wireBytesPerSecond = 115200 / 10;

    // Milliseconds on any monotonic scale; tests and the benchmark pass a
    // simulated clock.
    using TimeSource = std::function<qint64()>;

    // Without a device the demo's device is made.
    explicit SimulatedDriver(Timing timing = Timing::WireRate,
                             std::shared_ptr<SimulatedDevice> device = nullptr);
    ~SimulatedDriver() override;

    SimulatedDevice &device() { return *m_device; }
    Timing timing() const { return m_timing; }
    void setTiming(Timing timing);
    // An empty function brings back the default, real elapsed time since the
    // driver was made.
    void setTimeSource(TimeSource source);
    qint64 now() const;

    bool isOpen() const { return m_open; }
    // Pulls the converter out: the list is empty and every call on the open
    // handle fails with an I/O error from now on, as after a real unplug.
    void unplug();
    // Plugs it back in: listed again, and it opens again once the old handle
    // is closed. The device behind it keeps its settings and memory.
    void replug() { m_unplugged = false; }
    bool isPlugged() const { return !m_unplugged; }
    quint32 baudRate() const { return m_baudRate; }
    // Bytes the device has sent that have not yet reached the receive queue.
    qint64 bytesOnTheLine() const { return m_output.size() - m_arrived; }

    FT_STATUS createDeviceInfoList(quint32 *count) override;
    FT_STATUS open(int index, FT_HANDLE *handle) override;
    FT_STATUS setBaudRate(FT_HANDLE handle, quint32 baudRate) override;
    FT_STATUS setDataCharacteristics(FT_HANDLE handle, quint8 wordLength, quint8 stopBits,
                                     quint8 parity) override;
    FT_STATUS getStatus(FT_HANDLE handle, quint32 *rxQueued, quint32 *txQueued,
                        quint32 *eventStatus) override;
    FT_STATUS read(FT_HANDLE handle, void *buffer, quint32 toRead, quint32 *got) override;
    FT_STATUS write(FT_HANDLE handle, const void *buffer, quint32 toWrite,
                    quint32 *written) override;
    FT_STATUS close(FT_HANDLE handle) override;
    FT_STATUS setEventNotification(FT_HANDLE handle, quint32 mask, Notification notify) override;

private:
    // FT_OK for the open converter's handle, otherwise the call's failure.
    FT_STATUS checkHandle(FT_HANDLE handle) const;
    // Brings device and line up to the current time.
    void update();
    void moveArrivedBytes(qint64 untilMs);
    void dropOutput();
    void announce(quint32 event);
    // Arms the wake timer for the next time bytes are due, or stops it.
    void scheduleWake();

    Timing m_timing;
    std::shared_ptr<SimulatedDevice> m_device;
    TimeSource m_timeSource;
    QElapsedTimer m_elapsed;
    qint64 m_lastNow = 0;

    bool m_open = false;
    bool m_unplugged = false;
    quint32 m_baudRate = 115200;
    quint8 m_wordLength = FT_BITS_8;
    quint8 m_stopBits = FT_STOP_BITS_1;
    quint8 m_parity = FT_PARITY_NONE;

    // Everything the device has sent and the host has not read yet:
    // [m_read, m_arrived) waits in the receive queue, [m_arrived, end) is
    // still on its way. Offsets instead of removals keep a long memory report
    // linear to move.
    QByteArray m_output;
    qint64 m_read = 0;
    qint64 m_arrived = 0;
    // The line sends without gaps from m_lineStartMs on; m_lineSent bytes
    // have arrived since then.
    qint64 m_lineStartMs = 0;
    qint64 m_lineSent = 0;

    Notification m_notify;
    quint32 m_notifyMask = 0;
    std::unique_ptr<QTimer> m_wakeTimer; // made when first needed
    qint64 m_lastWriteMs = std::numeric_limits<qint64>::min() / 2;
};
