#include "settingfields.h"

#include <QCoreApplication>

namespace {
// The window's texts share one translation context.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(KalvorIIControl)
};
} // namespace

QSpinBox *settingBox(const Ui::KalvorIIControl &ui, ReportSink::Value key)
{
    for (const SettingField &field : settingFields) {
        if (field.key == key)
            return ui.*field.box;
    }
    return nullptr;
}

QString settingName(ReportSink::Value key)
{
    switch (key) {
    case ReportSink::Value::DeviceId:
        return Texts::tr("ID Nummer");
    case ReportSink::Value::WakeThreshold:
        return Texts::tr("Schwellwert (Aufwachen)");
    case ReportSink::Value::Duration:
        return Texts::tr("Dauer");
    case ReportSink::Value::Brightness:
        return Texts::tr("Helligkeit");
    case ReportSink::Value::RadioChannel:
        return Texts::tr("Funkkanal");
    case ReportSink::Value::Cycles:
        return Texts::tr("Anzahl");
    case ReportSink::Value::CycleTime:
        return Texts::tr("Zykluszeit");
    case ReportSink::Value::FillLevel:
    case ReportSink::Value::EntryCount:
        break;
    }
    return QString();
}
