#include "configwrite.h"

#include <QtGlobal>

namespace {

// The device reads the fixed-width fields by position, so a value outside its
// spin box's range would shift every following digit (a cycle time of 10000
// is five digits). The form never hands out such values; clamping here keeps
// any other caller from sending a malformed command.
int clamped(int value, int minimum, int maximum)
{
    return qBound(minimum, value, maximum);
}

} // namespace

QList<ConfigCommand> configCommands(const QDateTime &now, const DeviceSettings &settings)
{
    const int threshold = clamped(settings.wakeThreshold, 5, 255);
    const int id = clamped(settings.deviceId, 0, 31);
    const int brightness = clamped(settings.brightness, 0, 255);
    const int channel = clamped(settings.radioChannel, 0, 255);
    const int cycleTime = clamped(settings.cycleTime, 0, 2048);
    const int cycles = clamped(settings.cycles, 0, 4096);
    const int duration = clamped(settings.duration, 0, 255);

    QList<ConfigCommand> commands;
    commands.reserve(6);

    // Clock: date, day of week (1 = Monday ... 7 = Sunday) and 24-hour time,
    // all from the one instant. The device expects no line end here.
    const QString clock = QStringLiteral("62") + now.toString(QStringLiteral("yyyy:MM:dd:"))
        + QString::number(now.date().dayOfWeek()) + now.toString(QStringLiteral(":hh:mm:ss"));
    commands.append({clock, clock, 50, 50});

    const QString thresholdAndId = QStringLiteral("32") + QString::number(threshold)
        + QStringLiteral("\n") + QString::asprintf("41%02d\n", id);
    commands.append({thresholdAndId, thresholdAndId, 75, 75});

    // Brightness and channel are echoed before their line end is added.
    const QString brightnessText = QStringLiteral("51") + QString::number(brightness);
    commands.append({brightnessText, brightnessText + QLatin1Char('\n'), 100, 200});

    const QString channelText = QStringLiteral("43") + QString::number(channel);
    commands.append({channelText, channelText + QLatin1Char('\n'), 50, 50});

    const QString continuous = QString::asprintf("8%04d\n%04d\n", cycleTime, cycles);
    commands.append({continuous, continuous, 50, 50});

    const QString durationText = QString::asprintf("75%03d\n", duration);
    commands.append({durationText, durationText, 0, 0});

    return commands;
}

QString quotedForDebug(const QString &text)
{
    return QLatin1Char('"') + text + QStringLiteral("\" ");
}
