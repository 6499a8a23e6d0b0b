#include "formreportsink.h"

#include "controller/settingfields.h"
#include "ui_kalvor2control.h"

namespace {

// A value from the device replaces the "?" a field shows without one, also
// when it is the field's minimum (a device ID of 0).
template<typename Box, typename Value>
void showDeviceValue(Box *box, Value value)
{
    if (!box->specialValueText().isEmpty())
        box->setSpecialValueText(QString());
    box->setValue(value);
}

} // namespace

FormReportSink::FormReportSink(Ui::KalvorIIControl &ui)
    : m_ui(ui)
{
}

void FormReportSink::setText(Text which, const QString &text)
{
    switch (which) {
    case Text::SerialNumber:
        m_ui.SerialNumber_lb->setText(text);
        break;
    case Text::FirmwareVersion:
        m_ui.FirmwareVersionsNumber_lb->setText(text);
        break;
    case Text::CheckDate:
        m_ui.CheckDatum_lb->setText(text);
        break;
    }
}

void showFillLevel(QProgressBar *bar, int percent)
{
    if (percent == fillLevelUnknown) {
        bar->setValue(0);
        bar->setFormat(QStringLiteral("?"));
    } else if (percent >= bar->minimum() && percent <= bar->maximum()) {
        bar->setFormat(QStringLiteral("%p%"));
        bar->setValue(percent);
    }
}

void FormReportSink::setValue(Value which, int value)
{
    if (which == Value::FillLevel)
        showFillLevel(m_ui.Speicherbelegung_PB, value);
    else if (QSpinBox *box = settingBox(m_ui, which))
        showDeviceValue(box, value);
}

void FormReportSink::setSleevePosition(double millimetres)
{
    showDeviceValue(m_ui.Huelsenpos_SB, millimetres);
}

void FormReportSink::appendRow(const MeasurementRow &row)
{
    new QTreeWidgetItem(m_ui.Messwert_treeWidget, row.cells);
}
