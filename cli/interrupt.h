#pragma once

// Ctrl-C (SIGINT) and SIGTERM while a read runs: the first asks the read to
// end cleanly (what arrived is written and archived); a second ends the
// program at once, as the signal always does. Outside a read the signals keep
// their usual effect.
class InterruptGuard
{
public:
    InterruptGuard();  // catches the signals
    ~InterruptGuard(); // gives them back their usual effect
    InterruptGuard(const InterruptGuard &) = delete;
    InterruptGuard &operator=(const InterruptGuard &) = delete;

    static bool requested();
};
