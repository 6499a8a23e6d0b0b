#pragma once

#include "protocol/devicesettings.h"
#include "protocol/reportsink.h"

#include <QList>

#include <functional>

class MemoryRead;
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
    void measuringRangeReported() override;

    // Runs whenever the device reports its measuring range.
    std::function<void()> onMeasuringRange;

    // The settings the device reported since forgetReported(), as it sent
    // them (a spin box may clamp what it shows), and whether all seven came.
    const DeviceSettings &reportedSettings() const { return m_reported; }
    bool allSettingsReported() const;
    void forgetReported();

private:
    Ui::KalvorIIControl &m_ui;
    QList<MeasurementRow> &m_rows;
    MemoryRead *m_read;
    DeviceSettings m_reported;
    unsigned m_reportedMask = 0; // bit i: deviceSettings[i] came
};
