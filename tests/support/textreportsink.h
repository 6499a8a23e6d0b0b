#pragma once

#include "protocol/reportsink.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// A report sink without widgets: it writes every delivery into a call log, in
// order, and keeps the last value of each target and all measurement rows.
// Two parsers that saw the same input must leave identical logs.
class TextReportSink : public ReportSink
{
public:
    void setText(Text which, const QString &text) override;
    void setValue(Value which, int value) override;
    void setSleevePosition(double millimetres) override;
    void appendRow(const MeasurementRow &row) override;

    // One line per delivery, e.g. "value RadioChannel 12", "text FirmwareVersion V 1.7",
    // "sleeve -1.25", "row 1|2012:03:05|14:07:59|2.34|2.25|4". Characters that
    // would make a line ambiguous or unreadable are escaped (\n, \\, \|, \xNN).
    const QStringList &log() const { return m_log; }
    const QList<QStringList> &rows() const { return m_rows; }
    // The rows with their numbers (the log has their texts only).
    const QList<MeasurementRow> &typedRows() const { return m_typedRows; }

    std::optional<QString> text(Text which) const;
    std::optional<int> value(Value which) const;
    std::optional<double> sleevePosition() const { return m_sleevePosition; }

    void clear();

    static QString name(Text which);
    static QString name(Value which);
    static QString escaped(const QString &text);
    // The escaped text in quotes, its middle cut out when long, for
    // messages about a difference.
    static QString excerpt(const QString &text);

private:
    QStringList m_log;
    QList<QStringList> m_rows;
    QList<MeasurementRow> m_typedRows;
    QMap<Text, QString> m_texts;
    QMap<Value, int> m_values;
    std::optional<double> m_sleevePosition;
};
