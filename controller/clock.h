#pragma once

#include <QDateTime>

// The PC's clock as the controller reads it. Tests fix it to a known instant
// so that command texts and export files can be compared byte for byte.
namespace Clock {
QDateTime currentDateTime();
void setFixed(const QDateTime &instant); // an invalid instant returns to the PC's clock
} // namespace Clock
