#pragma once

#include "sim/devicereports.h"

#include <QString>

#include <memory>
#include <optional>

class SimulatedDriver;

// kalvor2-demo's command line: how the simulated device behaves.
struct DemoOptions
{
    int records = 0;
    DeviceReports::MemoryLayout layout = DeviceReports::MemoryLayout::PerRecord;
    std::optional<int> unplugAtMs; // after the start
    std::optional<int> replugAtMs;
    QString archivePath; // empty: the demo's own archive
};

// Reads the demo's options from main's arguments before any application
// object exists. Prints the help or an error and ends the program where the
// command line asks for it or is wrong.
DemoOptions demoOptionsFromArguments(int argc, char *argv[]);

// The simulated device for those options, its plugging scheduled. Needs the
// application object (the schedule runs on its timers).
std::unique_ptr<SimulatedDriver> simulatedDriver(const DemoOptions &options);
