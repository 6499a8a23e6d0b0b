#pragma once

#include "controller/kalvoriicontrol.h"
#include "devicefeed.h"
#include "devicerecord.h"

#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

// A controller on a fake converter. The controller's own timers are stopped
// unless asked for, so that a test decides when the receive run and the
// clock tick happen.
struct ControllerFixture : DeviceFeed
{
    std::unique_ptr<KalvorIIControl> controller;

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
    DeviceSession &deviceSession() override { return controller->session(); }
    void clockTick() override { controller->clockTick(); }
};
