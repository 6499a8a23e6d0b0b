#pragma once

// The program's timed wait: serve events (timers, input, repaints) for at least
// eventsMs, in passes of at most eventsMs followed by a 10 ms sleep, then block
// for sleepMs more without serving anything. At least one pass always runs.
//
// The device has no handshake; these waits are the whole pacing between the
// PC and the device.
void pause(int eventsMs, int sleepMs);
