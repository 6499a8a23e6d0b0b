#pragma once

#include "protocol/reportsink.h"

class QProgressBar;
namespace Ui {
class KalvorIIControl;
}

// The memory's fill level on its bar, in percent; fillLevelUnknown (before
// the device has told it, or after an unplug) shows "?" rather than an
// empty-looking memory. Values outside 0 to 100 are ignored, as the bar
// itself ignores them.
inline constexpr int fillLevelUnknown = -1;
void showFillLevel(QProgressBar *bar, int percent);

// Shows what the report parser reads in the form's widgets, each measurement
// row as a row of the table. The widgets do their own range handling: spin
// boxes clamp, the fill bar ignores values outside 0 to 100.
class FormReportSink : public ReportSink
{
public:
    explicit FormReportSink(Ui::KalvorIIControl &ui);

    void setText(Text which, const QString &text) override;
    void setValue(Value which, int value) override;
    void setSleevePosition(double millimetres) override;
    void appendRow(const MeasurementRow &row) override;

private:
    Ui::KalvorIIControl &m_ui;
};
