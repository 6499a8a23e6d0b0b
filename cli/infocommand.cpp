#include "cli/commands.h"
#include "cli/console.h"
#include "cli/deviceaccess.h"
#include "cli/exitcode.h"
#include "cli/invocation.h"
#include "session/devicesession.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QVariant>

#include <utility>

namespace {

QVariant told(const QString &text)
{
    return text.isNull() ? QVariant() : QVariant(text);
}

// The device's identity and settings as key and value, in the order shown;
// an invalid value is one the device has not told.
QList<std::pair<QString, QVariant>> deviceFacts(const DeviceSession &session)
{
    const ReportedDevice &device = session.reported();
    QList<std::pair<QString, QVariant>> facts{
        {QStringLiteral("serial-number"), told(device.serialNumber)},
        {QStringLiteral("firmware"), told(device.firmwareVersion)},
        {QStringLiteral("check-date"), told(device.checkDate)},
        {QStringLiteral("measuring-range"),
         session.measuringRange >= 0 ? QVariant(session.measuringRange) : QVariant()},
        // The device tells its fill level only in front of its memory.
        {QStringLiteral("fill-level"),
         device.fillLevel >= 0 ? QVariant(device.fillLevel) : QVariant()},
    };
    for (const DeviceSetting &setting : deviceSettings)
        facts.append({QLatin1String(setting.name), device.settings.*setting.field});
    return facts;
}

} // namespace

QString deviceFactsText(const DeviceSession &session, bool json)
{
    const QList<std::pair<QString, QVariant>> facts = deviceFacts(session);
    if (json) {
        QJsonObject object;
        for (const auto &[key, value] : facts)
            object.insert(key, value.isNull() ? QJsonValue() : QJsonValue::fromVariant(value));
        return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
    }
    QString text;
    for (const auto &[key, value] : facts)
        text += key + QStringLiteral(": ")
            + (value.isNull() ? QStringLiteral("?") : value.toString()) + u'\n';
    return text;
}

int showInfo(const Invocation &invocation)
{
    DeviceAccess access(invocation);
    if (const int status = access.connect(true))
        return status;
    return Console::out(deviceFactsText(access.session(), invocation.json)) ? ExitCode::done
                                                                            : ExitCode::notWritten;
}
