// KalvorIIControl: the converter, found, opened, lost and found again.

#include "kalvoriicontrol.h"

#include "link/ftdi_control.h"

// Opens the first of the `count` converters listed that opens (with a count
// of -1, the driver could not list them: opening is still tried once).
bool KalvorIIControl::openConverter(int count)
{
    m_deviceCount = count;
    m_openFailure = FT_OK;
    for (int index = 0; index < qMax(1, m_deviceCount); ++index) {
        if (!link->openDevice(QStringLiteral("USB Serial Converter"), index)) {
            m_connected = true;
            ++m_connection;
            return true;
        }
        m_openFailure = link->status();
    }
    m_connected = false;
    return false;
}

void KalvorIIControl::lookForConverter()
{
    // A command sequence's pauses serve the timers: opening now would put
    // the opening text and a request into the middle of its commands.
    if (m_commandRunning)
        return;
    if (checkConnection()) {
        const int count = link->deviceCount();
        if (count != m_deviceCount) {
            m_deviceCount = count;
            updateConnectionLabel();
        }
        return;
    }
    const int count = link->deviceCount();
    if (count <= 0) {
        m_deviceCount = count;
        m_openFailure = FT_OK;
        updateConnectionLabel();
        return;
    }
    if (!openConverter(count)) {
        updateConnectionLabel();
        return;
    }
    // A half report from the old connection must not join the new one's
    // greeting: what waits without a separator goes.
    while (link->bytesAvailable() > 0)
        receiveOnce();
    dropUnfinishedReport();
    updateConnectionLabel();
    updateButtons();
    ReadKVIIconfiguration();
}

// Notices a converter that went away under the open link (the link has
// closed it): the label, the buttons and a running read learn of it at once.
bool KalvorIIControl::checkConnection()
{
    if (m_connected && !link->isOpen()) {
        m_connected = false;
        m_openFailure = FT_OK;
        m_deviceCount = link->deviceCount();
        m_read.linkLost();
        // The next device may be another one: its fill level is not known
        // until it tells it, and rows read from this one keep this one's
        // serial number. The measuring range stays: records of this device
        // may still wait to be parsed, at its scale; the next device's own
        // range replaces it before a read of that device can start.
        showFillLevel(ui.Speicherbelegung_PB, fillLevelUnknown);
        if (!m_rows.isEmpty() && m_rowsSerialNumber.isNull())
            m_rowsSerialNumber = ui.SerialNumber_lb->text();
        updateConnectionLabel();
        updateButtons();
    }
    return m_connected;
}

void KalvorIIControl::updateConnectionLabel()
{
    // The label keeps the form of the program's first version, in English.
    ui.FTDI_connection_LB->setText(
        QString::number(m_deviceCount) + QLatin1String(" Kalvor 2 found and ")
        + QLatin1String(m_connected ? "1" : "0") + QLatin1String(" connected"));
    QString reason;
    if (!m_connected && m_deviceCount > 0 && m_openFailure != FT_OK) {
        if (m_openFailure == FT_PERMISSION_DENIED)
            reason = tr("Keine Berechtigung: zur Gruppe „dialout“ hinzufügen und neu anmelden");
        else if (m_openFailure == FT_DEVICE_BUSY)
            reason = tr("Ein anderes Programm benutzt den Wandler");
        else
            reason = tr("Der Wandler lässt sich nicht öffnen");
    }
    ui.ConnectionReason_lb->setText(reason);
    ui.ConnectionReason_lb->setVisible(!reason.isEmpty());
    // With a reason below it, the label moves to the cell's upper half.
    ui.FTDI_connection_LB->setAlignment(Qt::AlignHCenter
                                        | (reason.isEmpty() ? Qt::AlignVCenter : Qt::AlignTop));
    ui.FTDI_connection_LB->setMargin(reason.isEmpty() ? 0 : 4);
}
