#include "textreportsink.h"

#include <QLocale>

#include <algorithm>

void TextReportSink::setText(Text which, const QString &text)
{
    m_texts.insert(which, text);
    m_log.append(QStringLiteral("text ") + name(which) + u' ' + escaped(text));
}

void TextReportSink::setValue(Value which, int value)
{
    m_values.insert(which, value);
    m_log.append(QStringLiteral("value ") + name(which) + u' ' + QString::number(value));
}

void TextReportSink::setSleevePosition(double millimetres)
{
    m_sleevePosition = millimetres;
    // Shortest text that reads back as the same double, so that two values
    // differing in the last bit still differ in the log.
    m_log.append(QStringLiteral("sleeve ")
                 + QString::number(millimetres, 'g', QLocale::FloatingPointShortest));
}

void TextReportSink::appendRow(const MeasurementRow &row)
{
    const QStringList &cells = row.cells;
    m_rows.append(cells);
    m_typedRows.append(row);
    QString line = QStringLiteral("row ");
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line += u'|';
        line += escaped(cells.at(i));
    }
    m_log.append(line);
}

std::optional<QString> TextReportSink::text(Text which) const
{
    const auto it = m_texts.constFind(which);
    if (it == m_texts.cend())
        return std::nullopt;
    return *it;
}

std::optional<int> TextReportSink::value(Value which) const
{
    const auto it = m_values.constFind(which);
    if (it == m_values.cend())
        return std::nullopt;
    return *it;
}

void TextReportSink::clear()
{
    m_log.clear();
    m_rows.clear();
    m_typedRows.clear();
    m_texts.clear();
    m_values.clear();
    m_sleevePosition.reset();
}

QString TextReportSink::name(Text which)
{
    switch (which) {
    case Text::SerialNumber:
        return QStringLiteral("SerialNumber");
    case Text::FirmwareVersion:
        return QStringLiteral("FirmwareVersion");
    case Text::CheckDate:
        return QStringLiteral("CheckDate");
    }
    return QStringLiteral("Text%1").arg(int(which));
}

QString TextReportSink::name(Value which)
{
    switch (which) {
    case Value::Brightness:
        return QStringLiteral("Brightness");
    case Value::RadioChannel:
        return QStringLiteral("RadioChannel");
    case Value::DeviceId:
        return QStringLiteral("DeviceId");
    case Value::WakeThreshold:
        return QStringLiteral("WakeThreshold");
    case Value::Duration:
        return QStringLiteral("Duration");
    case Value::Cycles:
        return QStringLiteral("Cycles");
    case Value::CycleTime:
        return QStringLiteral("CycleTime");
    case Value::FillLevel:
        return QStringLiteral("FillLevel");
    case Value::EntryCount:
        return QStringLiteral("EntryCount");
    }
    return QStringLiteral("Value%1").arg(int(which));
}

QString TextReportSink::excerpt(const QString &text)
{
    const QString shown = escaped(text);
    if (shown.size() <= 200)
        return u'"' + shown + u'"';
    return QStringLiteral("\"%1...%2\" (%3 characters)")
        .arg(shown.left(90), shown.right(90))
        .arg(text.size());
}

QString TextReportSink::escaped(const QString &text)
{
    const auto plain = [](QChar c) {
        const char16_t u = c.unicode();
        return u >= 0x20 && u != u'\\' && u != u'|' && (u < 0x7f || u >= 0xa0);
    };
    if (std::all_of(text.cbegin(), text.cend(), plain))
        return text;

    QString result;
    result.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\')
            result += QStringLiteral("\\\\");
        else if (u == u'|')
            result += QStringLiteral("\\|");
        else if (u == u'\n')
            result += QStringLiteral("\\n");
        else if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            result += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            result += c;
    }
    return result;
}
