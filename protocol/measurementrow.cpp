#include "measurementrow.h"

namespace {

// The value of the decimal digits text[from, from + count), or -1.
int digits(QStringView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

} // namespace

QDateTime MeasurementRow::timeStampFrom(QStringView date, QStringView time)
{
    if (date.size() != 10 || time.size() != 8 || date.at(4) != u':' || date.at(7) != u':'
        || time.at(2) != u':' || time.at(5) != u':')
        return {};
    const int year = digits(date, 0, 4);
    const QDate day(year, digits(date, 5, 2), digits(date, 8, 2));
    const QTime clock(digits(time, 0, 2), digits(time, 3, 2), digits(time, 6, 2));
    // A year that is no digits reads as -1, which QDate takes for 1 BC.
    if (year < 0 || !day.isValid() || !clock.isValid())
        return {};
    // The device knows no time zone: its clock is what it shows, with no
    // daylight-saving gap to fall into.
    return QDateTime(day, clock, Qt::UTC);
}
