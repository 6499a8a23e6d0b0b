#pragma once

#include "protocol/limits.h"

#include <QString>

// The report parser's share of one clock tick: parser calls while the
// accumulator holds text or a record waits in the parser's block, at most
// `limit` of them, so that one timer event stays short however much text
// waits. Stops early at a call that changed nothing: the accumulator and the
// block are the same for the next call, so it would change nothing either.
// `parse` is one parser call on the accumulator, returning false when it
// changed nothing; `recordWaiting` asks the parser whether its block holds a
// record. Returns true when any call changed something.
template<typename ParseCall, typename RecordWaiting>
bool drainReports(QString &accumulator, ParseCall parse, RecordWaiting recordWaiting,
                  int limit = Limits::drainCallsPerTick)
{
    bool changed = false;
    for (int call = 0; call < limit && (!accumulator.isEmpty() || recordWaiting()); ++call) {
        if (!parse(accumulator))
            break;
        changed = true;
    }
    return changed;
}
