#pragma once

// The seven integer settings of a Kalvor II that the configuration write
// sends, with the factory defaults as initial values.
struct DeviceSettings
{
    int wakeThreshold = 40; // "32"
    int deviceId = 1;       // "41"
    int brightness = 130;   // "51"
    int radioChannel = 0;   // "43"
    int cycleTime = 5;      // "8", first line
    int cycles = 10;        // "8", second line
    int duration = 10;      // "75"

    bool operator==(const DeviceSettings &other) const
    {
        return wakeThreshold == other.wakeThreshold && deviceId == other.deviceId
            && brightness == other.brightness && radioChannel == other.radioChannel
            && cycleTime == other.cycleTime && cycles == other.cycles && duration == other.duration;
    }
    bool operator!=(const DeviceSettings &other) const { return !(*this == other); }
};
