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
