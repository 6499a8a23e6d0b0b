#include "receivedtext.h"

QString receivedText(QByteArrayView bytes)
{
    QString text = QString::fromLatin1(bytes);
    text.removeIf([](QChar c) { return c == QLatin1Char('\r') || c.isNull(); });
    return text;
}
