#include "configwrite.h"

#include <QtGlobal>

QList<ConfigCommand> configCommands(const QDateTime &now, const DeviceSettings &requested)
{
    // The device reads the fixed-width fields by position, so a value outside
    // its range would shift every following digit (a cycle time of 10000 is
    // five digits). The form never hands out such values; clamping here keeps
    // any other caller from sending a malformed command.
    DeviceSettings settings;
    for (const DeviceSetting &setting : deviceSettings)
        settings.*setting.field = setting.range.clamp(requested.*setting.field);

    QList<ConfigCommand> commands;
    commands.reserve(6);

    // Clock: date, day of week (1 = Monday ... 7 = Sunday) and 24-hour time,
    // all from the one instant. The device expects no line end here.
    const QString clock = QStringLiteral("62") + now.toString(QStringLiteral("yyyy:MM:dd:"))
        + QString::number(now.date().dayOfWeek()) + now.toString(QStringLiteral(":hh:mm:ss"));
    commands.append({clock, clock, 50, 50, {}});

    const QString thresholdAndId = QStringLiteral("32") + QString::number(settings.wakeThreshold)
        + QStringLiteral("\n") + QString::asprintf("41%02d\n", settings.deviceId);
    commands.append({thresholdAndId,
                     thresholdAndId,
                     75,
                     75,
                     {ReportSink::Value::WakeThreshold, ReportSink::Value::DeviceId}});

    // Brightness and channel are echoed before their line end is added.
    const QString brightnessText = QStringLiteral("51") + QString::number(settings.brightness);
    commands.append({brightnessText,
                     brightnessText + QLatin1Char('\n'),
                     100,
                     200,
                     {ReportSink::Value::Brightness}});

    const QString channelText = QStringLiteral("43") + QString::number(settings.radioChannel);
    commands.append(
        {channelText, channelText + QLatin1Char('\n'), 50, 50, {ReportSink::Value::RadioChannel}});

    const QString continuous
        = QString::asprintf("8%04d\n%04d\n", settings.cycleTime, settings.cycles);
    commands.append({continuous,
                     continuous,
                     50,
                     50,
                     {ReportSink::Value::CycleTime, ReportSink::Value::Cycles}});

    const QString durationText = QString::asprintf("75%03d\n", settings.duration);
    commands.append({durationText, durationText, 0, 0, {ReportSink::Value::Duration}});

    return commands;
}

QString quotedForDebug(const QString &text)
{
    return QLatin1Char('"') + text + QStringLiteral("\" ");
}
