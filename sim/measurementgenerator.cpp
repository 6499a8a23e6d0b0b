#include "measurementgenerator.h"

#include "devicereports.h"

#include <QtMath>

namespace {

// splitmix64: tiny, and the same sequence on every platform and Qt version.
class Sequence
{
public:
    explicit Sequence(quint64 seed)
        : m_state(seed)
    {
    }

    quint64 next()
    {
        quint64 z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double unit() { return double(next() >> 11) / double(1ULL << 53); }
    int between(int low, int high) { return low + int(next() % quint64(high - low + 1)); }

private:
    quint64 m_state;
};

constexpr int dayStartMinutes = 7 * 60 + 30;
constexpr int dayEndMinutes = 16 * 60 + 30;

QDateTime nextWorkingMorning(const QDateTime &time, Sequence &sequence)
{
    QDate day = time.date().addDays(1);
    while (day.dayOfWeek() > 5)
        day = day.addDays(1);
    return QDateTime(day, QTime(0, 0), Qt::UTC)
        .addSecs(dayStartMinutes * 60 + sequence.between(0, 1200));
}

} // namespace

MeasurementGenerator::MeasurementGenerator(int measuringRange, quint64 seed)
    : m_measuringRange(measuringRange > 0 ? measuringRange : 50)
    , m_seed(seed)
{
}

QDateTime MeasurementGenerator::defaultStart()
{
    return QDateTime(QDate(2026, 3, 9), QTime(7, 42, 13), Qt::UTC);
}

QList<SimulatedMeasurement> MeasurementGenerator::generate(int count, const QDateTime &first) const
{
    QList<SimulatedMeasurement> records;
    if (count <= 0)
        return records;
    records.reserve(count);

    Sequence sequence(m_seed);
    // Each sensor sits on its own joint and sees its own typical load, as a
    // fraction of the measuring range, and its own sleeve travel in mm.
    struct Sensor
    {
        int id;
        double loadShare;
        double travelMm;
    };
    const Sensor sensors[]
        = {{1, 0.46, 3.2}, {2, 0.58, 4.1}, {3, 0.71, 5.6}, {4, 0.33, 2.4}, {7, 0.83, 6.8}};
    constexpr int sensorCount = int(sizeof sensors / sizeof sensors[0]);

    // Mostly the same sensor several times in a row, as when a fitter works
    // along one line of joints.
    int sensorIndex = 0;
    QDateTime time
        = first.isValid() ? QDateTime(first.date(), first.time(), Qt::UTC) : defaultStart();
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            time = time.addSecs(sequence.between(60, 1500));
            const int minutes = time.time().hour() * 60 + time.time().minute();
            if (minutes >= dayEndMinutes || time.date().dayOfWeek() > 5)
                time = nextWorkingMorning(time, sequence);
            if (sequence.unit() < 0.2)
                sensorIndex = sequence.between(0, sensorCount - 1);
        }
        const Sensor &sensor = sensors[sensorIndex];

        SimulatedMeasurement record;
        record.time = time;
        record.deviceId = sensor.id;
        // Scatter of a few percent around the sensor's load, now and then
        // an outlier, never beyond the range.
        double share = sensor.loadShare * (1.0 + (sequence.unit() - 0.5) * 0.12);
        if (sequence.unit() < 0.03)
            share *= 1.0 + sequence.unit() * 0.25;
        share = qBound(0.01, share, 0.98);
        record.force = DeviceReports::wireForce(share * m_measuringRange);

        const double travelMm = sensor.travelMm + (sequence.unit() - 0.5) * 0.8;
        // The device counts the sleeve in 1/20 mm on the 50 kN range and in
        // 1/10 mm on every other.
        const double stepsPerMm = m_measuringRange == 50 ? 20.0 : 10.0;
        record.positionRaw = DeviceLimits::positionRaw.clamp(qRound(travelMm * stepsPerMm));
        records.append(record);
    }
    return records;
}
