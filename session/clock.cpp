#include "clock.h"

#include <QElapsedTimer>

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

namespace {
struct Steady
{
    QElapsedTimer timer;
    qint64 skipped = 0;
    Steady() { timer.start(); }
};
Steady &steady()
{
    static Steady instance;
    return instance;
}
} // namespace

qint64 Clock::steadyMs()
{
    return steady().timer.elapsed() + steady().skipped;
}

void Clock::skip(qint64 ms)
{
    steady().skipped += ms;
}
