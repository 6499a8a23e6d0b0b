#pragma once

#include "reportsink.h"

#include <QString>
#include <QStringList>

// The text behind every report of the device: 25 equals signs.
inline constexpr char reportSeparator[] = "=========================";

// The labels the parser's rules look for, in the order the rules run.
QStringList reportLabelTexts();

// The texts the record and force rules delete from the whole block.
QStringList reportDeletedTexts();

// Turns the device's text reports into values and measurement rows.
//
// Each call moves at most one chunk (the text up to the next separator of 25
// equals signs) from the receive accumulator into the parser's own report
// block and then applies the seventeen label rules once each, in their fixed
// order. The block survives between calls. While the block holds a record
// label, no chunk is taken: a memory sent as one report is worked off record
// by record before anything behind it comes in.
class ReportParser
{
public:
    ReportParser();
    ~ReportParser();

    // One parser call. Returns false when the call changed nothing at all
    // (accumulator, block, state and sink untouched); the clock tick may then
    // stop early, because further calls in the same tick would change nothing
    // either.
    bool parseReport(QString &accumulator, ParserState &state, ReportSink &sink);

    // Whether a record waits in the block: the clock tick goes on calling
    // while one does, even with nothing left in the accumulator.
    bool recordWaiting();

    // The accumulator was changed other than by appending to it (text cut
    // out of it): its next search for a separator starts from its front.
    void accumulatorReplaced();

    // The report block as the rules see it (for tests and diagnosis).
    QString block() const;

private:
    Q_DISABLE_COPY(ReportParser) // owns its block through d

    struct Impl;
    Impl *d;
};
