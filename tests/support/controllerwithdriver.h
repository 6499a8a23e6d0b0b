#pragma once

#include "controller/kalvoriicontrol.h"

#include <memory>

class FtdiDriver;

// A controller whose link talks to `driver` (a simulated device, a fake)
// rather than to the backend the program would choose. Its timers run.
std::unique_ptr<KalvorIIControl> controllerWithDriver(std::unique_ptr<FtdiDriver> driver);
