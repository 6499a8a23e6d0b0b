#pragma once

#include <QString>

class QLabel;

// A status line of the window: its text, in the warning look or not (the
// label's style sheet gives the look for its "warning" property), with the
// details in its tool tip.
void showStatusLine(QLabel *line, const QString &text, bool warning,
                    const QString &toolTip = QString());
