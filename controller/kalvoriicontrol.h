#pragma once

#include "controller/exportsession.h"
#include "controller/formreportsink.h"
#include "controller/memoryread.h"
#include "link/serialportdriver.h"
#include "protocol/measurementrow.h"
#include "protocol/reportparser.h"
#include "ui_kalvor2control.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class FTDI_Control;
class MeasurementChart;
class QTimer;
class QWidget;

// The program's central object: it owns the window, the USB link and the three
// timers, wires the buttons to the device commands and drives the report
// parser from the clock tick. Everything runs on the GUI thread.
//
// The data members are public because the protocol code, the tools and the
// tests reach the window and the receive accumulator directly; the reactions
// stay private slots.
class KalvorIIControl : public QObject
{
    Q_OBJECT

public:
    // The hidden receive log is never shown; capping it keeps a long
    // session's memory bounded (a full memory read adds about 50,000 lines):
    // beyond this many lines the oldest go, down to nine tenths of it.
    static constexpr int receiveLogLineLimit = 100000;
    // Text without its separator that has waited this long when a memory
    // read starts is dropped: the device stopped in the middle of a report.
    static constexpr qint64 unfinishedReportMs = 1000;

    // The link talks to the converter through `driver`: the kernel's serial
    // ports unless the program or a test hands in another backend.
    explicit KalvorIIControl(std::unique_ptr<FtdiDriver> driver
                             = std::make_unique<SerialPortDriver>());
    ~KalvorIIControl() override;

    // What the receive timer and the clock timer run: one receive run, one
    // clock tick. Tools and tests that keep time themselves call these.
    void receiveOnce();
    void clockTick();
    // One look at the FTDI list, as the look timer makes it once a second:
    // the count for the connection label, and while no converter is open,
    // one that appeared is opened and its configuration read.
    void lookForConverter();

    // The parser's one call on the receive accumulator; false when nothing
    // changed.
    bool parseReport(QString &accumulator);
    void wakeDevice();
    // The parser's report block (for tools and tests).
    QString reportBlock() const { return m_parser.block(); }
    void showTextWindow(const QString &text);
    // The measurement rows the table shows, in table order, with their
    // numbers.
    const QList<MeasurementRow> &rows() const { return m_rows; }
    // The running or last memory read.
    const MemoryRead &memoryRead() const { return m_read; }
    // The "Diagramm" page.
    MeasurementChart *chart() const { return m_chart; }
    // How "Export" asks for the point file's name: the save dialog, unless
    // a test hands in another way.
    void setExportFileChooser(ExportFileChooser chooser)
    {
        m_chooseExportFile = std::move(chooser);
    }

    QWidget *mainWidget = nullptr;
    FTDI_Control *link = nullptr;
    QString receiveAccumulator;
    int measuringRange = -1;
    int measurementNumber = 1;
    float sleevePositionRaw = 0.0f;
    QTimer *clockTimer = nullptr;
    QTimer *receiveTimer = nullptr;
    QTimer *lookTimer = nullptr;
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
    class CommandSequence;

    bool openConverter(int count);
    bool checkConnection();
    void updateConnectionLabel();
    void primeColumnWidths();
    void clearMeasurements();
    void appendToLog(const QString &text);
    void capAccumulator();
    qsizetype unfinishedReportStart() const;
    void dropUnfinishedReport();
    bool deviceCommandsAllowed() const;
    void updateButtons();
    void updateReadStatus();
    void showStatus(const QString &text, bool warning, const QString &toolTip = QString());
    void addChartPage();
    void fitToFonts();
    void fitTabs();
    void showNewRowsInChart();
    void saveChart();

    ReportParser m_parser;
    QList<MeasurementRow> m_rows;
    MemoryRead m_read;
    FormReportSink m_sink{ui, m_rows, &m_read};
    MeasurementChart *m_chart = nullptr; // owned by the window
    qsizetype m_chartRows = 0;           // rows the chart has been given
    ExportFileChooser m_chooseExportFile = [this](const QString &proposedPath) {
        return exportSaveDialog(mainWidget, proposedPath);
    };
    // A slot that writes to the device runs, its wake step and pauses
    // included: no other command may start inside its pauses.
    bool m_commandRunning = false;
    // The connection as the window shows it: the count at the last look at
    // the FTDI list, whether one is open, and why none could be opened.
    int m_deviceCount = 0;
    bool m_connected = false;
    FT_STATUS m_openFailure = FT_OK;
    int m_logLineLength = 0; // characters behind the hidden log's last line break
    qint64 m_lastTextMs = 0; // steady time of the last text received
    // The serial number shown while the table's rows were read, kept once
    // that connection is gone (null while it lasts or with no rows).
    QString m_rowsSerialNumber;
    bool m_statusWarning = false;
};
