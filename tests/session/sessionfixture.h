#pragma once

#include "devicefeed.h"
#include "devicerecord.h"
#include "session/clock.h"
#include "sim/simulateddevice.h"
#include "sim/simulateddriver.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// A session on a fake converter, opened as the program opens it. It runs no
// timers, so that a test decides when the link is polled and when the receive
// run and the clock tick happen; its pauses return at once unless a test that
// measures them asks for the real ones. What the session hands out for the
// receive log is collected in `log`.
struct SessionFixture : DeviceFeed
{
    enum class Pauses { Skipped, Real };

    std::unique_ptr<DeviceSession> session;
    QString log;

    explicit SessionFixture(Pauses pauses = Pauses::Skipped,
                            const std::function<void(FakeDriver &)> &prepare = {})
    {
        auto driver = std::make_unique<FakeDriver>();
        fake = driver.get();
        if (prepare)
            prepare(*fake);
        session = std::make_unique<DeviceSession>(std::move(driver), DeviceSession::Timers::None,
                                                  pauses == Pauses::Real
                                                      ? DeviceSession::Pause()
                                                      : DeviceSession::Pause([](int, int) {}));
        QObject::connect(session.get(), &DeviceSession::logText, session.get(),
                         [this](const QString &text) { log += text; });
        session->openFirst();
    }

    DeviceSession &deviceSession() override { return *session; }
    void clockTick() override { session->tick(); }
};

// A session on the simulated device in simulated time, run as a program
// without a window runs it: each millisecond a poll of the link, every 50 ms
// a receive run, every 100 ms a clock tick, every second a look at the
// converter list. The session's pauses pass simulated time, and its clock
// goes with it. It opens the converter and asks for the configuration, as the
// program does at start, and runs until the device has told it.
struct SimulatedSession
{
    SimulatedDriver *driver = nullptr; // owned by the session's link
    std::unique_ptr<DeviceSession> session;
    qint64 now = 0;

    explicit SimulatedSession(std::shared_ptr<SimulatedDevice> device,
                              SimulatedDriver::Timing timing = SimulatedDriver::Timing::Instant)
    {
        auto made = std::make_unique<SimulatedDriver>(timing, std::move(device));
        driver = made.get();
        driver->setTimeSource([this] { return now; });
        session = std::make_unique<DeviceSession>(
            std::move(made), DeviceSession::Timers::None,
            [this](int eventsMs, int sleepMs) { run(eventsMs + sleepMs); });
        if (session->openFirst() && session->readConfiguration())
            runUntil([this] { return session->configurationKnown(); });
    }

    SimulatedDevice &device() { return driver->device(); }

    void run(qint64 ms)
    {
        for (const qint64 end = now + ms; now < end;) {
            ++now;
            Clock::skip(1);
            session->link()->poll();
            if (now % DeviceSession::receiveIntervalMs == 0)
                session->receiveOnce();
            if (now % DeviceSession::tickIntervalMs == 0)
                session->tick();
            if (now % DeviceSession::lookIntervalMs == 0)
                session->lookForConverter();
        }
    }
    // Runs until `done` holds, for at most a simulated minute.
    bool runUntil(const std::function<bool()> &done)
    {
        for (int step = 0; step < 6000 && !done(); ++step)
            run(10);
        return done();
    }
};
