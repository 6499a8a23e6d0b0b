#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitcode.h"
#include "cli/invocation.h"
#include "link/serialportdriver.h"
#include "session/statustexts.h"
#include "sim/simulateddriver.h"

#include <QCoreApplication>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(KalvorIIControl)
};

constexpr quint16 ftdiVendorId = 0x0403;

struct Converter
{
    QString port;
    QString serialNumber;
    FT_STATUS openStatus = FT_OK;
};

// Whether the converter opens, tried as the program opens it (and closed at
// once): the reason a script needs is the one the read would meet.
FT_STATUS tryOpen(FtdiDriver &driver)
{
    quint32 count = 0;
    driver.createDeviceInfoList(&count);
    FT_HANDLE handle = nullptr;
    const FT_STATUS status = driver.open(0, &handle);
    if (status == FT_OK)
        driver.close(handle);
    return status;
}

QList<Converter> converters(const Invocation &invocation)
{
    QList<Converter> found;
    if (invocation.simulate) {
        const std::unique_ptr<SimulatedDriver> driver = simulatedDriver(invocation.simulation);
        if (driver->isPlugged())
            found.append({QStringLiteral("simulated"), QString(), tryOpen(*driver)});
        return found;
    }
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports) {
        if (info.hasVendorIdentifier() && info.vendorIdentifier() == ftdiVendorId)
            found.append({info.systemLocation(), info.serialNumber(), FT_OK});
    }
    std::sort(found.begin(), found.end(), [](const Converter &a, const Converter &b) {
        return SerialPortDriver::naturalLess(a.port, b.port);
    });
    for (Converter &converter : found) {
        SerialPortDriver driver(QStringList{converter.port});
        converter.openStatus = tryOpen(driver);
    }
    return found;
}

} // namespace

int listConverters(const Invocation &invocation)
{
    const QList<Converter> found = converters(invocation);
    if (found.isEmpty())
        return Console::fail(ExitCode::noConverter,
                             Texts::tr("Kein FTDI-Wandler gefunden: Kalvor 2 mit seinem Wandler "
                                       "einstecken"));
    const bool rule = deviceRuleInstalled();
    QString lines;
    for (const Converter &converter : found) {
        const QString state = converter.openStatus == FT_OK
            ? Texts::tr("bereit")
            : openFailureText(converter.openStatus, rule);
        lines += converter.port + u'\t'
            + (converter.serialNumber.isEmpty() ? QStringLiteral("-") : converter.serialNumber)
            + u'\t' + state + u'\n';
    }
    if (!Console::out(lines))
        return ExitCode::notWritten;
    return ExitCode::done;
}
