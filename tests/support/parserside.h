#pragma once

#include "protocol/reportparser.h"
#include "textreportsink.h"

#include <QString>

#include <cstring>

// One side of a parser comparison: a parser with its own accumulator, the
// controller's three variables and a text sink, as the differential test and
// the fuzzer drive the product and the reference parser side by side.
template <class Parser>
struct ParserSide
{
    Parser parser;
    TextReportSink sink;
    QString accumulator;
    int measuringRange = -1;
    int measurementNumber = 1;
    float sleevePositionRaw = 0;

    bool call()
    {
        ParserState state{measuringRange, measurementNumber, sleevePositionRaw};
        return parser.parseReport(accumulator, state, sink);
    }
};

// Bitwise, so that a NaN read from the device equals itself.
inline bool sameFloat(float a, float b)
{
    return std::memcmp(&a, &b, sizeof(float)) == 0;
}

// Everything a parser call can change; two equal snapshots around a call
// mean the call changed nothing.
struct ParserSnapshot
{
    QString accumulator;
    QString block;
    qsizetype deliveries = 0;
    int measuringRange = 0;
    int measurementNumber = 0;
    float sleevePositionRaw = 0;

    bool operator==(const ParserSnapshot &other) const
    {
        return accumulator == other.accumulator && block == other.block
            && deliveries == other.deliveries && measuringRange == other.measuringRange
            && measurementNumber == other.measurementNumber
            && sameFloat(sleevePositionRaw, other.sleevePositionRaw);
    }
};

template <class Parser>
ParserSnapshot snapshot(const ParserSide<Parser> &side)
{
    return {side.accumulator,       side.parser.block(),     side.sink.log().size(),
            side.measuringRange,    side.measurementNumber, side.sleevePositionRaw};
}
