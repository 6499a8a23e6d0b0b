#pragma once

#include "protocol/reportparser.h"
#include "textreportsink.h"

#include <QString>
#include <QStringList>

#include <cstring>

// One side of a parser comparison: a parser with its own accumulator, the
// controller's three variables and a text sink, as the differential test and
// the fuzzer drive the product and the reference parser side by side.
template<class Parser>
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

// The controller's three variables, on anything that holds them under their
// names: a parser side, a snapshot, the controller itself.
template<class A, class B>
bool sameVariables(const A &a, const B &b)
{
    return a.measuringRange == b.measuringRange && a.measurementNumber == b.measurementNumber
        && sameFloat(a.sleevePositionRaw, b.sleevePositionRaw);
}

// The numbers of two rows, bitwise where NaN may stand.
inline bool sameNumbers(const MeasurementRow &a, const MeasurementRow &b)
{
    const auto sameDouble = [](double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; };
    return a.number == b.number && sameDouble(a.force, b.force)
        && sameDouble(a.sleevePosition, b.sleevePosition) && a.deviceId == b.deviceId
        && a.timeStamp == b.timeStamp && a.timeStamp.isValid() == b.timeStamp.isValid();
}

// "range/number/sleeve", for messages about a difference.
template<class T>
QString variablesText(const T &holder)
{
    return QStringLiteral("%1/%2/%3")
        .arg(holder.measuringRange)
        .arg(holder.measurementNumber)
        .arg(double(holder.sleevePositionRaw));
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
            && deliveries == other.deliveries && sameVariables(*this, other);
    }
};

template<class Parser>
ParserSnapshot snapshot(const ParserSide<Parser> &side)
{
    return {side.accumulator,    side.parser.block(),    side.sink.log().size(),
            side.measuringRange, side.measurementNumber, side.sleevePositionRaw};
}

// What one parser call left different between the two sides, or an empty
// string: the call's deliveries (those after the first `logSize`), the report
// block, the accumulator and the controller's variables.
template<class Product, class Reference>
QString sideDifference(const ParserSide<Product> &product, const ParserSide<Reference> &reference,
                       qsizetype logSize)
{
    const QStringList &productLog = product.sink.log();
    const QStringList &referenceLog = reference.sink.log();
    if (productLog.size() != referenceLog.size()
        || productLog.mid(logSize) != referenceLog.mid(logSize))
        return QStringLiteral("deliveries differ: product [%1], reference [%2]")
            .arg(productLog.mid(logSize).join(QStringLiteral(" / ")),
                 referenceLog.mid(logSize).join(QStringLiteral(" / ")));
    // A call adds at most one row: the newest is the one to check.
    const QList<MeasurementRow> &productRows = product.sink.typedRows();
    const QList<MeasurementRow> &referenceRows = reference.sink.typedRows();
    if (!productRows.isEmpty() && productRows.size() == referenceRows.size()
        && !sameNumbers(productRows.last(), referenceRows.last())) {
        const auto numbers = [](const MeasurementRow &row) {
            return QStringLiteral("%1 %2 %3 %4 %5")
                .arg(row.number)
                .arg(row.force)
                .arg(row.sleevePosition)
                .arg(row.deviceId)
                .arg(row.timeStamp.toString(Qt::ISODate));
        };
        return QStringLiteral("the numbers of row %1 differ: product %2, reference %3")
            .arg(productRows.size())
            .arg(numbers(productRows.last()), numbers(referenceRows.last()));
    }
    const QString productBlock = product.parser.block();
    const QString referenceBlock = reference.parser.block();
    if (productBlock != referenceBlock)
        return QStringLiteral("blocks differ: product %1, reference %2")
            .arg(TextReportSink::excerpt(productBlock), TextReportSink::excerpt(referenceBlock));
    if (product.accumulator != reference.accumulator)
        return QStringLiteral("accumulators differ: product %1, reference %2")
            .arg(TextReportSink::excerpt(product.accumulator),
                 TextReportSink::excerpt(reference.accumulator));
    if (!sameVariables(product, reference))
        return QStringLiteral("state differs: product %1, reference %2")
            .arg(variablesText(product), variablesText(reference));
    return QString();
}
