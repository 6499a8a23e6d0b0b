#pragma once

#include "protocol/devicesettings.h"

#include <QDateTime>
#include <QString>

// What is known about one memory read besides its rows: the device it came
// from, as its configuration report told it, and how the read went. The
// archive keeps it with the rows; the workbook writes it on its device sheet.
struct ReadInfo
{
    QDateTime startedAt;        // the PC's local time when the read was started
    QString serialNumber;       // as the device reported it; "??????" when it did not
    QString firmwareVersion;    // as the window shows it ("V 1.23"); empty when unknown
    QString checkDate;          // as the device reported it ("15.03.2026"); empty when unknown
    int measuringRange = -1;    // the device's measuring range; -1 when unknown
    DeviceSettings settings;    // the configuration the window showed when the read started
    bool settingsKnown = false; // false: the fields held no values from the device
    int entriesAnnounced = -1;  // the memory report's entry count; -1 when none came
    int rowsReceived = 0;       // rows the read delivered
    bool complete = false;      // every announced record arrived
    // Counts the reads a session started (from 1), telling two reads apart
    // that began within the same millisecond; not kept in files.
    quint64 sequence = 0;
};
