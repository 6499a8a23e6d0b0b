#pragma once

#include <QTimer>

#include <functional>
#include <memory>

class DeviceSession;
struct Invocation;

// The device as kalvor2-cli reaches it: the converter (the first FTDI one
// that opens, the one named with --port, or the simulated device), the
// device session on it, and the session's receive run and clock tick at the
// window's pace. Unlike the window it never opens a converter again once the
// first is gone: a script that lost its device is told so and ends.
class DeviceAccess
{
public:
    explicit DeviceAccess(const Invocation &invocation);
    ~DeviceAccess();

    DeviceSession &session() { return *m_session; }

    // Opens the converter and waits for the device's configuration report
    // (with every setting in it when `settingsNeeded`). Returns 0, or the
    // exit status after saying on standard error what went wrong.
    int connect(bool settingsNeeded);
    // The exit status and message for a command the session did not send.
    int notSent(const QString &what);

    // How long the device has to answer the configuration request.
    static constexpr int answerMs = 3000;

private:
    QString m_port; // what --port named; empty for the first converter
    std::unique_ptr<DeviceSession> m_session;
    QTimer m_receiveTimer;
    QTimer m_tickTimer;
};

// Serves events until `done` says so or `timeoutMs` have passed (negative:
// no limit); false on the time-out.
bool waitUntil(const std::function<bool()> &done, int timeoutMs);
