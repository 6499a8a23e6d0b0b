#pragma once

#include <QObject>
#include <QString>

class DeviceSession;
class MeasurementChart;
class QPushButton;
struct ReadStatus;
class WindowArchive;
namespace Ui {
class KalvorIIControl;
}

// The archive's side of the window: "Archiv…" under the memory buttons, and
// what the measurement table and the chart show: the device's rows as they
// arrive, or a read chosen from the archive until the next read or the next
// rows from the device.
class ArchiveView : public QObject
{
    Q_OBJECT

public:
    // Adds the button to the measurement page; `chart` is the chart page.
    ArchiveView(Ui::KalvorIIControl &ui, MeasurementChart *chart, DeviceSession &session,
                WindowArchive &archive, QObject *parent = nullptr);

    QPushButton *button() const { return m_button; }
    // A memory read starts: the rows of the last one go.
    void clear();
    // The rows the device added go to the chart in one batch; while an
    // archived read is shown, the table and the chart go back to the
    // device's rows, the new ones among them.
    void showNewRows();
    // The status line under the memory buttons: the archived read shown,
    // or what the device's read achieved and whether the archive kept it.
    ReadStatus readStatus() const;

signals:
    // Another read is shown: the status line follows.
    void shownChanged();
    // The chosen read could not be loaded; `text` is for the status line.
    void notLoaded(const QString &text);

private:
    void chooseRead();
    void showArchivedRead();
    void showDeviceRows();
    void showNewRowsInChart();

    Ui::KalvorIIControl &m_ui;
    MeasurementChart *m_chart;
    DeviceSession &m_session;
    WindowArchive &m_archive;
    QPushButton *m_button = nullptr; // owned by the window
    qsizetype m_chartRows = 0;       // rows the chart has been given
};
