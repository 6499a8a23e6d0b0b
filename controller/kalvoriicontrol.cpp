#include "kalvoriicontrol.h"

#include "controller/clock.h"
#include "controller/exportsession.h"
#include "controller/pause.h"
#include "controller/readstatus.h"
#include "controller/settingfields.h"
#include "export/measurementexport.h"
#include "link/ftdi_control.h"
#include "protocol/commands.h"
#include "protocol/configwrite.h"
#include "protocol/devicesettings.h"
#include "protocol/reportdrain.h"
#include "ui/chartimagefile.h"
#include "ui/focusreturn.h"
#include "ui/formfit.h"
#include "ui/language.h"
#include "ui/measurementchart.h"
#include "ui/tablecopy.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>

#include <csignal>

namespace {
// Parser calls per clock tick: a full memory report is worked off over
// several ticks instead of freezing the window.
constexpr int drainLimit = 250;
} // namespace

// Marks a slot that writes to the device as running, from its first write
// (the wake step) to the end of its last pause: the device buttons stay off
// meanwhile, because the pauses serve input and a second command would
// interleave with this one on the wire.
class KalvorIIControl::CommandSequence
{
public:
    explicit CommandSequence(KalvorIIControl *controller)
        : m_controller(controller)
    {
        // The pressed button goes grey; Qt would hand its focus to the next
        // enabled one, "Werkeinstellung setzen", where a second Space would
        // overwrite the fields. The tab bar holds it until the button is
        // enabled again (after a memory read, only when the read ends). A
        // field being edited keeps it: no command turns a field grey.
        auto *button = qobject_cast<QAbstractButton *>(QApplication::focusWidget());
        if (button && m_controller->mainWidget->isAncestorOf(button))
            m_return = FocusReturn::park(button, m_controller->ui.tabWidget->tabBar());
        m_controller->m_commandRunning = true;
        m_controller->updateButtons();
    }
    ~CommandSequence()
    {
        m_controller->m_commandRunning = false;
        m_controller->updateButtons();
        if (m_return)
            m_return->settle();
    }
    Q_DISABLE_COPY_MOVE(CommandSequence)

private:
    KalvorIIControl *m_controller;
    QPointer<FocusReturn> m_return;
};

KalvorIIControl::KalvorIIControl(std::unique_ptr<FtdiDriver> driver)
    : QObject(nullptr)
{
    // A write past a file-size limit must fail like any other write (the
    // export warns and keeps the earlier file), not end the program and take
    // the table with it.
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif

    mainWidget = new QWidget;
    mainWidget->setFixedSize(929, 550);
    ui.setupUi(mainWidget);

    ui.Incoming_Data_TextEdit->setVisible(false);
    ui.Funkkanal_SB->setVisible(false);
    TableCopy::enable(ui.Messwert_treeWidget);
    addChartPage();
    fitToFonts();
    // The log only ever grows at its end and loses its oldest lines: nothing
    // to undo, and an undo history would keep all of it.
    ui.Incoming_Data_TextEdit->document()->setUndoRedoEnabled(false);

    link = new FTDI_Control(std::move(driver));

    if (!openConverter(link->deviceCount())) {
        // Without a device the fields show "?" rather than numbers that did
        // not come from it, until the device sends its own.
        const auto showPlaceholder = [](auto *box) {
            box->setValue(box->minimum());
            box->setSpecialValueText(QStringLiteral("?"));
        };
        for (const SettingField &field : settingFields) {
            if (field.shown)
                showPlaceholder(ui.*field.box);
        }
        showPlaceholder(ui.Huelsenpos_SB);
    }
    updateConnectionLabel();
    showFillLevel(ui.Speicherbelegung_PB, fillLevelUnknown);

    measuringRange = -1;

    mainWidget->move(0, 0);
    mainWidget->show();

    primeColumnWidths();
    updateButtons();

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

    // Converters come and go: once a second the FTDI list is looked at.
    lookTimer = new QTimer;
    connect(lookTimer, &QTimer::timeout, this, [this] { lookForConverter(); });
    lookTimer->start(1000);
}

KalvorIIControl::~KalvorIIControl()
{
    link->closeDevice();
    delete lookTimer;
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

// A memory read starts: the rows of the last one go.
void KalvorIIControl::clearMeasurements()
{
    ui.Messwert_treeWidget->clear();
    m_rows.clear();
    m_rowsSerialNumber = QString();
    m_chart->clear();
    m_chartRows = 0;
    // A saved chart names the device and the read its rows come from.
    ReadInfo read;
    read.startedAt = Clock::currentDateTime();
    read.serialNumber = ui.SerialNumber_lb->text();
    m_chart->setReadInfo(read);
}

// The chart is a third page after the settings and measurement pages, in
// their look; the three tabs share the window's width.
void KalvorIIControl::addChartPage()
{
    m_chart = new MeasurementChart;
    ui.tabWidget->addTab(m_chart, tr("Diagramm"));
    connect(m_chart, &MeasurementChart::saveRequested, this, [this] { saveChart(); });
}

// The settings and measurement pages' tabs are 46ex wide each: with the
// chart's tab, three of that width would not fit the window.
void KalvorIIControl::fitTabs()
{
    FormFit::shareTabWidth(ui.tabWidget);
}

// Texts whole with this platform's fonts and system font size, and Tab in
// reading order on every page.
void KalvorIIControl::fitToFonts()
{
    // The date and time in the window's language, as the clock ticks them.
    const QLocale locale;
    ui.dateEdit->setDisplayFormat(Language::dateFormat(locale));
    ui.timeEdit->setDisplayFormat(Language::timeFormat(locale));
    FormFit::fitButtonRow({ui.ReadConfig_PB, ui.WriteConfig_PB, ui.SetDefault_PB},
                          ui.frame_5->width() - ui.ReadConfig_PB->x());
    fitTabs();
    for (QWidget *frame : {ui.frame_5, ui.frame_7})
        for (QAbstractSpinBox *box : frame->findChildren<QAbstractSpinBox *>())
            FormFit::fitValueBox(box);
    FormFit::setReadingOrder({ui.frame_5, ui.frame_7});
    FormFit::setReadingOrder({ui.System});
}

// The rows the parser added in this tick go to the chart in one batch.
void KalvorIIControl::showNewRowsInChart()
{
    if (m_rows.size() == m_chartRows)
        return;
    m_chart->appendRows(m_rows, m_chartRows);
    m_chartRows = m_rows.size();
}

void KalvorIIControl::saveChart()
{
    // The image is the page as it shows: laid out only once shown.
    ui.tabWidget->setCurrentWidget(m_chart);
    const QString proposed = MeasurementExport::proposedFileName(Clock::currentDateTime(),
                                                                 QStringLiteral("_chart.png"));
    const QString png = tr("PNG-Bild (*.png)");
    const QString svg = tr("SVG-Grafik (*.svg)");
    QString filter = png;
    QString chosen = QFileDialog::getSaveFileName(mainWidget, tr("Diagramm speichern"),
                                                  QDir::currentPath() + QLatin1Char('/') + proposed,
                                                  png + QLatin1String(";;") + svg, &filter);
    if (chosen.isEmpty())
        return;
    const QString suffix = QFileInfo(chosen).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("svg"))
        chosen += filter == svg ? QLatin1String(".svg") : QLatin1String(".png");
    int systemError = 0;
    if (const QString error = saveChartImage(*m_chart, chosen, &systemError); !error.isEmpty())
        warnNotWritten(mainWidget, chosen, writeFailure(chosen, error, systemError));
}

bool KalvorIIControl::deviceCommandsAllowed() const
{
    return link->isOpen() && !m_read.running() && !m_commandRunning;
}

// The one rule for every button's state, run whenever what it depends on
// changes.
void KalvorIIControl::updateButtons()
{
    const bool device = deviceCommandsAllowed();
    // A field that still shows "?" holds its minimum, which is no value of
    // the device's: writing it would overwrite the device's setting.
    bool placeholders = false;
    for (const SettingField &field : settingFields) {
        const QSpinBox *box = ui.*field.box;
        placeholders = placeholders
            || (field.shown && !box->specialValueText().isEmpty()
                && box->value() == box->minimum());
    }
    QString why;
    if (!link->isOpen())
        why = tr("Kein Kalvor 2 verbunden");
    else if (m_read.running())
        why = tr("Während der Speicher gelesen wird, nicht möglich");
    for (QPushButton *button :
         {ui.ReadConfig_PB, ui.WriteConfig_PB, ui.ReadSpeicher_PB, ui.ClearSpeicher_PB}) {
        button->setEnabled(device);
        button->setToolTip(why);
    }
    if (device && placeholders) {
        ui.WriteConfig_PB->setEnabled(false);
        ui.WriteConfig_PB->setToolTip(
            tr("Erst die Einstellungen einlesen oder die Werkeinstellung setzen"));
    }
    // The save dialog would hold a command sequence in one of its pauses.
    ui.ExportMesswerte_PB->setEnabled(!m_read.running() && !m_commandRunning);
}

void KalvorIIControl::showStatus(const QString &text, bool warning, const QString &toolTip)
{
    QLabel *status = ui.ReadStatus_lb;
    if (status->text() != text)
        status->setText(text);
    status->setToolTip(toolTip);
    if (warning != m_statusWarning) {
        m_statusWarning = warning;
        status->setProperty("warning", warning);
        status->style()->unpolish(status);
        status->style()->polish(status);
    }
}

void KalvorIIControl::updateReadStatus()
{
    const ReadStatus status = readStatus(m_read);
    showStatus(status.text, status.warning);
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
    if (link->isOpen())
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
    const bool parsed = drainReports(
        receiveAccumulator, [this](QString &accumulator) { return parseReport(accumulator); },
        [this] { return m_parser.recordWaiting(); }, drainLimit);
    showNewRowsInChart();
    if (parsed)
        updateButtons(); // a value from the device may have replaced a "?"

    checkConnection();
    if (!m_read.running())
        return;
    const bool ended = m_read.endsNow(Clock::steadyMs(), int(m_rows.size()), [this] {
        return !m_parser.recordWaiting()
            && !receiveAccumulator.contains(QLatin1String(reportSeparator));
    });
    updateReadStatus();
    if (ended)
        updateButtons();
}

void KalvorIIControl::receiveSerialData()
{
    receiveOnce();
}

void KalvorIIControl::WriteConfigFromKalvorII()
{
    if (!deviceCommandsAllowed())
        return;
    const CommandSequence sequence(this);

    wakeDevice();
    const QDateTime now = Clock::currentDateTime();
    DeviceSettings settings;
    for (const DeviceSetting &setting : deviceSettings)
        settings.*setting.field = settingBox(ui, setting.key)->value();
    const QList<ConfigCommand> commands = configCommands(now, settings);
    for (int i = 0; i < commands.size(); ++i) {
        const ConfigCommand &command = commands.at(i);
        ui.Incoming_Data_TextEdit->append(command.echo);
        m_logLineLength = 0;
        if (i == commands.size() - 1)
            qt_message_output(QtDebugMsg, QMessageLogContext(), quotedForDebug(command.text));
        link->sendText(command.text);
        // No button says it wrote what never reached the device.
        if (!checkConnection())
            return;
        if (command.pauseEventsMs > 0 || command.pauseSleepMs > 0)
            pause(command.pauseEventsMs, command.pauseSleepMs);
    }
}

void KalvorIIControl::ReadConfigFromKalvorII()
{
}

void KalvorIIControl::ReadSpeicherFromKalvorII()
{
    if (!deviceCommandsAllowed())
        return;
    // The read runs from the press: a second press, an export or a clear
    // could otherwise cut into it.
    m_read.start(Clock::steadyMs());
    updateReadStatus();
    {
        const CommandSequence sequence(this);
        wakeDevice();
        // Records of an earlier stream parsed during the wake step leave no
        // gap in the numbering: the new table starts at 1 again.
        measurementNumber = 1;
        clearMeasurements();
        // What has waited a second without its separator is the rest of a
        // report broken off (a read cut short): joined to the memory report
        // it would turn into a row.
        if (Clock::steadyMs() - m_lastTextMs >= unfinishedReportMs)
            dropUnfinishedReport();
        link->sendText(QLatin1String(Commands::readMemory));
        checkConnection();
    }
    m_read.commandSent(Clock::steadyMs());
    updateReadStatus();
    updateButtons();
}

void KalvorIIControl::ClearSpeicherFromKalvorII()
{
    if (!deviceCommandsAllowed())
        return;
    QMessageBox box;
    box.setText(tr("Speicher löschen"));
    box.setInformativeText(clearQuestionDetail(m_read));
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.setIcon(QMessageBox::Warning);
    if (box.exec() != QMessageBox::Yes)
        return;
    // The converter may have gone while the question was open.
    bool sent = false;
    if (deviceCommandsAllowed()) {
        const CommandSequence sequence(this);
        wakeDevice();
        const QByteArray command(Commands::clearMemory);
        sent = link->sendText(QLatin1String(command)) == command.size();
        checkConnection();
    }
    // The fill bar says the memory is empty only when the command went out.
    if (sent) {
        showFillLevel(ui.Speicherbelegung_PB, 0);
        m_read.memoryCleared();
    } else {
        showStatus(tr("Speicher nicht gelöscht: kein Kalvor 2 verbunden"), true);
    }
}

void KalvorIIControl::ExportMesswerte()
{
    if (m_read.running() || m_commandRunning)
        return;
    const QString serialNumber
        = m_rowsSerialNumber.isNull() ? ui.SerialNumber_lb->text() : m_rowsSerialNumber;
    const ExportOutcome outcome
        = runExport(mainWidget, Clock::currentDateTime(), serialNumber, m_rows,
                    [this](const QString &text) { showTextWindow(text); });
    if (outcome.status != ExportOutcome::Written)
        return;
    m_read.exported();
    // A warning about the last read stays until the next read.
    if (!m_statusWarning)
        showStatus(exportedStatus(outcome.pointFile, outcome.commaFile, outcome.commaWritten),
                   false,
                   QDir::toNativeSeparators(outcome.pointFile)
                       + (outcome.commaWritten
                              ? QLatin1Char('\n') + QDir::toNativeSeparators(outcome.commaFile)
                              : QString()));
}

void KalvorIIControl::ReadKVIIconfiguration()
{
    if (!deviceCommandsAllowed())
        return;
    const CommandSequence sequence(this);
    wakeDevice();
    link->sendText(QLatin1String(Commands::readConfiguration));
    checkConnection();
}

void KalvorIIControl::SetDefault()
{
    for (const DeviceSetting &setting : deviceSettings)
        settingBox(ui, setting.key)->setValue(setting.factoryDefault);
    ui.Huelsenpos_SB->setValue(sleevePositionDefault);
    updateButtons();
}

void KalvorIIControl::showTextWindow(const QString &text)
{
    auto *window = new QTabWidget;
    // Nobody keeps a reference to the preview: free it when the user closes it.
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Closing the main window ends the program, open previews or not: a
    // forgotten preview must not keep the process and the port.
    window->setAttribute(Qt::WA_QuitOnClose, false);
    window->setFixedSize(500, 400);
    window->setVisible(true);
    auto *view = new QTextEdit(window);
    view->setPlainText(text);
    view->setReadOnly(true);
    view->setFixedSize(500, 400);
    view->show();
}
