#include "settingfields.h"

QSpinBox *settingBox(const Ui::KalvorIIControl &ui, ReportSink::Value key)
{
    for (const SettingField &field : settingFields) {
        if (field.key == key)
            return ui.*field.box;
    }
    return nullptr;
}
