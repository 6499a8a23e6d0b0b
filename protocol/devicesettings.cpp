#include "devicesettings.h"

#include <QtGlobal>

DeviceSettings DeviceSettings::factoryDefaults()
{
    DeviceSettings settings;
    for (const DeviceSetting &setting : deviceSettings)
        settings.*setting.field = setting.factoryDefault;
    return settings;
}

bool DeviceSettings::operator==(const DeviceSettings &other) const
{
    for (const DeviceSetting &setting : deviceSettings) {
        if (this->*setting.field != other.*setting.field)
            return false;
    }
    return true;
}

const DeviceSetting &deviceSetting(ReportSink::Value key)
{
    for (const DeviceSetting &setting : deviceSettings) {
        if (setting.key == key)
            return setting;
    }
    qFatal("no device setting is delivered as value %d", int(key));
}
