#pragma once

#include "reportsink.h"

#include <array>

// The range a setting accepts.
struct SettingRange
{
    int min;
    int max;
    constexpr bool contains(int value) const { return value >= min && value <= max; }
    constexpr int clamp(int value) const { return value < min ? min : (value > max ? max : value); }
};

// The seven integer settings of a Kalvor II that the configuration write
// sends and the configuration report carries. A plain value; the factory
// defaults come from the table below.
struct DeviceSettings
{
    int wakeThreshold = 0; // "32"
    int deviceId = 0;      // "41"
    int brightness = 0;    // "51"
    int radioChannel = 0;  // "43"
    int cycleTime = 0;     // "8", first line
    int cycles = 0;        // "8", second line
    int duration = 0;      // "75"

    static DeviceSettings factoryDefaults();

    bool operator==(const DeviceSettings &other) const;
    bool operator!=(const DeviceSettings &other) const { return !(*this == other); }
};

// Everything the program knows about one setting, in one place: the value the
// report parser delivers it as, where it is kept, the range the device
// accepts (and the form's spin box offers), the factory default, and the name
// a script gives it (the command line's KEY=VALUE and its key: value lines).
struct DeviceSetting
{
    ReportSink::Value key;
    int DeviceSettings::*field;
    SettingRange range;
    int factoryDefault;
    const char *name;
};

// In the order the window lists them.
inline constexpr std::array<DeviceSetting, 7> deviceSettings{{
    {ReportSink::Value::DeviceId, &DeviceSettings::deviceId, {0, 31}, 1, "device-id"},
    {ReportSink::Value::WakeThreshold,
     &DeviceSettings::wakeThreshold,
     {5, 255},
     40,
     "wake-threshold"},
    {ReportSink::Value::Duration, &DeviceSettings::duration, {0, 255}, 10, "duration"},
    {ReportSink::Value::Brightness, &DeviceSettings::brightness, {0, 255}, 130, "brightness"},
    {ReportSink::Value::RadioChannel, &DeviceSettings::radioChannel, {0, 255}, 0, "radio-channel"},
    {ReportSink::Value::Cycles, &DeviceSettings::cycles, {0, 4096}, 10, "cycles"},
    // The caption says 5 to 2048, but the device takes 0 to 4 as well.
    {ReportSink::Value::CycleTime, &DeviceSettings::cycleTime, {0, 2048}, 5, "cycle-time"},
}};

// The setting delivered as `key` (every key but the fill level is one).
const DeviceSetting &deviceSetting(ReportSink::Value key);

// The sleeve position is no setting (the device measures it), but the
// factory-defaults button puts it back too.
inline constexpr double sleevePositionDefault = 0.0;
