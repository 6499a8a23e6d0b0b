#pragma once

#include "protocol/devicesettings.h"

#include <QDateTime>
#include <QString>

// What the simulated Kalvor II keeps: its identity, the seven settings the
// program writes, and its stored measurements.

// The limits of what the simulated device keeps beyond its settings (whose
// ranges are the program's own, devicesettings.h): the widths of their
// report fields.
namespace DeviceLimits {
constexpr SettingRange firmwareVersion{0, 9999};
constexpr SettingRange measuringRange{0, 9999};
constexpr SettingRange positionRaw{-99, 999};
constexpr SettingRange recordId{0, 999};
} // namespace DeviceLimits

struct DeviceIdentity
{
    QString serialNumber = QStringLiteral("004711");  // always 6 characters
    int firmwareVersion = 123;                        // 0123 reads as V 1.23
    QString checkDate = QStringLiteral("15.03.2026"); // always 10 characters
    int sleevePositionRaw = 45;                       // unscaled, as the sensor gives it
    int measuringRange = 50;                          // kN
};

// One stored measurement.
struct SimulatedMeasurement
{
    // Device clock when it was taken, whole seconds. The device knows no time
    // zone; its times are kept as UTC so that no daylight-saving shift applies.
    QDateTime time;
    double force = 0.0;  // kN
    int positionRaw = 0; // unscaled sleeve position
    int deviceId = 0;    // ID of the sensor that measured
};
