#pragma once

#include "devicestate.h"

#include <QList>

// Plausible measurements for the simulated device: working-day time stamps a
// few minutes apart, a handful of sensor IDs each with its own typical load,
// forces scaled to the measuring range and sleeve positions of a few
// millimetres. The same arguments always give the same records, so demos,
// tests and benchmark runs are repeatable.
class MeasurementGenerator
{
public:
    explicit MeasurementGenerator(int measuringRange, quint64 seed = 0x4b616c766f72ULL);

    // count records, starting on the morning of first (a Monday by default).
    QList<SimulatedMeasurement> generate(int count, const QDateTime &first = defaultStart()) const;

    static QDateTime defaultStart();

private:
    int m_measuringRange;
    quint64 m_seed;
};
