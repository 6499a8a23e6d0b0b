#pragma once

#include "protocol/reportsink.h"
#include "ui_kalvor2control.h"

class QSpinBox;

// Which spin box of the form shows which device setting: the one place that
// ties the settings table (protocol/devicesettings.h) to the widgets.
struct SettingField
{
    ReportSink::Value key;
    QSpinBox *Ui::KalvorIIControl::*box;
    // False for the radio channel, whose box the window never shows.
    bool shown;
};

inline constexpr SettingField settingFields[] = {
    {ReportSink::Value::DeviceId, &Ui::KalvorIIControl::geraeteID_SB, true},
    {ReportSink::Value::WakeThreshold, &Ui::KalvorIIControl::interruptValue_SB, true},
    {ReportSink::Value::Duration, &Ui::KalvorIIControl::Duration_SB, true},
    {ReportSink::Value::Brightness, &Ui::KalvorIIControl::BrightnessValue_SB, true},
    {ReportSink::Value::RadioChannel, &Ui::KalvorIIControl::Funkkanal_SB, false},
    {ReportSink::Value::Cycles, &Ui::KalvorIIControl::DauerCycles_SB, true},
    {ReportSink::Value::CycleTime, &Ui::KalvorIIControl::DauerTime_SB, true},
};

// The spin box that shows the setting delivered as `key`; null for a key that
// is no setting (the fill level).
QSpinBox *settingBox(const Ui::KalvorIIControl &ui, ReportSink::Value key);

// Without a device the fields show "?" rather than numbers that did not come
// from it, until the device sends its own: each shown setting's box and the
// sleeve position stand at their minimum with the placeholder text "?".
void showPlaceholders(Ui::KalvorIIControl &ui);
