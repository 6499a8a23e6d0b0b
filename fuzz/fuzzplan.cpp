#include "fuzzplan.h"

namespace {
constexpr size_t steeringBytes = 6;
constexpr int floodLength = 70000; // past the receive run's Limits::receiveRunCharacters
const int callsPerTickChoices[] = {1, 2, 7, 250};
} // namespace

FuzzPlan FuzzPlan::fromBytes(const quint8 *data, size_t size)
{
    FuzzPlan plan;
    if (size <= steeringBytes) {
        plan.stream = QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
        plan.maxChunk = 64;
        return plan;
    }
    const size_t textSize = size - steeringBytes;
    const quint8 *steering = data + textSize;
    plan.stream = QByteArray(reinterpret_cast<const char *>(data), qsizetype(textSize));
    plan.seed = quint32(steering[0]) | quint32(steering[1]) << 8 | quint32(steering[2]) << 16
        | quint32(steering[3]) << 24;
    const quint8 shape = steering[4];
    const quint8 mode = steering[5];
    plan.maxChunk = 1 << ((shape & 0x0F) % 14);
    plan.receiveEvery = 1 + ((shape >> 4) & 3);
    plan.pollEvery = 1 + ((shape >> 6) & 3);
    plan.callsPerTick = callsPerTickChoices[mode & 3];
    plan.realClockTick = (mode & 4) != 0;
    plan.flood = mode == 0xFF && !plan.stream.isEmpty();
    if (plan.flood) {
        const qsizetype copies = (floodLength + plan.stream.size() - 1) / plan.stream.size();
        plan.stream = plan.stream.repeated(copies);
    }
    return plan;
}

QList<int> FuzzPlan::chunkSizes() const
{
    // xorshift32: any seed gives the same split on every run and machine.
    quint32 state = seed ? seed : 0x9E3779B9u;
    QList<int> sizes;
    qsizetype left = stream.size();
    while (left > 0) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const int size = int(qMin<qsizetype>(left, 1 + qsizetype(state % quint32(maxChunk))));
        sizes << size;
        left -= size;
    }
    return sizes;
}
