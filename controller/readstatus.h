#pragma once

#include <QString>

class MemoryRead;

// What the status line under the memory buttons says about a read.
struct ReadStatus
{
    QString text;         // empty: nothing to say (no read yet)
    bool warning = false; // shown in the warning look, and kept until the next read
};
ReadStatus readStatus(const MemoryRead &read);

// The clear question's informative line: what clearing the memory would lose.
QString clearQuestionDetail(const MemoryRead &read);

// The status line after an export; names only, the paths go in the tool tip.
QString exportedStatus(const QString &pointFile, const QString &commaFile, bool commaWritten);
