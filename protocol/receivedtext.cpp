#include "receivedtext.h"

QString receivedText(QByteArrayView bytes)
{
    const qsizetype zero = bytes.indexOf('\0');
    QString text = QString::fromLatin1(zero >= 0 ? bytes.first(zero) : bytes);
    text.remove(QLatin1Char('\r'));
    return text;
}
