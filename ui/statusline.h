#pragma once

#include <QString>

class QLabel;

// A status line of the window: its text, in the warning look or not (the
// label's style sheet gives the look for its "warning" property), with the
// details in its tool tip.
void showStatusLine(QLabel *line, const QString &text, bool warning,
                    const QString &toolTip = QString());

// The connection line: how many devices were found and whether one is
// connected, with `reason` (why a found one is not; empty: nothing to say)
// on the line below it.
void showConnectionLine(QLabel *line, QLabel *reasonLine, int found, bool connected,
                        const QString &reason);
