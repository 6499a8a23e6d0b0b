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
    qint64 fixedAt = -1;
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
    const Steady &s = steady();
    return (s.fixedAt >= 0 ? s.fixedAt : s.timer.elapsed()) + s.skipped;
}

void Clock::skip(qint64 ms)
{
    steady().skipped += ms;
}

void Clock::setFixedSteady(qint64 ms)
{
    Steady &s = steady();
    if (ms >= 0) {
        s.fixedAt = ms;
        s.skipped = 0;
        return;
    }
    // Time goes on from where the fixed clock stood.
    if (s.fixedAt >= 0)
        s.skipped += s.fixedAt - s.timer.elapsed();
    s.fixedAt = -1;
}
