#pragma once

#include <QtGlobal>

// What this process costs the machine, for the fault tests and the benchmark.
namespace ProcessUsage {
double cpuMs();                        // CPU time so far (user and system), in ms
double cpuPercentWhileRunning(int ms); // runs the event loop; percent of one core
qint64 residentKiB();                  // resident memory now
// Times any thread of this process has been put to sleep or pre-empted so
// far (voluntary and involuntary context switches): its wakeups.
qint64 contextSwitches();
} // namespace ProcessUsage
