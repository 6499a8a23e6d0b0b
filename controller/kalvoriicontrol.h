#pragma once

#include "controller/formreportsink.h"
#include "protocol/reportparser.h"
#include "ui_kalvor2control.h"

#include <QObject>
#include <QString>

class FTDI_Control;
class QTimer;
class QWidget;

// The program's central object: it owns the window, the USB link and the two
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
    KalvorIIControl();
    ~KalvorIIControl() override;

    // The parser's one call on the receive accumulator; false when nothing
    // changed.
    bool parseReport(QString &accumulator);
    void wakeDevice();
    // The parser's report block (for tools and tests).
    QString reportBlock() const { return m_parser.block(); }
    void showTextWindow(const QString &text);

    QWidget *mainWidget = nullptr;
    FTDI_Control *link = nullptr;
    QString receiveAccumulator;
    int measuringRange = -1;
    int measurementNumber = 1;
    float sleevePositionRaw = 0.0f;
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
    void primeColumnWidths();
    bool writeExportFileOrWarn(const QString &fileName, const QString &text);

    ReportParser m_parser;
    FormReportSink m_sink{ui};
    bool m_writeRunning = false;
};
