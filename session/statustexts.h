#pragma once

#include "link/ftdidriver.h"
#include "protocol/reportsink.h"
#include "session/devicesession.h"

#include <QString>

class MemoryRead;
struct SettingsWriteOutcome;

// What the program says about the device and its memory, in the window's
// language; the window and the command line say the same.

// What the status line under the memory buttons says about a read.
struct ReadStatus
{
    QString text;         // empty: nothing to say (no read yet)
    bool warning = false; // shown in the warning look, and kept until the next read
};
ReadStatus readStatus(const MemoryRead &read);

// The clear question's informative line: what clearing the memory would lose
// (`archived`: every row of the read is kept in the archive).
QString clearQuestionDetail(const MemoryRead &read, bool archived = false);

// The status line after "Speicher löschen", by what became of the command
// (`connected`: a device is connected now).
ReadStatus clearStatus(DeviceSession::ClearResult result, bool connected);

// The status line after an export; names only, the paths go in the tool tip.
QString exportedStatus(const QString &pointFile, const QString &commaFile, bool commaWritten);

// The setting's name as its caption gives it, without the colon.
QString settingName(ReportSink::Value key);

// What a configuration write achieved; a warning unless it was confirmed.
ReadStatus settingsWriteStatus(const SettingsWriteOutcome &outcome);

// Why a converter that is listed cannot be opened; empty for a status that
// says nothing about it. What helps against a missing permission depends on
// whether the package's device rule is installed (see deviceRuleInstalled()).
QString openFailureText(FT_STATUS status, bool deviceRule);

// Whether the device rule that gives the person at the computer access to
// FTDI converters (the package's 60-kalvor2.rules) is installed.
bool deviceRuleInstalled();
