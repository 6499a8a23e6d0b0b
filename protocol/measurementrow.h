#pragma once

#include <QDateTime>
#include <QStringList>

// One measurement as the report parser makes it: the six texts the table
// shows (and the export writes), and the numbers behind them, so that nothing
// has to read numbers back out of the texts.
struct MeasurementRow
{
    enum Column { Number, Date, Time, Force, SleevePosition, DeviceId, ColumnCount };

    QStringList cells;         // ColumnCount texts, in column order
    int number = 0;            // the running number of the read
    double force = 0;          // kN, as the table shows it (rounded like the text)
    double sleevePosition = 0; // mm
    int deviceId = 0;
    QDateTime timeStamp; // invalid when the device's stamp is no date and time

    // The date cell ("yyyy:MM:dd") and time cell ("hh:mm:ss") as one instant;
    // invalid unless both are exactly of that form and name a real date and
    // time.
    static QDateTime timeStampFrom(QStringView date, QStringView time);
};
