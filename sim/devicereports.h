#pragma once

#include "devicestate.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The texts the simulated device sends. The program reads its reports by
// fixed labels and fixed character widths, and only once the separator has
// arrived behind them, so every report here is a body whose values stand at
// their field widths, a line end, the separator and another line end. The line
// end in front of the separator is the one character the program throws away
// there. The separator and the labels are literal copies of the device's texts
// on purpose, not the program's constants: the simulated device holds the
// program to what a real one sends.
namespace DeviceReports {

inline constexpr char separator[] = "=========================";
inline constexpr char timeStampHeading[] = "JJJJ:MM:DD:d:hh:mm:ss";

// Sent once the opening text has woken the device.
QByteArray greeting();

QByteArray configuration(const DeviceIdentity &identity, const DeviceSettings &settings);

// Fill level (percent of the capacity, whole) and number of entries. It goes
// out as a report of its own, in front of the records: a record label
// standing in front of it would make the program drop the fill level.
QByteArray fillLevel(int percent, int entries);

// One stored measurement; number counts from 1.
QByteArray record(int number, const SimulatedMeasurement &measurement);

// How the memory report goes out after the fill-level report.
enum class MemoryLayout {
    PerRecord, // one report per record: a reader shows each row as it arrives
    OneReport, // all records in one report behind one separator, as a real device may
};

// The fill-level report followed by the records in the given layout. With
// `sendRecords` below the number of records, the stream breaks off after
// that many (the fill level still counts them all, and in one report the
// separator never comes).
QByteArray memory(const QList<SimulatedMeasurement> &records, int capacity,
                  MemoryLayout layout = MemoryLayout::PerRecord, int sendRecords = -1);

int fillPercent(int used, int capacity);

// The force as the record carries it: exactly four characters, decimal comma,
// with as many decimals as fit (2,34  23,5  0123).
QString forceText(double kiloNewton);
// The force a record shows after the trip through forceText.
double wireForce(double kiloNewton);

// yyyy:MM:dd:weekday:hh:mm:ss, weekday 1 = Monday to 7 = Sunday.
QString timeStampText(const QDateTime &time);

} // namespace DeviceReports
