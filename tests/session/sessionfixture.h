#pragma once

#include "devicefeed.h"
#include "devicerecord.h"

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
