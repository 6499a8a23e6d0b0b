#include "kalvoriicontrol.h"

#include "controller/archiveview.h"
#include "controller/chartsave.h"
#include "controller/settingfields.h"
#include "link/ftdi_control.h"
#include "session/clock.h"
#include "session/statustexts.h"
#include "ui/clearquestion.h"
#include "ui/focusreturn.h"
#include "ui/measurementchart.h"
#include "ui/measurementtable.h"
#include "ui/receivelogview.h"
#include "ui/statusline.h"
#include "ui/tablecopy.h"
#include "ui/textwindow.h"
#include "ui/windowfit.h"

#include <QDir>
#include <QTabBar>
#include <QTimer>
#include <QWidget>

#include <csignal>

KalvorIIControl::KalvorIIControl(std::unique_ptr<FtdiDriver> driver, Timers timers)
    : QObject(nullptr)
    , m_session(std::make_unique<DeviceSession>(
          std::move(driver),
          timers == Timers::Run ? DeviceSession::Timers::LookOnly : DeviceSession::Timers::None))
    , receiveAccumulator(m_session->receiveAccumulator)
    , measuringRange(m_session->measuringRange)
    , measurementNumber(m_session->measurementNumber)
    , sleevePositionRaw(m_session->sleevePositionRaw)
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
    m_view = new ArchiveView(ui, m_chart, *m_session, m_archive, this);
    fitWindowToFonts(ui);
    // The log only ever grows at its end and loses its oldest lines: nothing
    // to undo, and an undo history would keep all of it.
    ui.Incoming_Data_TextEdit->document()->setUndoRedoEnabled(false);

    link = m_session->link();
    m_session->setSink(&m_sink);
    connectSession();
    if (!m_session->openFirst())
        showPlaceholders(ui);
    showFillLevel(ui.Speicherbelegung_PB, fillLevelUnknown);
    // A value the user enters is a real one, its minimum included: the "?"
    // goes, and the write button follows every edit.
    for (const SettingField &field : settingFields)
        connect(ui.*field.box, &QSpinBox::valueChanged, this,
                [this, box = ui.*field.box] { realValueEntered(box); });
    connect(ui.Huelsenpos_SB, &QDoubleSpinBox::valueChanged, this,
            [this] { realValueEntered(ui.Huelsenpos_SB); });

    measuringRange = -1;

    mainWidget->move(0, 0);
    mainWidget->show();

    MeasurementTable::primeColumnWidths(ui.Messwert_treeWidget);
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
    receiveTimer = new QTimer;
    connect(receiveTimer, SIGNAL(timeout()), this, SLOT(receiveSerialData()));
    if (timers == Timers::Run) {
        clockTimer->start(DeviceSession::tickIntervalMs);
        receiveTimer->start(DeviceSession::receiveIntervalMs);
    }
}

KalvorIIControl::~KalvorIIControl()
{
    delete receiveTimer;
    delete clockTimer;
    m_session.reset(); // closes the link
    delete mainWidget;
}

// What the session reports, shown in the window.
void KalvorIIControl::connectSession()
{
    DeviceSession *session = m_session.get();
    connect(session, &DeviceSession::connectionChanged, this, [this] {
        const bool connected = m_session->isConnected();
        const int found = m_session->deviceCount();
        showConnectionLine(ui.FTDI_connection_LB, ui.ConnectionReason_lb, found, connected,
                           !connected && found > 0
                               ? openFailureText(m_session->openFailure(), deviceRuleInstalled())
                               : QString());
        if (!connected)
            showFillLevel(ui.Speicherbelegung_PB, fillLevelUnknown);
        updateButtons();
    });
    connect(session, &DeviceSession::commandRunningChanged, this, [this] { updateButtons(); });
    connect(session, &DeviceSession::readChanged, this, [this] {
        updateReadStatus();
        updateButtons();
    });
    connect(session, &DeviceSession::rowsCleared, m_view, &ArchiveView::clear);
    connect(session, &DeviceSession::rowsAdded, m_view, &ArchiveView::showNewRows);
    connect(m_view, &ArchiveView::shownChanged, this, [this] { updateReadStatus(); });
    connect(m_view, &ArchiveView::notLoaded, this,
            [this](const QString &text) { showStatus(text, true); });
    connect(&m_archive, &WindowArchive::failed, this, [this] { updateReadStatus(); });
    connect(session, &DeviceSession::logText, this,
            [this](const QString &text) { appendToReceiveLog(ui.Incoming_Data_TextEdit, text); });
    connect(session, &DeviceSession::logCommand, this,
            [this](const QString &echo) { ui.Incoming_Data_TextEdit->append(echo); });
    connect(session, &DeviceSession::settingsWriteEnded, this,
            [this](const SettingsWriteOutcome &outcome) {
                showSettingsStatus(settingsWriteStatus(outcome));
            });
}

// The chart is a third page after the settings and measurement pages, in
// their look; the three tabs share the window's width.
void KalvorIIControl::addChartPage()
{
    m_chart = new MeasurementChart;
    ui.tabWidget->addTab(m_chart, tr("Diagramm"));
    connect(m_chart, &MeasurementChart::saveRequested, this, [this] {
        // The image is the page as it shows: laid out only once shown.
        ui.tabWidget->setCurrentWidget(m_chart);
        saveChartImage(mainWidget, *m_chart);
    });
}

// The one rule for every button's state, run whenever what it depends on
// changes.
void KalvorIIControl::updateButtons()
{
    const DeviceSession &session = *m_session;
    const bool device = session.commandsAllowed();
    QString why;
    if (!link->isOpen())
        why = tr("Kein Kalvor 2 verbunden");
    else if (session.memoryRead().running())
        why = tr("Während der Speicher gelesen wird, nicht möglich");
    for (QPushButton *button :
         {ui.ReadConfig_PB, ui.WriteConfig_PB, ui.ReadSpeicher_PB, ui.ClearSpeicher_PB}) {
        button->setEnabled(device);
        button->setToolTip(why);
    }
    if (device && !session.configurationKnown()) {
        ui.ReadSpeicher_PB->setEnabled(false);
        ui.ReadSpeicher_PB->setToolTip(
            tr("Die Einstellungen des Geräts sind noch nicht eingelesen"));
    }
    if (device && placeholderShown(ui)) {
        ui.WriteConfig_PB->setEnabled(false);
        ui.WriteConfig_PB->setToolTip(
            tr("Erst die Einstellungen einlesen oder die Werkeinstellung setzen"));
    }
    // The save dialog would hold a command in one of its pauses.
    const bool idle = !session.memoryRead().running() && !session.commandRunning();
    ui.ExportMesswerte_PB->setEnabled(idle);
    m_view->button()->setEnabled(idle && m_archive.isOpen());
    m_view->button()->setToolTip(m_archive.isOpen() ? QString() : tr("Kein Archiv geöffnet"));
}

void KalvorIIControl::showStatus(const QString &text, bool warning, const QString &toolTip)
{
    showStatusLine(ui.ReadStatus_lb, text, warning, toolTip);
}

void KalvorIIControl::showSettingsStatus(const ReadStatus &status)
{
    showStatusLine(ui.SettingsStatus_lb, status.text, status.warning);
}

void KalvorIIControl::realValueEntered(QAbstractSpinBox *box)
{
    if (!box->specialValueText().isEmpty())
        box->setSpecialValueText(QString());
    updateButtons();
}

void KalvorIIControl::updateReadStatus()
{
    const ReadStatus status = m_view->readStatus();
    showStatus(status.text, status.warning);
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
    if (m_session->tick())
        updateButtons(); // a value from the device may have replaced a "?"
}

void KalvorIIControl::receiveSerialData()
{
    receiveOnce();
}

void KalvorIIControl::WriteConfigFromKalvorII()
{
    if (!m_session->commandsAllowed())
        return;
    const FocusParking parking(mainWidget, ui.tabWidget->tabBar());
    showSettingsStatus({});
    m_session->writeConfiguration(enteredSettings(ui));
}

void KalvorIIControl::ReadConfigFromKalvorII()
{
}

void KalvorIIControl::ReadSpeicherFromKalvorII()
{
    if (!m_session->commandsAllowed() || !m_session->configurationKnown())
        return;
    const auto start = FocusParking::run(mainWidget, ui.tabWidget->tabBar(),
                                         [this] { return m_session->readMemory(); });
    if (start == DeviceSession::ReadStart::NotSent)
        showStatus(tr("Speicher nicht gelesen: kein Kalvor 2 verbunden"), true);
}

void KalvorIIControl::ClearSpeicherFromKalvorII()
{
    if (!m_session->commandsAllowed())
        return;
    const QString detail = clearQuestionDetail(m_session->memoryRead(), m_archive.lastReadKept());
    const int askedOn = m_session->connection();
    if (!askToClearMemory(detail))
        return;
    const auto result = FocusParking::run(mainWidget, ui.tabWidget->tabBar(),
                                          [&] { return m_session->clearMemory(askedOn); });
    // The fill bar says the memory is empty only when the command went out.
    if (result == DeviceSession::ClearResult::Cleared)
        showFillLevel(ui.Speicherbelegung_PB, 0);
    const ReadStatus status = clearStatus(result, m_session->isConnected());
    showStatus(status.text, status.warning);
}

void KalvorIIControl::ExportMesswerte()
{
    if (m_session->memoryRead().running() || m_session->commandRunning())
        return;
    // An archived read shown is exported as it was read, from its device.
    const ArchivedRead *archived = m_archive.shown();
    const QString serialNumber = archived        ? archived->summary.serialNumber
        : m_session->rowsSerialNumber().isNull() ? ui.SerialNumber_lb->text()
                                                 : m_session->rowsSerialNumber();
    const ExportOutcome outcome
        = runExport(mainWidget, Clock::currentDateTime(), serialNumber,
                    archived ? archived->rows : m_session->rows(),
                    archived ? archived->info : m_session->readInfo(), m_chooseExportFile,
                    [this](const QString &text) { showTextWindow(text); });
    if (outcome.status == ExportOutcome::Cancelled)
        return;
    if (outcome.status == ExportOutcome::Written && !archived)
        m_session->markExported();
    if (outcome.status == ExportOutcome::Written)
        m_archive.markExported();
    const ExportStatus status = exportStatus(outcome);
    // A warning about the last read stays until the next read.
    if (status.warning || !ui.ReadStatus_lb->property("warning").toBool())
        showStatus(status.text, status.warning, status.toolTip);
}

void KalvorIIControl::ReadKVIIconfiguration()
{
    if (!m_session->commandsAllowed())
        return;
    const FocusParking parking(mainWidget, ui.tabWidget->tabBar());
    m_session->readConfiguration();
}

void KalvorIIControl::SetDefault()
{
    showFactoryDefaults(ui);
    updateButtons();
}

void KalvorIIControl::showTextWindow(const QString &text)
{
    openTextWindow(text);
}

MeasurementArchive::OpenResult KalvorIIControl::openArchive(const QString &path)
{
    const MeasurementArchive::OpenResult result = m_archive.open(path);
    if (!result.message.isEmpty())
        showStatus(result.message, result.outcome != MeasurementArchive::OpenOutcome::Opened,
                   QDir::toNativeSeparators(result.movedTo.isEmpty() ? path : result.movedTo));
    updateButtons();
    return result;
}
