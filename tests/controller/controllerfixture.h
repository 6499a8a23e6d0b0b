#pragma once

#include "controller/kalvoriicontrol.h"
#include "fakedriver.h"
#include "link/ftdi_control.h"

#include <QMetaObject>
#include <QTest>
#include <QTimer>

#include <memory>

// A controller on a fake converter. The controller's own timers are stopped
// unless asked for, so that a test decides when the receive run and the
// clock tick happen.
struct ControllerFixture
{
    FakeDriverInstaller installer;
    std::unique_ptr<KalvorIIControl> controller;
    FakeDriver *fake = nullptr;

    explicit ControllerFixture(const std::function<void(FakeDriver &)> &prepare = {},
                               bool keepTimers = false)
    {
        installer.prepare = prepare;
        controller = std::make_unique<KalvorIIControl>();
        fake = installer.last;
        if (!keepTimers) {
            controller->clockTimer->stop();
            controller->receiveTimer->stop();
        }
    }

    Ui::KalvorIIControl &ui() { return controller->ui; }

    void invoke(const char *slot)
    {
        QVERIFY(QMetaObject::invokeMethod(controller.get(), slot, Qt::DirectConnection));
    }
    void poll()
    {
        QMetaObject::invokeMethod(controller->link, "receiveUSBdata", Qt::DirectConnection);
    }

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
        invoke("receiveSerialData");
    }
    void receiveAll(const QByteArray &bytes)
    {
        fake->deliver(bytes);
        pollAll();
        while (controller->link->bytesAvailable() > 0)
            invoke("receiveSerialData");
    }
};
