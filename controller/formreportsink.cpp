#include "formreportsink.h"

#include "ui_kalvor2control.h"

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

void FormReportSink::setValue(Value which, int value)
{
    switch (which) {
    case Value::Brightness:
        m_ui.BrightnessValue_SB->setValue(value);
        break;
    case Value::RadioChannel:
        m_ui.Funkkanal_SB->setValue(value);
        break;
    case Value::DeviceId:
        m_ui.geraeteID_SB->setValue(value);
        break;
    case Value::WakeThreshold:
        m_ui.interruptValue_SB->setValue(value);
        break;
    case Value::Duration:
        m_ui.Duration_SB->setValue(value);
        break;
    case Value::Cycles:
        m_ui.DauerCycles_SB->setValue(value);
        break;
    case Value::CycleTime:
        m_ui.DauerTime_SB->setValue(value);
        break;
    case Value::FillLevel:
        m_ui.Speicherbelegung_PB->setValue(value);
        break;
    }
}

void FormReportSink::setSleevePosition(double millimetres)
{
    m_ui.Huelsenpos_SB->setValue(millimetres);
}

void FormReportSink::appendRow(const QStringList &cells)
{
    new QTreeWidgetItem(m_ui.Messwert_treeWidget, cells);
}
