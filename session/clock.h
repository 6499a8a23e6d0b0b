#pragma once

#include <QDateTime>

// The PC's clock as the controller reads it. Tests fix it to a known instant
// so that command texts and export files can be compared byte for byte.
namespace Clock {
QDateTime currentDateTime();
void setFixed(const QDateTime &instant); // an invalid instant returns to the PC's clock

// Milliseconds on a steady clock, for how long something has waited. Tests
// move it on instead of waiting.
qint64 steadyMs();
void skip(qint64 ms);
// Stands the steady clock at `ms`, from where only skip() moves it, so that a
// simulation runs the same however fast the machine is; a negative `ms`
// returns to the steady clock of the machine.
void setFixedSteady(qint64 ms);
} // namespace Clock
