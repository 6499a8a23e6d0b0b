#pragma once

#include <QByteArray>
#include <QList>

// Reads the simulated device's report text the way the program does: a value
// stands at a fixed width a fixed number of characters behind its label.
// Independent of the program's parser, so that the device's text can be
// checked on its own.
namespace ReportFields {

// The width characters that stand skip characters after the first label, or
// a null array when the label is missing.
inline QByteArray at(const QByteArray &text, const char *label, int skip, int width)
{
    const qsizetype position = text.indexOf(label);
    if (position < 0)
        return {};
    return text.mid(position + skip, width);
}

// The reports in a stretch of device output: the text in front of each
// separator, without the one character the program drops just in front of it.
inline QList<QByteArray> reports(const QByteArray &output)
{
    static const QByteArray separator(25, '=');
    QList<QByteArray> result;
    qsizetype start = 0;
    for (qsizetype p = output.indexOf(separator); p >= 0; p = output.indexOf(separator, start)) {
        result.append(output.mid(start, qMax<qsizetype>(0, p - start - 1)));
        start = p + separator.size();
    }
    return result;
}

} // namespace ReportFields
