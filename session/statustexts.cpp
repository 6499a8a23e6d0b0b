#include "statustexts.h"

#include "session/devicesession.h"
#include "session/memoryread.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
// The window's texts share one translation context.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(KalvorIIControl)
};
} // namespace

ReadStatus readStatus(const MemoryRead &read)
{
    const int expected = read.expected();
    switch (read.outcome()) {
    case MemoryRead::Outcome::NotRead:
        return {};
    case MemoryRead::Outcome::Running:
        if (expected >= 0 && read.arrived() <= expected)
            return {Texts::tr("Lese Messwerte … %1 von %2").arg(read.arrived()).arg(expected)};
        return {Texts::tr("Lese Messwerte … %1 gelesen").arg(read.arrived())};
    case MemoryRead::Outcome::Complete:
        return {Texts::tr("%1 Messwerte gelesen").arg(read.rows())};
    case MemoryRead::Outcome::Incomplete:
        if (expected >= 0)
            return {Texts::tr("Nur %1 von %2 Messwerten empfangen – bitte erneut lesen")
                        .arg(read.rows())
                        .arg(expected),
                    true};
        return {Texts::tr("Nur %1 Messwerte empfangen – bitte erneut lesen").arg(read.rows()),
                true};
    case MemoryRead::Outcome::NoAnswer:
        return {Texts::tr("Keine Antwort vom Gerät"), true};
    }
    return {};
}

QString clearQuestionDetail(const MemoryRead &read, bool archived)
{
    // After an unplug the device may be another one: what was read and
    // exported says nothing about its memory.
    if (read.fromEarlierConnection())
        return Texts::tr("Messwerte noch nicht gelesen");
    const int expected = read.expected();
    switch (read.outcome()) {
    case MemoryRead::Outcome::Complete:
        if (expected == 0)
            return Texts::tr("Keine Messwerte im Gerät");
        if (archived && !read.exportedSinceRead())
            return expected < 0
                ? Texts::tr("%1 Messwerte gelesen und im Archiv gesichert").arg(read.rows())
                : Texts::tr("%1 Messwerte im Gerät, gelesen und im Archiv gesichert").arg(expected);
        if (expected < 0)
            return read.exportedSinceRead()
                ? Texts::tr("%1 Messwerte gelesen und exportiert").arg(read.rows())
                : Texts::tr("%1 Messwerte gelesen, noch nicht exportiert").arg(read.rows());
        return read.exportedSinceRead()
            ? Texts::tr("%1 Messwerte im Gerät, gelesen und exportiert").arg(expected)
            : Texts::tr("%1 Messwerte im Gerät, noch nicht exportiert").arg(expected);
    case MemoryRead::Outcome::Incomplete:
        if (expected >= 0)
            return Texts::tr("%1 Messwerte im Gerät, nicht vollständig gelesen").arg(expected);
        return Texts::tr("Messwerte nicht vollständig gelesen");
    case MemoryRead::Outcome::NotRead:
    case MemoryRead::Outcome::Running:
    case MemoryRead::Outcome::NoAnswer:
        break;
    }
    return Texts::tr("Messwerte noch nicht gelesen");
}

ReadStatus clearStatus(DeviceSession::ClearResult result, bool connected)
{
    switch (result) {
    case DeviceSession::ClearResult::Cleared:
        return {Texts::tr("Speicher gelöscht")};
    case DeviceSession::ClearResult::ConnectionChanged:
        return {Texts::tr("Speicher nicht gelöscht: Verbindung unterbrochen"), true};
    case DeviceSession::ClearResult::NotAllowed:
    case DeviceSession::ClearResult::NotSent:
        break;
    }
    return {connected ? Texts::tr("Speicher nicht gelöscht")
                      : Texts::tr("Speicher nicht gelöscht: kein Kalvor 2 verbunden"),
            true};
}

QString exportedStatus(const QString &pointFile, const QString &commaFile, bool commaWritten)
{
    const QString point = QFileInfo(pointFile).fileName();
    if (commaFile.isEmpty())
        return Texts::tr("Exportiert: %1").arg(point); // a workbook, the only file
    if (!commaWritten)
        return Texts::tr("Exportiert: %1, Kommadatei nicht geschrieben").arg(point);
    return Texts::tr("Exportiert: %1, %2").arg(point, QFileInfo(commaFile).fileName());
}

QString settingName(ReportSink::Value key)
{
    switch (key) {
    case ReportSink::Value::DeviceId:
        return Texts::tr("ID Nummer");
    case ReportSink::Value::WakeThreshold:
        return Texts::tr("Schwellwert (Aufwachen)");
    case ReportSink::Value::Duration:
        return Texts::tr("Dauer");
    case ReportSink::Value::Brightness:
        return Texts::tr("Helligkeit");
    case ReportSink::Value::RadioChannel:
        return Texts::tr("Funkkanal");
    case ReportSink::Value::Cycles:
        return Texts::tr("Anzahl");
    case ReportSink::Value::CycleTime:
        return Texts::tr("Zykluszeit");
    case ReportSink::Value::FillLevel:
    case ReportSink::Value::EntryCount:
        break;
    }
    return QString();
}

ReadStatus settingsWriteStatus(const SettingsWriteOutcome &outcome)
{
    switch (outcome.status) {
    case SettingsWriteOutcome::Confirmed:
        return {Texts::tr("Einstellungen übertragen und bestätigt")};
    case SettingsWriteOutcome::NotTaken: {
        QStringList differences;
        for (const DeviceSetting &setting : deviceSettings) {
            const int written = outcome.written.*setting.field;
            const int held = outcome.held.*setting.field;
            if (held != written)
                differences << Texts::tr("%1: im Gerät %2 statt %3")
                                   .arg(settingName(setting.key))
                                   .arg(held)
                                   .arg(written);
        }
        return {
            Texts::tr("Vom Gerät nicht übernommen: %1").arg(differences.join(QLatin1String("; "))),
            true};
    }
    case SettingsWriteOutcome::Unconfirmed:
        return {Texts::tr("Keine Bestätigung vom Gerät – bitte Einstellungen einlesen"), true};
    case SettingsWriteOutcome::Cut: {
        QStringList names;
        if (outcome.clockUnsent)
            names << Texts::tr("Uhrzeit");
        for (ReportSink::Value key : outcome.unsent)
            names << settingName(key);
        return {Texts::tr("Einstellungen nicht vollständig geschrieben – nicht übertragen: %1")
                    .arg(names.join(QLatin1String(", "))),
                true};
    }
    }
    return {};
}

QString openFailureText(FT_STATUS status, bool deviceRule)
{
    if (status == FT_OK)
        return QString();
    // With the rule, the converter is the user's once it is plugged in anew
    // (the rule acts when the device appears); without it, the group grants
    // access, from the next login on.
    if (status == FT_PERMISSION_DENIED)
        return deviceRule
            ? Texts::tr("Keine Berechtigung: Wandler abziehen und wieder einstecken")
            : Texts::tr("Keine Berechtigung: zur Gruppe „dialout“ hinzufügen und neu anmelden");
    if (status == FT_DEVICE_BUSY)
        return Texts::tr("Ein anderes Programm benutzt den Wandler");
    return Texts::tr("Der Wandler lässt sich nicht öffnen");
}

bool deviceRuleInstalled()
{
    for (const char *folder : {"/etc/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d"}) {
        if (QFileInfo::exists(QLatin1String(folder) + QLatin1String("/60-kalvor2.rules")))
            return true;
    }
    return false;
}
