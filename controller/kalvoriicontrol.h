#pragma once

#include "controller/exportsession.h"
#include "controller/formreportsink.h"
#include "controller/windowarchive.h"
#include "link/serialportdriver.h"
#include "session/devicesession.h"
#include "ui_kalvor2control.h"

#include <QObject>
#include <QString>

#include <memory>

class ArchiveView;
class FTDI_Control;
class MeasurementChart;
class QAbstractSpinBox;
class QTimer;
class QWidget;
struct ReadStatus;

// The program's central object and the window's side of it: it builds the
// window and the form, owns the device session (everything the program does
// with the device, session/devicesession.h), wires the buttons and its two
// timers to its slots, shows what the session reports and keeps the one rule
// for the buttons and the status lines. Everything runs on the GUI thread.
//
// The data members are public because the tools and the tests reach the
// window and the parser's variables by the names they have always had.
class KalvorIIControl : public QObject
{
    Q_OBJECT

    // First, so that the names below can refer into it.
    std::unique_ptr<DeviceSession> m_session;

public:
    // Whether the window's timers run; tests and tools that keep time
    // themselves leave them stopped and call receiveOnce() and clockTick().
    enum class Timers { Run, Stopped };

    // The link talks to the converter through `driver`: the kernel's serial
    // ports unless the program or a test hands in another backend.
    explicit KalvorIIControl(std::unique_ptr<FtdiDriver> driver
                             = std::make_unique<SerialPortDriver>(),
                             Timers timers = Timers::Run);
    ~KalvorIIControl() override;

    // What the receive timer and the clock timer run, and one look at the
    // converter list as the session makes it once a second.
    void receiveOnce() { m_session->receiveOnce(); }
    void clockTick();
    void lookForConverter() { m_session->lookForConverter(); }

    bool parseReport(QString &accumulator) { return m_session->parseReport(accumulator); }
    void wakeDevice() { m_session->wakeDevice(); }
    QString reportBlock() const { return m_session->reportBlock(); }
    void showTextWindow(const QString &text);
    // The measurement rows the table shows, in table order.
    const QList<MeasurementRow> &rows() const { return m_session->rows(); }
    const MemoryRead &memoryRead() const { return m_session->memoryRead(); }
    DeviceSession &session() const { return *m_session; }
    // The "Diagramm" page.
    MeasurementChart *chart() const { return m_chart; }
    // How "Export" asks for the point file's name: the save dialog, unless
    // a test hands in another way.
    void setExportFileChooser(ExportFileChooser chooser)
    {
        m_chooseExportFile = std::move(chooser);
    }
    // Every read is kept in the archive at `path` from now on; "Archiv…"
    // shows its reads. The result's message went to the status line.
    MeasurementArchive::OpenResult openArchive(const QString &path);
    WindowArchive &archive() { return m_archive; }

    QWidget *mainWidget = nullptr;
    FTDI_Control *link = nullptr;
    QString &receiveAccumulator;
    int &measuringRange;
    int &measurementNumber;
    float &sleevePositionRaw;
    QTimer *clockTimer = nullptr;
    QTimer *receiveTimer = nullptr;
    Ui::KalvorIIControl ui;

private slots:
    void updateUhr();
    void receiveSerialData();
    void WriteConfigFromKalvorII();
    void ReadConfigFromKalvorII();
    void ReadSpeicherFromKalvorII();
    void ClearSpeicherFromKalvorII();
    void ExportMesswerte();
    void ReadKVIIconfiguration();
    void SetDefault();

private:
    void connectSession();
    void addChartPage();
    void updateButtons();
    void updateReadStatus();
    void showStatus(const QString &text, bool warning, const QString &toolTip = QString());
    void showSettingsStatus(const ReadStatus &status);
    void realValueEntered(QAbstractSpinBox *box);

    FormReportSink m_sink{ui};
    MeasurementChart *m_chart = nullptr; // owned by the window
    WindowArchive m_archive{*m_session};
    ArchiveView *m_view = nullptr; // the table, the chart and "Archiv…"
    ExportFileChooser m_chooseExportFile
        = [this](const ExportChoice &proposed, const QStringList &filters) {
              return exportSaveDialog(mainWidget, proposed, filters);
          };
};
