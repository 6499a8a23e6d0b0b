#include "clock.h"

namespace {
QDateTime &fixedInstant()
{
    static QDateTime instant;
    return instant;
}
} // namespace

QDateTime Clock::currentDateTime()
{
    return fixedInstant().isValid() ? fixedInstant() : QDateTime::currentDateTime();
}

void Clock::setFixed(const QDateTime &instant)
{
    fixedInstant() = instant;
}
