#pragma once

#include "protocol/reportsink.h"

#include <QList>

namespace Ui {
class KalvorIIControl;
}

// Delivers what the report parser reads into the form's widgets, and each
// measurement row both into the table and into the list of rows kept beside
// it. The widgets do their own range handling: spin boxes clamp, the fill bar
// ignores values outside 0 to 100.
class FormReportSink : public ReportSink
{
public:
    FormReportSink(Ui::KalvorIIControl &ui, QList<MeasurementRow> &rows);

    void setText(Text which, const QString &text) override;
    void setValue(Value which, int value) override;
    void setSleevePosition(double millimetres) override;
    void appendRow(const MeasurementRow &row) override;

private:
    Ui::KalvorIIControl &m_ui;
    QList<MeasurementRow> &m_rows;
};
