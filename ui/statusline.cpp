#include "statusline.h"

#include <QLabel>
#include <QStyle>

void showStatusLine(QLabel *line, const QString &text, bool warning, const QString &toolTip)
{
    if (line->text() != text)
        line->setText(text);
    line->setToolTip(toolTip);
    if (warning != line->property("warning").toBool()) {
        line->setProperty("warning", warning);
        line->style()->unpolish(line);
        line->style()->polish(line);
    }
}

void showConnectionLine(QLabel *line, QLabel *reasonLine, int found, bool connected,
                        const QString &reason)
{
    // The line keeps the form of the program's first version, in English.
    line->setText(QString::number(found) + QLatin1String(" Kalvor 2 found and ")
                  + QLatin1String(connected ? "1" : "0") + QLatin1String(" connected"));
    reasonLine->setText(reason);
    reasonLine->setVisible(!reason.isEmpty());
    // With a reason below it, the line moves to the cell's upper half.
    line->setAlignment(Qt::AlignHCenter | (reason.isEmpty() ? Qt::AlignVCenter : Qt::AlignTop));
    line->setMargin(reason.isEmpty() ? 0 : 4);
}
