#pragma once

#include <QString>

// The report parser's share of one clock tick: parser calls while the
// accumulator holds text, at most `limit` of them, so that one timer event
// stays short however much text waits. Stops early at a call that changed
// nothing: the accumulator is the same for the next call, so it would change
// nothing either. `parse` is one parser call on the accumulator, returning
// false when it changed nothing. Returns true when any call changed something.
template<typename ParseCall>
bool drainReports(QString &accumulator, ParseCall parse, int limit = 250)
{
    bool changed = false;
    for (int call = 0; call < limit && !accumulator.isEmpty(); ++call) {
        if (!parse(accumulator))
            break;
        changed = true;
    }
    return changed;
}
