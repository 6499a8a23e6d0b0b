#include "kalvoriicontrol.h"

#include "controller/exportsession.h"
#include "controller/settingfields.h"
#include "export/filewriter.h"
#include "export/measurementexport.h"
#include "link/ftdi_control.h"
#include "session/clock.h"
#include "session/statustexts.h"
#include "ui/focusreturn.h"
#include "ui/formfit.h"
#include "ui/language.h"
#include "ui/measurementchart.h"
#include "ui/receivelogview.h"
#include "ui/statusline.h"
#include "ui/tablecopy.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>

#include <csignal>

// While a slot's command runs, the pressed button goes grey; Qt would hand
// its focus to the next enabled one, "Werkeinstellung setzen", where a second
// Space would overwrite the fields. The tab bar holds it meanwhile, and the
// button gets it back when it is enabled again.
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
    }
    ~CommandSequence()
    {
        if (m_return)
            m_return->settle();
    }
    Q_DISABLE_COPY_MOVE(CommandSequence)

private:
    KalvorIIControl *m_controller;
    QPointer<FocusReturn> m_return;
};

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
    addArchiveButton();
    fitToFonts();
    // The log only ever grows at its end and loses its oldest lines: nothing
    // to undo, and an undo history would keep all of it.
    ui.Incoming_Data_TextEdit->document()->setUndoRedoEnabled(false);

    link = m_session->link();
    m_session->setSink(&m_sink);
    connectSession();
    if (!m_session->openFirst()) {
        showPlaceholders(ui);
    }
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
        updateConnectionLabel();
        if (!m_session->isConnected())
            showFillLevel(ui.Speicherbelegung_PB, fillLevelUnknown);
        updateButtons();
    });
    connect(session, &DeviceSession::commandRunningChanged, this, [this] { updateButtons(); });
    connect(session, &DeviceSession::readChanged, this, [this] {
        updateReadStatus();
        updateButtons();
    });
    connect(session, &DeviceSession::rowsCleared, this, [this] { clearMeasurements(); });
    connect(session, &DeviceSession::rowsAdded, this, [this] {
        // Rows after a read's end, while an archived read is shown: the
        // table goes back to the device's rows, the new ones among them.
        if (m_archive.shown())
            showDeviceRows();
        else
            showNewRowsInChart();
    });
    connect(&m_archive, &WindowArchive::failed, this, [this] { updateReadStatus(); });
    connect(session, &DeviceSession::logText, this,
            [this](const QString &text) { appendToReceiveLog(ui.Incoming_Data_TextEdit, text); });
    connect(session, &DeviceSession::logCommand, this,
            [this](const QString &echo) { ui.Incoming_Data_TextEdit->append(echo); });
    connect(session, &DeviceSession::settingsWriteEnded, this,
            [this](const SettingsWriteOutcome &outcome) {
                const ReadStatus status = settingsWriteStatus(outcome);
                showSettingsStatus(status.text, status.warning);
            });
}

void KalvorIIControl::updateConnectionLabel()
{
    const bool connected = m_session->isConnected();
    // The label keeps the form of the program's first version, in English.
    ui.FTDI_connection_LB->setText(
        QString::number(m_session->deviceCount()) + QLatin1String(" Kalvor 2 found and ")
        + QLatin1String(connected ? "1" : "0") + QLatin1String(" connected"));
    const QString reason = !connected && m_session->deviceCount() > 0
        ? openFailureText(m_session->openFailure(), deviceRuleInstalled())
        : QString();
    ui.ConnectionReason_lb->setText(reason);
    ui.ConnectionReason_lb->setVisible(!reason.isEmpty());
    // With a reason below it, the label moves to the cell's upper half.
    ui.FTDI_connection_LB->setAlignment(Qt::AlignHCenter
                                        | (reason.isEmpty() ? Qt::AlignVCenter : Qt::AlignTop));
    ui.FTDI_connection_LB->setMargin(reason.isEmpty() ? 0 : 4);
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
    m_archive.showDevice();
    ui.Messwert_treeWidget->clear();
    m_chart->clear();
    m_chartRows = 0;
    // A saved chart names the device and the read its rows come from.
    m_chart->setReadInfo(m_session->readInfo());
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
    const QList<MeasurementRow> &rows = m_session->rows();
    if (rows.size() == m_chartRows)
        return;
    m_chart->appendRows(rows, m_chartRows);
    m_chartRows = rows.size();
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
    const auto format = chosen.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)
        ? MeasurementChart::ImageFormat::Svg
        : MeasurementChart::ImageFormat::Png;
    const FileWriter::Result result = FileWriter::write(
        chosen, [&](QIODevice &device) { return m_chart->writeImage(&device, format); });
    if (!result.written)
        warnNotWritten(mainWidget, chosen, result.reason);
}

// The one rule for every button's state, run whenever what it depends on
// changes.
void KalvorIIControl::updateButtons()
{
    const DeviceSession &session = *m_session;
    const bool device = session.commandsAllowed();
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
    if (device && placeholders) {
        ui.WriteConfig_PB->setEnabled(false);
        ui.WriteConfig_PB->setToolTip(
            tr("Erst die Einstellungen einlesen oder die Werkeinstellung setzen"));
    }
    // The save dialog would hold a command in one of its pauses.
    const bool idle = !session.memoryRead().running() && !session.commandRunning();
    ui.ExportMesswerte_PB->setEnabled(idle);
    m_archiveButton->setEnabled(idle && m_archive.isOpen());
    m_archiveButton->setToolTip(m_archive.isOpen() ? QString() : tr("Kein Archiv geöffnet"));
}

void KalvorIIControl::showStatus(const QString &text, bool warning, const QString &toolTip)
{
    showStatusLine(ui.ReadStatus_lb, text, warning, toolTip);
}

void KalvorIIControl::showSettingsStatus(const QString &text, bool warning)
{
    showStatusLine(ui.SettingsStatus_lb, text, warning);
}

void KalvorIIControl::realValueEntered(QAbstractSpinBox *box)
{
    if (!box->specialValueText().isEmpty())
        box->setSpecialValueText(QString());
    updateButtons();
}

void KalvorIIControl::updateReadStatus()
{
    if (const ArchivedRead *read = m_archive.shown()) {
        const QLocale locale;
        const QDateTime at = read->summary.startedAt;
        showStatus(
            tr("Archiv: %1, Gerät %2, %3 Messwerte")
                .arg(locale.toString(at, Language::dateFormat(locale) + QLatin1String(" hh:mm")),
                     read->summary.serialNumber)
                .arg(read->rows.size()),
            false);
        return;
    }
    ReadStatus status = readStatus(m_session->memoryRead());
    // The rows stay in the window when the archive cannot keep them.
    if (!m_archive.failure().isEmpty()) {
        status.text += QLatin1Char('\n') + tr("Nicht im Archiv: %1").arg(m_archive.failure());
        status.warning = true;
    }
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
    const CommandSequence sequence(this);
    showSettingsStatus(QString(), false);
    DeviceSettings settings;
    for (const DeviceSetting &setting : deviceSettings)
        settings.*setting.field = settingBox(ui, setting.key)->value();
    m_session->writeConfiguration(settings);
}

void KalvorIIControl::ReadConfigFromKalvorII()
{
}

void KalvorIIControl::ReadSpeicherFromKalvorII()
{
    if (!m_session->commandsAllowed() || !m_session->configurationKnown())
        return;
    DeviceSession::ReadStart start = DeviceSession::ReadStart::NotAllowed;
    {
        const CommandSequence sequence(this);
        start = m_session->readMemory();
    }
    if (start == DeviceSession::ReadStart::NotSent)
        showStatus(tr("Speicher nicht gelesen: kein Kalvor 2 verbunden"), true);
}

void KalvorIIControl::ClearSpeicherFromKalvorII()
{
    if (!m_session->commandsAllowed())
        return;
    QMessageBox box;
    box.setText(tr("Speicher löschen"));
    box.setInformativeText(clearQuestionDetail(m_session->memoryRead(), m_archive.lastReadKept()));
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.setIcon(QMessageBox::Warning);
    const int askedOn = m_session->connection();
    if (box.exec() != QMessageBox::Yes)
        return;
    DeviceSession::ClearResult result = DeviceSession::ClearResult::NotAllowed;
    {
        const CommandSequence sequence(this);
        result = m_session->clearMemory(askedOn);
    }
    // The fill bar says the memory is empty only when the command went out.
    switch (result) {
    case DeviceSession::ClearResult::Cleared:
        showFillLevel(ui.Speicherbelegung_PB, 0);
        showStatus(tr("Speicher gelöscht"), false);
        break;
    case DeviceSession::ClearResult::ConnectionChanged:
        showStatus(tr("Speicher nicht gelöscht: Verbindung unterbrochen"), true);
        break;
    case DeviceSession::ClearResult::NotAllowed:
    case DeviceSession::ClearResult::NotSent:
        showStatus(m_session->isConnected()
                       ? tr("Speicher nicht gelöscht")
                       : tr("Speicher nicht gelöscht: kein Kalvor 2 verbunden"),
                   true);
        break;
    }
}

void KalvorIIControl::ExportMesswerte()
{
    if (m_session->memoryRead().running() || m_session->commandRunning())
        return;
    // An archived read shown is exported as it was read, from its device.
    const ArchivedRead *archived = m_archive.shown();
    QString serialNumber = m_session->rowsSerialNumber().isNull() ? ui.SerialNumber_lb->text()
                                                                  : m_session->rowsSerialNumber();
    if (archived)
        serialNumber = archived->summary.serialNumber;
    const ExportOutcome outcome
        = runExport(mainWidget, Clock::currentDateTime(), serialNumber,
                    archived ? archived->rows : m_session->rows(),
                    archived ? archived->info : m_session->readInfo(), m_chooseExportFile,
                    [this](const QString &text) { showTextWindow(text); });
    if (outcome.status == ExportOutcome::Failed) {
        showStatus(tr("Nicht exportiert: %1 konnte nicht geschrieben werden")
                       .arg(QFileInfo(outcome.pointFile).fileName()),
                   true, QDir::toNativeSeparators(outcome.pointFile));
        return;
    }
    if (outcome.status != ExportOutcome::Written)
        return;
    if (!archived)
        m_session->markExported();
    m_archive.markExported();
    // A warning about the last read stays until the next read.
    if (!ui.ReadStatus_lb->property("warning").toBool())
        showStatus(exportedStatus(outcome.pointFile, outcome.commaFile, outcome.commaWritten),
                   false,
                   QDir::toNativeSeparators(outcome.pointFile)
                       + (outcome.commaWritten
                              ? QLatin1Char('\n') + QDir::toNativeSeparators(outcome.commaFile)
                              : QString()));
}

void KalvorIIControl::ReadKVIIconfiguration()
{
    if (!m_session->commandsAllowed())
        return;
    const CommandSequence sequence(this);
    m_session->readConfiguration();
}

void KalvorIIControl::SetDefault()
{
    // The factory defaults are real values: no field shows "?" afterwards,
    // also where a default is the field's minimum.
    for (const DeviceSetting &setting : deviceSettings) {
        QSpinBox *box = settingBox(ui, setting.key);
        box->setSpecialValueText(QString());
        box->setValue(setting.factoryDefault);
    }
    ui.Huelsenpos_SB->setSpecialValueText(QString());
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

// "Archiv…" under the memory buttons; the status line below it.
void KalvorIIControl::addArchiveButton()
{
    m_archiveButton = new QPushButton(tr("Archiv…"), ui.System);
    m_archiveButton->setObjectName(QStringLiteral("Archiv_PB"));
    // In the look of the memory buttons above it.
    m_archiveButton->setGeometry(ui.ClearSpeicher_PB->geometry().translated(0, 40));
    m_archiveButton->setStyleSheet(ui.ClearSpeicher_PB->styleSheet());
    m_archiveButton->setFont(ui.ClearSpeicher_PB->font());
    ui.ReadStatus_lb->setGeometry(640, 218, 281, 44);
    connect(m_archiveButton, &QPushButton::clicked, this, [this] { openArchiveWindow(); });
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

void KalvorIIControl::openArchiveWindow()
{
    if (m_archive.chooseRead(mainWidget))
        showArchivedRead();
    else if (!m_archive.loadFailure().isEmpty())
        showStatus(tr("Archiv nicht geöffnet: %1").arg(m_archive.loadFailure()), true);
}

// The archived read's rows in the table and the chart, until the next read.
void KalvorIIControl::showArchivedRead()
{
    const ArchivedRead &read = *m_archive.shown();
    QTreeWidget *tree = ui.Messwert_treeWidget;
    tree->clear();
    for (const MeasurementRow &row : read.rows)
        new QTreeWidgetItem(tree, row.cells);
    m_chart->clear();
    m_chart->setReadInfo(read.info);
    m_chart->appendRows(read.rows, 0);
    ui.tabWidget->setCurrentWidget(ui.System);
    updateReadStatus();
}

// Back from an archived read to the rows the device sent.
void KalvorIIControl::showDeviceRows()
{
    m_archive.showDevice();
    QTreeWidget *tree = ui.Messwert_treeWidget;
    tree->clear();
    for (const MeasurementRow &row : m_session->rows())
        new QTreeWidgetItem(tree, row.cells);
    m_chart->clear();
    m_chart->setReadInfo(m_session->readInfo());
    m_chartRows = 0;
    showNewRowsInChart();
    updateReadStatus();
}
