#include "controllerwithdriver.h"

#include "link/ftdi_control.h"
#include "link/ftdidriver.h"

std::unique_ptr<KalvorIIControl> controllerWithDriver(std::unique_ptr<FtdiDriver> driver)
{
    // The factory must be copyable; the driver goes to the one link made.
    auto owner = std::make_shared<std::unique_ptr<FtdiDriver>>(std::move(driver));
    setFtdiDriverFactory([owner] { return std::move(*owner); });
    auto controller = std::make_unique<KalvorIIControl>();
    setFtdiDriverFactory(nullptr);
    return controller;
}
