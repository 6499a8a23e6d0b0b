#pragma once

// How the device's measuring range (in kN; -1 while the device has not told
// it) shapes the numbers of its measurement rows. The parser makes the
// table's texts by these rules, and whatever writes the numbers elsewhere
// shows them with the same decimals.
namespace MeasuringRange {

// The force's decimals: 0 above 999 kN, 2 below 100 kN, 1 otherwise.
constexpr int forceDecimals(int range)
{
    if (range > 999)
        return 0;
    if (range < 100)
        return 2;
    return 1;
}

// The sleeve position in mm for the device's raw value: the range of exactly
// 50 kN counts in steps of 0.05 mm, every other range in steps of 0.1 mm.
constexpr double sleevePosition(double raw, int range)
{
    return range == 50 ? raw * 5 / 100 : raw / 10;
}

// The decimals of that step.
constexpr int sleevePositionDecimals(int range)
{
    return range == 50 ? 2 : 1;
}

} // namespace MeasuringRange
