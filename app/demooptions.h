#pragma once

#include <memory>

class QCoreApplication;
class SimulatedDriver;

// kalvor2-demo's command line: how the simulated device behaves. Prints the
// help or an error and ends the program where the command line asks for it
// or is wrong.
std::unique_ptr<SimulatedDriver> simulatedDriverFromArguments(const QCoreApplication &application);
