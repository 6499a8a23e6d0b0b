#pragma once

#include "devicesettings.h"

#include <QDateTime>
#include <QList>
#include <QString>

// One write of the configuration sequence.
struct ConfigCommand
{
    QString echo;      // what the log view gets
    QString text;      // what goes to the device in one write
    int pauseEventsMs; // Pause (N, M) after the write: N ms of event processing...
    int pauseSleepMs;  // ...then M ms of blocking sleep; the last command has 0, 0 (no pause)
    QList<ReportSink::Value> settings; // the settings it carries; none for the clock
};

// The six command texts of the configuration write, in order, for the given
// local date-time and settings: clock, threshold + ID, brightness, radio
// channel, continuous measuring mode, duration.
QList<ConfigCommand> configCommands(const QDateTime &now, const DeviceSettings &settings);

// The text in double quotes followed by a blank, as the last command is
// written to the debug message output.
QString quotedForDebug(const QString &text);
