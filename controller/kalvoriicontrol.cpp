#include "kalvoriicontrol.h"

#include "controller/clock.h"
#include "controller/pause.h"
#include "controller/settingfields.h"
#include "export/measurementexport.h"
#include "link/ftdi_control.h"
#include "protocol/commands.h"
#include "protocol/configwrite.h"
#include "protocol/devicesettings.h"
#include "protocol/receivedtext.h"
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

KalvorIIControl::KalvorIIControl(std::unique_ptr<FtdiDriver> driver)
    : QObject(nullptr)
{
    mainWidget = new QWidget;
    mainWidget->setFixedSize(929, 550);
    ui.setupUi(mainWidget);

    ui.Incoming_Data_TextEdit->setVisible(false);
    ui.Funkkanal_SB->setVisible(false);
    ui.Incoming_Data_TextEdit->document()->setMaximumBlockCount(logLineLimit);

    link = new FTDI_Control(std::move(driver));

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
        for (const SettingField &field : settingFields) {
            if (field.shown)
                showPlaceholder(ui.*field.box);
        }
        showPlaceholder(ui.Huelsenpos_SB);
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
    for (int column = 0; column < MeasurementRow::ColumnCount; ++column)
        tree->resizeColumnToContents(column);
    const QDateTime now = QDateTime::currentDateTime();
    auto *placeholder = new QTreeWidgetItem(tree);
    placeholder->setText(0, QStringLiteral("10000"));
    placeholder->setText(1, now.date().toString(QStringLiteral("dd:MM:yyyy")));
    placeholder->setText(2, now.time().toString(QStringLiteral("hh:mm:ss")));
    placeholder->setText(3, QStringLiteral("13.7"));
    for (int column = 0; column < MeasurementRow::ColumnCount; ++column)
        tree->resizeColumnToContents(column);
    tree->clear();
}

void KalvorIIControl::clearMeasurements()
{
    ui.Messwert_treeWidget->clear();
    m_rows.clear();
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
    link->sendText(QLatin1String(Commands::wake));
    pause(50, 50);
}

void KalvorIIControl::updateUhr()
{
    clockTick();
}

void KalvorIIControl::clockTick()
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
    receiveOnce();
}

void KalvorIIControl::receiveOnce()
{
    const int n = qMin(link->bytesAvailable(), receiveChunk);
    if (n <= 0)
        return;
    QByteArray buffer(n, '\0');
    buffer.truncate(link->takeBytes(buffer.data(), n));
    const QString text = receivedText(buffer);
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
    DeviceSettings settings;
    for (const DeviceSetting &setting : deviceSettings)
        settings.*setting.field = settingBox(ui, setting.key)->value();
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
    clearMeasurements();
    link->sendText(QLatin1String(Commands::readMemory));
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
    link->sendText(QLatin1String(Commands::clearMemory));
    ui.Speicherbelegung_PB->setValue(0);
}

void KalvorIIControl::ExportMesswerte()
{
    const QDateTime instant = Clock::currentDateTime();
    // Rows the parser adds while the dialog is open are not exported: the
    // rows are taken now.
    const QList<MeasurementRow> rows = m_rows;

    const QString proposed = MeasurementExport::proposedFileName(instant);
    const QString chosen = QFileDialog::getSaveFileName(
        mainWidget, QStringLiteral("Save as"), QDir::currentPath() + QLatin1Char('/') + proposed,
        QStringLiteral("Log Dateien (*.txt);; Alle Dateien (*.*)"));
    // Cancelling does not cancel: the export goes under the proposed name
    // into the folder the dialog started in.
    const QString pointFileName = chosen.isNull() ? proposed : chosen;

    QList<QStringList> cells;
    cells.reserve(rows.size());
    for (const MeasurementRow &row : rows)
        cells << row.cells;
    const QString text = MeasurementExport::exportText(instant, ui.SerialNumber_lb->text(), cells);
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
    link->sendText(QLatin1String(Commands::readConfiguration));
}

void KalvorIIControl::SetDefault()
{
    for (const DeviceSetting &setting : deviceSettings)
        settingBox(ui, setting.key)->setValue(setting.factoryDefault);
    ui.Huelsenpos_SB->setValue(sleevePositionDefault);
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
