#pragma once

#include <QElapsedTimer>
#include <QString>

class MemoryRead;

// A read's progress on standard error, in the window's words ("Lese
// Messwerte … 12 von 300"): on a terminal one line with a bar, redrawn in
// place at most ten times a second; otherwise (a log file, a pipe) a plain
// line at most once a second, so that a long read does not flood the log.
class Progress
{
public:
    Progress();
    void update(const MemoryRead &read);
    // Ends the terminal's line, so that the next message starts on its own.
    void finish();

private:
    bool m_terminal;
    QString m_shown;
    QElapsedTimer m_sinceShown;
    bool m_drawn = false;
};
