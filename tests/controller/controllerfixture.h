#pragma once

#include "controller/kalvoriicontrol.h"
#include "devicerecord.h"
#include "fakedriver.h"
#include "link/ftdi_control.h"

#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

// A controller on a fake converter. The controller's own timers are stopped
// unless asked for, so that a test decides when the receive run and the
// clock tick happen.
struct ControllerFixture
{
    std::unique_ptr<KalvorIIControl> controller;
    FakeDriver *fake = nullptr; // owned by the controller's link

    explicit ControllerFixture(const std::function<void(FakeDriver &)> &prepare = {},
                               bool keepTimers = false)
    {
        auto driver = std::make_unique<FakeDriver>();
        fake = driver.get();
        if (prepare)
            prepare(*fake);
        controller = std::make_unique<KalvorIIControl>(
            std::move(driver),
            keepTimers ? KalvorIIControl::Timers::Run : KalvorIIControl::Timers::Stopped);
    }

    Ui::KalvorIIControl &ui() { return controller->ui; }

    void poll() { controller->link->poll(); }
    void receiveOnce() { controller->receiveOnce(); }
    void clockTick() { controller->clockTick(); }

    // Polls until the fake has nothing left to read.
    void pollAll()
    {
        while (!fake->incoming.isEmpty())
            poll();
    }

    // Device output through the link into the receive accumulator: one
    // receive run, or (receiveAll) as many as the link needs to be empty.
    void receive(const QByteArray &bytes)
    {
        fake->deliver(bytes);
        pollAll();
        receiveOnce();
    }
    void receiveAll(const QByteArray &bytes)
    {
        fake->deliver(bytes);
        pollAll();
        while (controller->link->bytesAvailable() > 0)
            receiveOnce();
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

    // Device output all the way into the window: received, then clock ticks
    // until the parser has worked everything off.
    void show(const QByteArray &bytes)
    {
        receiveAll(bytes);
        qsizetype rows = -1;
        for (int tick = 0; tick < 1000
             && (!controller->receiveAccumulator.isEmpty() || rows != controller->rows().size());
             ++tick) {
            rows = controller->rows().size();
            clockTick();
        }
    }
};
