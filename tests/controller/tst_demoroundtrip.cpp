// The window against the simulated device: what the device reports the
// window shows, and a read cannot be cut into from the window. What the
// session makes of the device on its own is in tests/session.

#include "controller/kalvoriicontrol.h"
#include "protocol/devicesettings.h"
#include "sim/simulateddevice.h"
#include "sim/simulateddriver.h"
#include "ui/measurementchart.h"

#include <QTest>

namespace {

struct Demo
{
    std::shared_ptr<SimulatedDevice> device;
    std::unique_ptr<KalvorIIControl> controller;

    explicit Demo(std::shared_ptr<SimulatedDevice> simulated)
        : device(std::move(simulated))
        , controller(std::make_unique<KalvorIIControl>(
              std::make_unique<SimulatedDriver>(SimulatedDriver::Timing::Instant, device)))
    {
    }
    Ui::KalvorIIControl &ui() { return controller->ui; }
};

QStringList rowAt(QTreeWidget *tree, int i)
{
    QStringList cells;
    for (int column = 0; column < MeasurementRow::ColumnCount; ++column)
        cells << tree->topLevelItem(i)->text(column);
    return cells;
}

} // namespace

class TestDemoRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void configurationShowsEveryField();
    void memoryReadInTheWindow();
    void converterPluggedInAfterStart();
};

void TestDemoRoundTrip::configurationShowsEveryField()
{
    Demo demo(SimulatedDevice::createDemo());
    Ui::KalvorIIControl &ui = demo.ui();
    const DeviceIdentity &identity = demo.device->identity();
    const DeviceSettings &settings = demo.device->settings();
    QCOMPARE(ui.FTDI_connection_LB->text(), QStringLiteral("1 Kalvor 2 found and 1 connected"));
    QTRY_COMPARE(ui.SerialNumber_lb->text(), identity.serialNumber);
    QTRY_COMPARE(ui.CheckDatum_lb->text(), identity.checkDate);
    QCOMPARE(ui.FirmwareVersionsNumber_lb->text(),
             QStringLiteral("V %1.%2")
                 .arg(identity.firmwareVersion / 100)
                 .arg(identity.firmwareVersion % 100));
    QCOMPARE(ui.interruptValue_SB->value(), settings.wakeThreshold);
    QCOMPARE(ui.geraeteID_SB->value(), settings.deviceId);
    QCOMPARE(ui.BrightnessValue_SB->value(), settings.brightness);
    QCOMPARE(ui.Funkkanal_SB->value(), settings.radioChannel);
    QCOMPARE(ui.DauerTime_SB->value(), settings.cycleTime);
    QCOMPARE(ui.DauerCycles_SB->value(), settings.cycles);
    QCOMPARE(ui.Duration_SB->value(), settings.duration);
    QCOMPARE(demo.controller->measuringRange, identity.measuringRange);
    QCOMPARE(ui.Huelsenpos_SB->value(), identity.sleevePositionRaw * 5.0 / 100.0);
}

// While a read runs, the device buttons and "Export" are off, and a press is
// not taken. Then the table and the fill bar show the session's rows and fill
// level, the status line its read, and the chart exactly the rows' numbers,
// in both views; the next read starts the chart afresh.
void TestDemoRoundTrip::memoryReadInTheWindow()
{
    Demo demo(SimulatedDevice::createDemo());
    Ui::KalvorIIControl &ui = demo.ui();
    QTRY_VERIFY(ui.ReadSpeicher_PB->isEnabled());
    ui.Speicherbelegung_PB->setValue(99);

    ui.ReadSpeicher_PB->click();
    for (QPushButton *button : {ui.ReadSpeicher_PB, ui.ExportMesswerte_PB, ui.ClearSpeicher_PB,
                                ui.ReadConfig_PB, ui.WriteConfig_PB})
        QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
    QVERIFY(ui.ReadStatus_lb->text().startsWith(QStringLiteral("Lese Messwerte … ")));
    QTest::mouseClick(ui.ReadSpeicher_PB, Qt::LeftButton);
    QTest::mouseClick(ui.ExportMesswerte_PB, Qt::LeftButton);
    QTRY_COMPARE(ui.ReadStatus_lb->text(),
                 QStringLiteral("%1 Messwerte gelesen").arg(SimulatedDevice::demoRecordCount));
    QVERIFY(ui.ReadSpeicher_PB->isEnabled());
    QVERIFY(ui.ExportMesswerte_PB->isEnabled());
    const QList<MeasurementRow> &rows = demo.controller->rows();
    QCOMPARE(rows.size(), SimulatedDevice::demoRecordCount);
    QCOMPARE(ui.Speicherbelegung_PB->value(), demo.controller->session().reported().fillLevel);
    QCOMPARE(ui.Messwert_treeWidget->topLevelItemCount(), rows.size());
    for (int i = 0; i < rows.size(); ++i)
        QCOMPARE(rowAt(ui.Messwert_treeWidget, i), rows.at(i).cells);

    MeasurementChart *chart = demo.controller->chart();
    QList<QPointF> force;
    QList<QPointF> position;
    QList<QPointF> scatter;
    for (const MeasurementRow &row : rows) {
        force << QPointF(row.number, row.force);
        position << QPointF(row.number, row.sleevePosition);
        scatter << QPointF(row.sleevePosition, row.force);
    }
    QCOMPARE(chart->forcePoints(), force);
    QCOMPARE(chart->positionPoints(), position);
    chart->setView(MeasurementChart::View::ForceOverPosition);
    const auto byKey = [](QList<QPointF> points) {
        std::sort(points.begin(), points.end(), [](const QPointF &a, const QPointF &b) {
            return a.x() != b.x() ? a.x() < b.x() : a.y() < b.y();
        });
        return points;
    };
    QCOMPARE(byKey(chart->forcePoints()), byKey(scatter));
    QVERIFY(chart->positionPoints().isEmpty());
    ui.ReadSpeicher_PB->click();
    QVERIFY(chart->forcePoints().isEmpty());
    QCOMPARE(chart->shownRows(), 0);
}

// Started without its converter, the window finds it once it is plugged in,
// without a click: label, configuration, and numbers instead of "?".
void TestDemoRoundTrip::converterPluggedInAfterStart()
{
    auto device = SimulatedDevice::createDemo();
    DeviceSettings settings = device->settings();
    settings.deviceId = 0; // the field's minimum, which showed "?"
    device->setSettings(settings);
    auto made = std::make_unique<SimulatedDriver>(SimulatedDriver::Timing::Instant, device);
    SimulatedDriver *driver = made.get();
    driver->unplug();
    KalvorIIControl controller(std::move(made));
    Ui::KalvorIIControl &ui = controller.ui;
    QCOMPARE(ui.FTDI_connection_LB->text(), QStringLiteral("0 Kalvor 2 found and 0 connected"));
    QCOMPARE(ui.geraeteID_SB->text(), QStringLiteral("?"));
    QVERIFY(!ui.ReadConfig_PB->isEnabled());

    driver->replug();
    QTRY_COMPARE(ui.FTDI_connection_LB->text(), QStringLiteral("1 Kalvor 2 found and 1 connected"));
    QTRY_COMPARE(ui.SerialNumber_lb->text(), device->identity().serialNumber);
    QCOMPARE(ui.geraeteID_SB->text(), QStringLiteral("0"));
    QCOMPARE(ui.interruptValue_SB->value(), settings.wakeThreshold);
    QTRY_VERIFY(ui.ReadConfig_PB->isEnabled());
}

QTEST_MAIN(TestDemoRoundTrip)
#include "tst_demoroundtrip.moc"
