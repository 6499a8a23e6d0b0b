#include "deviceaccess.h"

#include "cli/console.h"
#include "cli/exitcode.h"
#include "cli/invocation.h"
#include "link/ftdi_control.h"
#include "link/serialportdriver.h"
#include "session/devicesession.h"
#include "session/statustexts.h"
#include "sim/simulateddriver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(KalvorIIControl)
};

std::unique_ptr<FtdiDriver> driverFor(const Invocation &invocation)
{
    if (invocation.simulate)
        return simulatedDriver(invocation.simulation);
    if (!invocation.port.isEmpty())
        return std::make_unique<SerialPortDriver>(QStringList{invocation.port});
    return std::make_unique<SerialPortDriver>();
}

} // namespace

bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (timeoutMs >= 0 && elapsed.elapsed() >= timeoutMs)
            return false;
        // The session's receive timer wakes the loop at least every 50 ms.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

DeviceAccess::DeviceAccess(const Invocation &invocation)
    : m_port(invocation.port)
    , m_session(std::make_unique<DeviceSession>(driverFor(invocation), DeviceSession::Timers::None))
{
    QObject::connect(&m_receiveTimer, &QTimer::timeout, m_session.get(),
                     &DeviceSession::receiveOnce);
    QObject::connect(&m_tickTimer, &QTimer::timeout, m_session.get(), &DeviceSession::tick);
    m_receiveTimer.start(DeviceSession::receiveIntervalMs);
    m_tickTimer.start(DeviceSession::tickIntervalMs);
}

DeviceAccess::~DeviceAccess() = default;

int DeviceAccess::connect(bool settingsNeeded)
{
    if (!m_port.isEmpty() && !QFileInfo::exists(m_port)
        && !QFileInfo::exists(QStringLiteral("/dev/") + m_port))
        return Console::fail(ExitCode::noConverter,
                             Texts::tr("Den Anschluss %1 gibt es nicht: kalvor2-cli list zeigt "
                                       "die Wandler")
                                 .arg(m_port));
    if (!m_session->openFirst()) {
        if (m_session->deviceCount() <= 0)
            return Console::fail(ExitCode::noConverter,
                                 Texts::tr("Kein FTDI-Wandler gefunden: Kalvor 2 mit seinem "
                                           "Wandler einstecken"));
        const QString reason = openFailureText(m_session->openFailure(), deviceRuleInstalled());
        return Console::fail(ExitCode::noConverter,
                             m_port.isEmpty() ? reason : m_port + QStringLiteral(": ") + reason);
    }
    m_session->readConfiguration();
    DeviceSession &session = *m_session;
    const auto known = [&session, settingsNeeded] {
        return !session.isConnected()
            || (session.configurationKnown()
                && (!settingsNeeded || session.reported().allSettingsReported()));
    };
    const bool answered = waitUntil(known, answerMs);
    if (!session.isConnected())
        return Console::fail(ExitCode::noConverter,
                             Texts::tr("Verbindung zum Wandler unterbrochen: Kabel prüfen und "
                                       "erneut aufrufen"));
    if (!answered)
        return Console::fail(ExitCode::noAnswer,
                             Texts::tr("Keine Antwort vom Gerät: Kalvor 2 einschalten, Kabel "
                                       "prüfen und erneut aufrufen"));
    return ExitCode::done;
}

int DeviceAccess::notSent(const QString &what)
{
    if (!m_session->isConnected() || !m_session->link()->isOpen())
        return Console::fail(ExitCode::noConverter,
                             Texts::tr("%1: Verbindung zum Wandler unterbrochen").arg(what));
    return Console::fail(ExitCode::noConverter,
                         Texts::tr("%1: der Befehl ging nicht hinaus").arg(what));
}
