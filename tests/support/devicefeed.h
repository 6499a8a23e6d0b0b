#pragma once

#include "fakedriver.h"
#include "link/ftdi_control.h"
#include "session/devicesession.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

// What the device behind a fake converter sends, on its way into a session:
// through the link's polls, the receive runs and the clock ticks, each when a
// test says so. The fixture names its session and its clock tick (the
// session's own, or the window's, which also shows the time).
struct DeviceFeed
{
    FakeDriver *fake = nullptr; // owned by the session's link

    virtual ~DeviceFeed() = default;
    virtual DeviceSession &deviceSession() = 0;
    virtual void clockTick() = 0;

    void poll() { deviceSession().link()->poll(); }
    // Polls until the fake has nothing left to read.
    void pollAll()
    {
        while (!fake->incoming.isEmpty())
            poll();
    }

    // Device output through the link into the receive accumulator, in as
    // many receive runs as the link needs to be empty.
    void receive(const QByteArray &bytes)
    {
        fake->deliver(bytes);
        pollAll();
        while (deviceSession().link()->bytesAvailable() > 0)
            deviceSession().receiveOnce();
    }

    // Device output all the way through the parser: received, then clock
    // ticks until it has worked everything off.
    void show(const QByteArray &bytes)
    {
        receive(bytes);
        const DeviceSession &session = deviceSession();
        qsizetype rows = -1;
        for (int tick = 0; tick < 1000
             && (!session.receiveAccumulator.isEmpty() || rows != session.rows().size());
             ++tick) {
            rows = session.rows().size();
            clockTick();
        }
    }

    // The longest of `ticks` receive runs with their clock ticks, in ms,
    // while the session works off what it has.
    qint64 worstTick(int ticks)
    {
        qint64 worst = 0;
        for (int i = 0; i < ticks; ++i) {
            QElapsedTimer timer;
            timer.start();
            deviceSession().receiveOnce();
            clockTick();
            worst = qMax(worst, timer.elapsed());
        }
        return worst;
    }

    // The device reports its measuring range, as its configuration report
    // does: until the connected device has told it, a memory read cannot
    // start.
    void tellMeasuringRange(int range = 20)
    {
        show(QStringLiteral("Messbereich: %1\n=========================\n")
                 .arg(range, 4, 10, QLatin1Char('0'))
                 .toLatin1());
    }
};
