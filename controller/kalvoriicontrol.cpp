#include "kalvoriicontrol.h"

#include "controller/clock.h"
#include "controller/pause.h"
#include "export/measurementexport.h"
#include "link/ftdi_control.h"
#include "protocol/configwrite.h"
#include "protocol/reportdrain.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>

namespace {
// One receive run moves at most this much, so that a burst stays bounded.
constexpr int receiveChunk = 65536;
// Parser calls per clock tick: a full memory report is worked off over
// several ticks instead of freezing the window.
constexpr int drainLimit = 250;
// The hidden receive log is never shown; capping it keeps a long session's
// memory bounded (a full memory read adds about 50,000 lines).
constexpr int logLineLimit = 100000;
} // namespace

KalvorIIControl::KalvorIIControl()
    : QObject(nullptr)
{
    mainWidget = new QWidget;
    mainWidget->setFixedSize(929, 550);
    ui.setupUi(mainWidget);

    ui.Incoming_Data_TextEdit->setVisible(false);
    ui.Funkkanal_SB->setVisible(false);
    ui.Incoming_Data_TextEdit->document()->setMaximumBlockCount(logLineLimit);

    link = new FTDI_Control;

    QString connection = QString::number(link->deviceCount(), 10);
    connection += QLatin1String(" Kalvor 2 found and ");
    if (link->openDevice(QStringLiteral("USB Serial Converter"))) {
        connection += QLatin1String("0 connected");
        // Without a device the fields show "?" rather than numbers that did
        // not come from it.
        const auto showPlaceholder = [](auto *box) {
            box->setValue(box->minimum());
            box->setSpecialValueText(QStringLiteral("?"));
        };
        showPlaceholder(ui.geraeteID_SB);
        showPlaceholder(ui.Duration_SB);
        showPlaceholder(ui.interruptValue_SB);
        showPlaceholder(ui.BrightnessValue_SB);
        showPlaceholder(ui.Huelsenpos_SB);
        showPlaceholder(ui.DauerCycles_SB);
        showPlaceholder(ui.DauerTime_SB);
    } else {
        connection += QLatin1String("1 connected");
    }
    ui.FTDI_connection_LB->setText(connection);

    measuringRange = -1;

    mainWidget->move(0, 0);
    mainWidget->show();

    primeColumnWidths();

    ReadKVIIconfiguration();

    connect(ui.WriteConfig_PB, SIGNAL(clicked()), this, SLOT(WriteConfigFromKalvorII()));
    connect(ui.ReadConfig_PB, SIGNAL(clicked()), this, SLOT(ReadKVIIconfiguration()));
    connect(ui.ReadSpeicher_PB, SIGNAL(clicked()), this, SLOT(ReadSpeicherFromKalvorII()));
    connect(ui.ClearSpeicher_PB, SIGNAL(clicked()), this, SLOT(ClearSpeicherFromKalvorII()));
    connect(ui.ExportMesswerte_PB, SIGNAL(clicked()), this, SLOT(ExportMesswerte()));
    connect(ui.SetDefault_PB, SIGNAL(clicked()), this, SLOT(SetDefault()));

    clockTimer = new QTimer;
    connect(clockTimer, SIGNAL(timeout()), this, SLOT(updateUhr()));
    clockTimer->start(100);

    receiveTimer = new QTimer;
    connect(receiveTimer, SIGNAL(timeout()), this, SLOT(receiveSerialData()));
    receiveTimer->start(50);
}

KalvorIIControl::~KalvorIIControl()
{
    link->closeDevice();
    delete receiveTimer;
    delete clockTimer;
    delete link;
    delete mainWidget;
}

// Sizes the first four columns for a five-digit number, a date, a time and a
// force before any measurement has been read, with a placeholder row that is
// removed again.
void KalvorIIControl::primeColumnWidths()
{
    QTreeWidget *tree = ui.Messwert_treeWidget;
    for (int column = 0; column < 6; ++column)
        tree->resizeColumnToContents(column);
    const QDateTime now = QDateTime::currentDateTime();
    auto *placeholder = new QTreeWidgetItem(tree);
    placeholder->setText(0, QStringLiteral("10000"));
    placeholder->setText(1, now.date().toString(QStringLiteral("dd:MM:yyyy")));
    placeholder->setText(2, now.time().toString(QStringLiteral("hh:mm:ss")));
    placeholder->setText(3, QStringLiteral("13.7"));
    for (int column = 0; column < 6; ++column)
        tree->resizeColumnToContents(column);
    tree->clear();
}

bool KalvorIIControl::parseReport(QString &accumulator)
{
    ParserState state{measuringRange, measurementNumber, sleevePositionRaw};
    return m_parser.parseReport(accumulator, state, m_sink);
}

void KalvorIIControl::wakeDevice()
{
    if (!link->isOpen())
        return;
    link->sendText(QStringLiteral("\n"));
    pause(50, 50);
}

void KalvorIIControl::updateUhr()
{
    // The editors show whole seconds, and a spin box repaints on every set,
    // changed or not: setting only what changed spares nine repaints of ten.
    const QDate today = Clock::currentDateTime().date();
    if (ui.dateEdit->date() != today)
        ui.dateEdit->setDate(today);
    const QTime now = Clock::currentDateTime().time();
    const QTime shown(now.hour(), now.minute(), now.second());
    if (ui.timeEdit->time() != shown)
        ui.timeEdit->setTime(shown);
    drainReports(
        receiveAccumulator, [this](QString &accumulator) { return parseReport(accumulator); },
        drainLimit);
}

void KalvorIIControl::receiveSerialData()
{
    const int n = qMin(link->bytesAvailable(), receiveChunk);
    if (n <= 0)
        return;
    QByteArray buffer(n, '\0');
    const int taken = link->takeBytes(buffer.data(), n);
    buffer.truncate(taken);
    const qsizetype zero = buffer.indexOf('\0');
    if (zero >= 0)
        buffer.truncate(zero);
    QString text = QString::fromLatin1(buffer);
    text.remove(QLatin1Char('\r'));
    if (text.isEmpty())
        return;
    ui.Incoming_Data_TextEdit->insertPlainText(text);
    receiveAccumulator.append(text);
}

void KalvorIIControl::WriteConfigFromKalvorII()
{
    // A second press while the write runs (its pauses serve input) would
    // interleave two command sequences on the wire.
    if (m_writeRunning)
        return;
    m_writeRunning = true;

    wakeDevice();
    const QDateTime now = Clock::currentDateTime();
    const DeviceSettings settings{ui.interruptValue_SB->value(),  ui.geraeteID_SB->value(),
                                  ui.BrightnessValue_SB->value(), ui.Funkkanal_SB->value(),
                                  ui.DauerTime_SB->value(),       ui.DauerCycles_SB->value(),
                                  ui.Duration_SB->value()};
    const QList<ConfigCommand> commands = configCommands(now, settings);
    for (int i = 0; i < commands.size(); ++i) {
        const ConfigCommand &command = commands.at(i);
        ui.Incoming_Data_TextEdit->append(command.echo);
        if (i == commands.size() - 1)
            qt_message_output(QtDebugMsg, QMessageLogContext(), quotedForDebug(command.text));
        link->sendText(command.text);
        if (command.pauseEventsMs > 0 || command.pauseSleepMs > 0)
            pause(command.pauseEventsMs, command.pauseSleepMs);
    }

    m_writeRunning = false;
}

void KalvorIIControl::ReadConfigFromKalvorII()
{
}

void KalvorIIControl::ReadSpeicherFromKalvorII()
{
    measurementNumber = 1;
    wakeDevice();
    ui.Messwert_treeWidget->clear();
    link->sendText(QStringLiteral("2324"));
}

void KalvorIIControl::ClearSpeicherFromKalvorII()
{
    QMessageBox box;
    box.setText(tr("Speicher löschen"));
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.setIcon(QMessageBox::Warning);
    if (box.exec() != QMessageBox::Yes)
        return;
    wakeDevice();
    link->sendText(QStringLiteral("221"));
    ui.Speicherbelegung_PB->setValue(0);
}

void KalvorIIControl::ExportMesswerte()
{
    const QDateTime instant = Clock::currentDateTime();
    QTreeWidget *tree = ui.Messwert_treeWidget;
    // Rows the parser adds while the dialog is open are not exported: the
    // count is taken now.
    const int rowCount = tree->topLevelItemCount();

    const QString proposed = MeasurementExport::proposedFileName(instant);
    const QString chosen = QFileDialog::getSaveFileName(
        mainWidget, QStringLiteral("Save as"), QDir::currentPath() + QLatin1Char('/') + proposed,
        QStringLiteral("Log Dateien (*.txt);; Alle Dateien (*.*)"));
    // Cancelling does not cancel: the export goes under the proposed name
    // into the folder the dialog started in.
    const QString pointFileName = chosen.isNull() ? proposed : chosen;

    QList<QStringList> rows;
    rows.reserve(rowCount);
    for (int i = 0; i < rowCount; ++i) {
        const QTreeWidgetItem *item = tree->topLevelItem(i);
        QStringList cells;
        for (int column = 0; column < 6; ++column)
            cells << item->text(column);
        rows << cells;
    }
    const QString text = MeasurementExport::exportText(instant, ui.SerialNumber_lb->text(), rows);
    const QString pointText = MeasurementExport::pointText(text);

    if (!writeExportFileOrWarn(pointFileName, pointText))
        return;
    showTextWindow(pointText);
    writeExportFileOrWarn(MeasurementExport::commaFileName(pointFileName),
                          MeasurementExport::commaText(text));
}

// A user who sees no error believes the measurements saved and may clear the
// device next: a failed export must be said out loud.
bool KalvorIIControl::writeExportFileOrWarn(const QString &fileName, const QString &text)
{
    const QString error = MeasurementExport::writeExportFile(fileName, text);
    if (error.isEmpty())
        return true;
    QMessageBox::warning(mainWidget, tr("Export"),
                         tr("Die Datei %1 konnte nicht geschrieben werden:\n%2")
                             .arg(QDir::toNativeSeparators(fileName), error));
    return false;
}

void KalvorIIControl::ReadKVIIconfiguration()
{
    wakeDevice();
    link->sendText(QStringLiteral("71\n"));
}

void KalvorIIControl::SetDefault()
{
    ui.interruptValue_SB->setValue(40);
    ui.geraeteID_SB->setValue(1);
    ui.BrightnessValue_SB->setValue(130);
    ui.Funkkanal_SB->setValue(0);
    ui.DauerTime_SB->setValue(5);
    ui.DauerCycles_SB->setValue(10);
    ui.Duration_SB->setValue(10);
    ui.Huelsenpos_SB->setValue(0.0);
}

void KalvorIIControl::showTextWindow(const QString &text)
{
    auto *window = new QTabWidget;
    // Nobody keeps a reference to the preview: free it when the user closes it.
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setFixedSize(500, 400);
    window->setVisible(true);
    auto *view = new QTextEdit(window);
    view->setPlainText(text);
    view->setReadOnly(true);
    view->setFixedSize(500, 400);
    view->show();
}
