#pragma once

#include "protocol/devicesettings.h"
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

// Whether a shown field still holds "?": its minimum then is no value of the
// device's, and writing it would overwrite the device's setting.
bool placeholderShown(const Ui::KalvorIIControl &ui);

// The factory defaults in the fields, as real values: no field shows "?"
// afterwards, also where a default is the field's minimum.
void showFactoryDefaults(Ui::KalvorIIControl &ui);

// The settings as the fields hold them, to be written to the device.
DeviceSettings enteredSettings(const Ui::KalvorIIControl &ui);
