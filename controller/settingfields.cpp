#include "settingfields.h"

QSpinBox *settingBox(const Ui::KalvorIIControl &ui, ReportSink::Value key)
{
    for (const SettingField &field : settingFields) {
        if (field.key == key)
            return ui.*field.box;
    }
    return nullptr;
}

void showPlaceholders(Ui::KalvorIIControl &ui)
{
    const auto showPlaceholder = [](auto *box) {
        box->setValue(box->minimum());
        box->setSpecialValueText(QStringLiteral("?"));
    };
    for (const SettingField &field : settingFields) {
        if (field.shown)
            showPlaceholder(ui.*field.box);
    }
    showPlaceholder(ui.Huelsenpos_SB);
}

bool placeholderShown(const Ui::KalvorIIControl &ui)
{
    for (const SettingField &field : settingFields) {
        const QSpinBox *box = ui.*field.box;
        if (field.shown && !box->specialValueText().isEmpty() && box->value() == box->minimum())
            return true;
    }
    return false;
}

void showFactoryDefaults(Ui::KalvorIIControl &ui)
{
    for (const DeviceSetting &setting : deviceSettings) {
        QSpinBox *box = settingBox(ui, setting.key);
        box->setSpecialValueText(QString());
        box->setValue(setting.factoryDefault);
    }
    ui.Huelsenpos_SB->setSpecialValueText(QString());
    ui.Huelsenpos_SB->setValue(sleevePositionDefault);
}

DeviceSettings enteredSettings(const Ui::KalvorIIControl &ui)
{
    DeviceSettings settings;
    for (const DeviceSetting &setting : deviceSettings)
        settings.*setting.field = settingBox(ui, setting.key)->value();
    return settings;
}
