#pragma once

#include "sim/devicereports.h"
#include "sim/devicestate.h"

#include <QString>
#include <QStringList>

// The table row a stored measurement must give on the device's measuring
// range, computed from the device's own record, not from the parser: the
// oracle of the session tests and of the simulation.
inline QStringList expectedRow(int number, const SimulatedMeasurement &m, int range)
{
    const int decimals = range > 999 ? 0 : (range < 100 ? 2 : 1);
    const double mm = range == 50 ? m.positionRaw * 5 / 100.0 : m.positionRaw / 10.0;
    return {QString::number(number),
            m.time.toString(QStringLiteral("yyyy:MM:dd")),
            m.time.toString(QStringLiteral("hh:mm:ss")),
            QString::number(DeviceReports::wireForce(m.force), 'f', decimals),
            QString::number(mm, 'g', 6),
            QString::number(m.deviceId)};
}
