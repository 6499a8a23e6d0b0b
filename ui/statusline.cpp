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
