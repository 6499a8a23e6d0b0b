#include "interrupt.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t interruptRequested = 0;

void onSignal(int signal)
{
    if (interruptRequested) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    interruptRequested = 1;
}

} // namespace

InterruptGuard::InterruptGuard()
{
    interruptRequested = 0;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
}

InterruptGuard::~InterruptGuard()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

bool InterruptGuard::requested()
{
    return interruptRequested != 0;
}
