#pragma once

#include "protocol/reportsink.h"

#include <QList>

class MemoryRead;
namespace Ui {
class KalvorIIControl;
}

// Delivers what the report parser reads into the form's widgets, each
// measurement row both into the table and into the list of rows kept beside
// it, and the memory report's entry count to the memory read. The widgets do their own range
// handling: spin boxes clamp, the fill bar ignores values outside 0 to 100.
class FormReportSink : public ReportSink
{
public:
    FormReportSink(Ui::KalvorIIControl &ui, QList<MeasurementRow> &rows,
                   MemoryRead *read = nullptr);

    void setText(Text which, const QString &text) override;
    void setValue(Value which, int value) override;
    void setSleevePosition(double millimetres) override;
    void appendRow(const MeasurementRow &row) override;

private:
    Ui::KalvorIIControl &m_ui;
    QList<MeasurementRow> &m_rows;
    MemoryRead *m_read;
};
