#pragma once

#include <QString>

class QTextEdit;

// The hidden receive log: it collects what the device sent, but never shows
// it. Capping it keeps a long session's memory bounded (a full memory read
// adds about 50,000 lines): beyond this many lines, or 16 Mi characters, the
// oldest go in bulk, down to nine tenths of the lines and 12 Mi characters.
inline constexpr int receiveLogLineLimit = 100000;

// Appends received text (its lines already broken at a bounded length) at
// the log's end and drops the oldest lines beyond the limits.
void appendToReceiveLog(QTextEdit *log, const QString &text);
