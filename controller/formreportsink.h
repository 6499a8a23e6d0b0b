#pragma once

#include "protocol/reportsink.h"

namespace Ui {
class KalvorIIControl;
}

// Delivers what the report parser reads into the form's widgets. The widgets
// do their own range handling: spin boxes clamp, the fill bar ignores values
// outside 0 to 100.
class FormReportSink : public ReportSink
{
public:
    explicit FormReportSink(Ui::KalvorIIControl &ui);

    void setText(Text which, const QString &text) override;
    void setValue(Value which, int value) override;
    void setSleevePosition(double millimetres) override;
    void appendRow(const QStringList &cells) override;

private:
    Ui::KalvorIIControl &m_ui;
};
