#include "cli/commands.h"
#include "cli/console.h"
#include "cli/deviceaccess.h"
#include "cli/exitcode.h"
#include "cli/invocation.h"
#include "session/clock.h"
#include "session/devicesession.h"
#include "session/statustexts.h"

#include <QCoreApplication>

#include <optional>

// The short commands: setting the clock, writing the settings, clearing the
// memory.

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(KalvorIIControl)
};

} // namespace

int setClock(const Invocation &invocation)
{
    DeviceAccess access(invocation);
    if (const int status = access.connect(false))
        return status;
    const QDateTime now = Clock::currentDateTime();
    if (!access.session().writeClock())
        return access.notSent(Texts::tr("Uhr nicht gestellt"));
    Console::note(Texts::tr("Uhr des Geräts gestellt: %1")
                      .arg(now.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))));
    return ExitCode::done;
}

int writeConfig(const Invocation &invocation)
{
    DeviceAccess access(invocation);
    // The write sends all seven settings: those not named keep the values the
    // device reported.
    if (const int status = access.connect(true))
        return status;
    DeviceSession &session = access.session();
    DeviceSettings settings = session.reported().settings;
    for (const auto &[setting, value] : invocation.changes)
        settings.*setting->field = value;

    std::optional<SettingsWriteOutcome> outcome;
    QObject::connect(&session, &DeviceSession::settingsWriteEnded,
                     [&outcome](const SettingsWriteOutcome &ended) { outcome = ended; });
    if (!session.writeConfiguration(settings))
        return access.notSent(Texts::tr("Einstellungen nicht geschrieben"));
    // The session decides: confirmed, not taken, cut, or unconfirmed after
    // its own waiting time.
    waitUntil([&outcome] { return outcome.has_value(); }, -1);

    const ReadStatus status = settingsWriteStatus(*outcome);
    if (outcome->status == SettingsWriteOutcome::Confirmed
        || outcome->status == SettingsWriteOutcome::NotTaken)
        Console::out(deviceFactsText(session, false));
    switch (outcome->status) {
    case SettingsWriteOutcome::Confirmed:
        Console::note(status.text);
        return ExitCode::done;
    case SettingsWriteOutcome::NotTaken:
    case SettingsWriteOutcome::Unconfirmed:
        return Console::fail(ExitCode::noAnswer, status.text);
    case SettingsWriteOutcome::Cut:
        break;
    }
    return Console::fail(ExitCode::noConverter, status.text);
}

int clearMemory(const Invocation &invocation)
{
    DeviceAccess access(invocation);
    if (const int status = access.connect(false))
        return status;
    DeviceSession &session = access.session();
    if (session.clearMemory(session.connection()) != DeviceSession::ClearResult::Cleared)
        return access.notSent(Texts::tr("Speicher nicht gelöscht"));
    Console::note(Texts::tr("Speicher gelöscht"));
    return ExitCode::done;
}
