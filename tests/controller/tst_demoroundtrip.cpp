// The program against the simulated device: what the device holds is what
// the window shows, and what the window writes the device keeps.

#include "controller/kalvoriicontrol.h"
#include "protocol/devicesettings.h"
#include "session/clock.h"
#include "session/statustexts.h"
#include "sim/devicereports.h"
#include "sim/simulateddevice.h"
#include "sim/simulateddriver.h"
#include "ui/measurementchart.h"

#include <QTest>

namespace {

struct Demo
{
    std::shared_ptr<SimulatedDevice> device;
    SimulatedDriver *driver = nullptr;
    std::unique_ptr<KalvorIIControl> controller;

    explicit Demo(std::shared_ptr<SimulatedDevice> simulated)
        : device(std::move(simulated))
    {
        auto made = std::make_unique<SimulatedDriver>(SimulatedDriver::Timing::Instant, device);
        driver = made.get();
        controller = std::make_unique<KalvorIIControl>(std::move(made));
    }
    Ui::KalvorIIControl &ui() { return controller->ui; }
};

// The row the window must show for a stored measurement on the 50 kN range,
// computed from the device's own record, not from the parser.
QStringList expectedRow(int number, const SimulatedMeasurement &m)
{
    return {QString::number(number),
            m.time.toString(QStringLiteral("yyyy:MM:dd")),
            m.time.toString(QStringLiteral("hh:mm:ss")),
            QString::number(DeviceReports::wireForce(m.force), 'f', 2),
            QString::number(m.positionRaw * 5.0 / 100.0, 'g', 6),
            QString::number(m.deviceId)};
}

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
    void memory_data();
    void memory();
    void readRunsToItsEnd_data();
    void readRunsToItsEnd();
    void streamCutShort_data();
    void streamCutShort();
    void settingsWrittenComeBack();
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

void TestDemoRoundTrip::memory_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("layout");
    for (const auto &[name, layout] :
         {std::pair{"per record", DeviceReports::MemoryLayout::PerRecord},
          std::pair{"one report", DeviceReports::MemoryLayout::OneReport}}) {
        QTest::addRow("demo data set, %s", name) << -1 << int(layout);
        QTest::addRow("empty memory, %s", name) << 0 << int(layout);
        QTest::addRow("600 records, %s", name) << 600 << int(layout);
    }
}

void TestDemoRoundTrip::memory()
{
    QFETCH(int, records);
    QFETCH(int, layout);
    Demo demo(records < 0 ? SimulatedDevice::createDemo()
                          : SimulatedDevice::createWithRecords(records, 50));
    demo.device->setMemoryLayout(DeviceReports::MemoryLayout(layout));
    Ui::KalvorIIControl &ui = demo.ui();
    QTRY_COMPARE(demo.controller->measuringRange, 50);
    const QList<SimulatedMeasurement> stored = demo.device->memory();
    ui.Speicherbelegung_PB->setValue(99);

    ui.ReadSpeicher_PB->click();
    QTRY_COMPARE(ui.Speicherbelegung_PB->value(),
                 DeviceReports::fillPercent(int(stored.size()), SimulatedDevice::memoryCapacity));
    QTRY_COMPARE(ui.Messwert_treeWidget->topLevelItemCount(), int(stored.size()));
    QTest::qWait(300); // nothing more arrives
    QCOMPARE(ui.Messwert_treeWidget->topLevelItemCount(), int(stored.size()));
    for (int i = 0; i < stored.size(); ++i)
        QCOMPARE(rowAt(ui.Messwert_treeWidget, i), expectedRow(i + 1, stored.at(i)));
    QTRY_COMPARE(ui.ReadStatus_lb->text(),
                 QStringLiteral("%1 Messwerte gelesen").arg(stored.size()));

    // The chart holds exactly the rows' numbers, in both views; the next read
    // starts it afresh.
    MeasurementChart *chart = demo.controller->chart();
    QList<QPointF> force;
    QList<QPointF> position;
    QList<QPointF> scatter;
    for (const MeasurementRow &row : demo.controller->rows()) {
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
    if (stored.isEmpty())
        return;
    ui.ReadSpeicher_PB->click();
    QVERIFY(chart->forcePoints().isEmpty());
    QCOMPARE(chart->shownRows(), 0);
}

// From the press to the last row nothing can cut into a read: a second
// press, an export or a clear is not taken, and the rows are exactly the
// stored records, numbered from 1. Afterwards the clear question says what
// clearing would lose.
void TestDemoRoundTrip::readRunsToItsEnd_data()
{
    QTest::addColumn<int>("layout");
    QTest::newRow("per record") << int(DeviceReports::MemoryLayout::PerRecord);
    QTest::newRow("one report") << int(DeviceReports::MemoryLayout::OneReport);
}

void TestDemoRoundTrip::readRunsToItsEnd()
{
    QFETCH(int, layout);
    Demo demo(SimulatedDevice::createWithRecords(1500, 50));
    demo.device->setMemoryLayout(DeviceReports::MemoryLayout(layout));
    Ui::KalvorIIControl &ui = demo.ui();
    QTRY_VERIFY(ui.ReadSpeicher_PB->isEnabled());
    QCOMPARE(clearQuestionDetail(demo.controller->memoryRead()),
             QStringLiteral("Messwerte noch nicht gelesen"));

    ui.ReadSpeicher_PB->click();
    for (QPushButton *button : {ui.ReadSpeicher_PB, ui.ExportMesswerte_PB, ui.ClearSpeicher_PB,
                                ui.ReadConfig_PB, ui.WriteConfig_PB})
        QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
    QVERIFY(ui.ReadStatus_lb->text().startsWith(QStringLiteral("Lese Messwerte … ")));
    QTest::mouseClick(ui.ReadSpeicher_PB, Qt::LeftButton);
    QTest::mouseClick(ui.ExportMesswerte_PB, Qt::LeftButton);
    QTest::qWait(150);
    QTest::mouseClick(ui.ReadSpeicher_PB, Qt::LeftButton);

    QTRY_COMPARE(ui.ReadStatus_lb->text(), QStringLiteral("1500 Messwerte gelesen"));
    QVERIFY(ui.ReadSpeicher_PB->isEnabled());
    QVERIFY(ui.ExportMesswerte_PB->isEnabled());
    const QList<SimulatedMeasurement> stored = demo.device->memory();
    QCOMPARE(ui.Messwert_treeWidget->topLevelItemCount(), 1500);
    QCOMPARE(demo.controller->rows().size(), 1500);
    for (int i = 0; i < stored.size(); i += 149)
        QCOMPARE(rowAt(ui.Messwert_treeWidget, i), expectedRow(i + 1, stored.at(i)));
    QCOMPARE(rowAt(ui.Messwert_treeWidget, 1499), expectedRow(1500, stored.at(1499)));
    QCOMPARE(clearQuestionDetail(demo.controller->memoryRead()),
             QStringLiteral("1500 Messwerte im Gerät, noch nicht exportiert"));
}

// The device breaks off mid-memory: once nothing more comes, the read ends,
// keeps its rows and says in the warning look that rows are missing.
void TestDemoRoundTrip::streamCutShort_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("rows");
    QTest::newRow("per record") << int(DeviceReports::MemoryLayout::PerRecord) << 40;
    // Without its separator the report is never parsed.
    QTest::newRow("one report") << int(DeviceReports::MemoryLayout::OneReport) << 0;
}

void TestDemoRoundTrip::streamCutShort()
{
    QFETCH(int, layout);
    QFETCH(int, rows);
    Demo demo(SimulatedDevice::createWithRecords(150, 50));
    demo.device->setMemoryLayout(DeviceReports::MemoryLayout(layout));
    demo.device->setRecordsSent(40);
    Ui::KalvorIIControl &ui = demo.ui();
    QTRY_VERIFY(ui.ReadSpeicher_PB->isEnabled());
    ui.ReadSpeicher_PB->click();
    QTRY_COMPARE(ui.ReadStatus_lb->text(), QStringLiteral("Lese Messwerte … 40 von 150"));
    QTest::qWait(300);
    QCOMPARE(ui.Messwert_treeWidget->topLevelItemCount(), rows);
    QVERIFY(!ui.ReadSpeicher_PB->isEnabled()); // still waiting for the rest

    Clock::skip(MemoryRead::quietMs);
    QTRY_COMPARE(
        ui.ReadStatus_lb->text(),
        QStringLiteral("Nur %1 von 150 Messwerten empfangen – bitte erneut lesen").arg(rows));
    QVERIFY(ui.ReadStatus_lb->property("warning").toBool());
    QVERIFY(ui.ReadSpeicher_PB->isEnabled());
    QCOMPARE(ui.Messwert_treeWidget->topLevelItemCount(), rows);
    QCOMPARE(clearQuestionDetail(demo.controller->memoryRead()),
             QStringLiteral("150 Messwerte im Gerät, nicht vollständig gelesen"));
}

void TestDemoRoundTrip::settingsWrittenComeBack()
{
    Demo demo(SimulatedDevice::createDemo());
    Ui::KalvorIIControl &ui = demo.ui();
    QTRY_COMPARE(ui.SerialNumber_lb->text(), demo.device->identity().serialNumber);

    ui.interruptValue_SB->setValue(77);
    ui.geraeteID_SB->setValue(31);
    ui.BrightnessValue_SB->setValue(5);
    ui.Funkkanal_SB->setValue(200);
    ui.DauerTime_SB->setValue(2048);
    ui.DauerCycles_SB->setValue(4096);
    ui.Duration_SB->setValue(255);
    const QDateTime instant(QDate(2026, 12, 6), QTime(2, 12, 38));
    Clock::setFixed(instant);
    ui.WriteConfig_PB->click();
    Clock::setFixed(QDateTime());

    const DeviceSettings &kept = demo.device->settings();
    QCOMPARE(kept.wakeThreshold, 77);
    QCOMPARE(kept.deviceId, 31);
    QCOMPARE(kept.brightness, 5);
    QCOMPARE(kept.radioChannel, 200);
    QCOMPARE(kept.cycleTime, 2048);
    QCOMPARE(kept.cycles, 4096);
    QCOMPARE(kept.duration, 255);
    // The device clock was set to the PC's and runs on from there.
    const QDateTime deviceClock = demo.device->clock(demo.driver->now());
    const qint64 drift
        = qAbs(deviceClock.secsTo(QDateTime(instant.date(), instant.time(), Qt::UTC)));
    QVERIFY2(drift <= 5, qPrintable(QString::number(drift)));

    // Back to other values in the window, then read: the device's come back.
    ui.SetDefault_PB->click();
    ui.ReadConfig_PB->click();
    QTRY_COMPARE(ui.interruptValue_SB->value(), 77);
    QTRY_COMPARE(ui.DauerCycles_SB->value(), 4096);
    QCOMPARE(ui.geraeteID_SB->value(), 31);
    QCOMPARE(ui.BrightnessValue_SB->value(), 5);
    QCOMPARE(ui.Funkkanal_SB->value(), 200);
    QCOMPARE(ui.DauerTime_SB->value(), 2048);
    QCOMPARE(ui.Duration_SB->value(), 255);
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
