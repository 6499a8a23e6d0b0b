// The command buttons: the bytes they write, the wake step before each, the
// confirmation before clearing, the configuration write and the defaults.

#include "controller/clock.h"
#include "controller/settingfields.h"
#include "controllerfixture.h"
#include "modal.h"
#include "protocol/devicesettings.h"
#include "sim/devicereports.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

const QByteArray wake("\n");

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void readConfigurationWakesThenAsks();
    void readMemoryClearsTableAndRestartsNumbering();
    void commandsOnClosedLinkSendNothingAndDoNotWait();
    void clearAsksFirst_data();
    void clearAsksFirst();
    void clearConfirmedSendsAndZeroesFillBar();
    void configurationWriteSendsSixTextsWithPauses();
    void secondWritePressDuringWriteDoesNothing();
    void defaultsFillTheFieldsAndSendNothing();
    void focusStaysOnThePressedButton();
};

void TestCommands::readConfigurationWakesThenAsks()
{
    ControllerFixture f;
    f.fake->clearLog();
    f.ui().ReadConfig_PB->click();
    const auto writes = f.fake->callsOf(QStringLiteral("write"));
    QCOMPARE(f.fake->writes(), QList<QByteArray>({wake, QByteArray("\x37\x31\x0a")}));
    QVERIFY(writes.at(1).atMs - writes.at(0).atMs >= 100);
}

void TestCommands::readMemoryClearsTableAndRestartsNumbering()
{
    ControllerFixture f;
    QTreeWidget *tree = f.ui().Messwert_treeWidget;
    f.show(deviceRecord(7));
    f.controller->measurementNumber = 42;
    int rowsWhenCommandWritten = -1;
    f.fake->clearLog();
    f.fake->onWrite = [&](const QByteArray &bytes) {
        if (bytes == "2324")
            rowsWhenCommandWritten = tree->topLevelItemCount();
    };
    f.ui().ReadSpeicher_PB->click();
    QCOMPARE(f.fake->writes(), QList<QByteArray>({wake, QByteArray("2324")}));
    const auto writes = f.fake->callsOf(QStringLiteral("write"));
    QVERIFY(writes.at(1).atMs - writes.at(0).atMs >= 100); // the device wakes first
    QCOMPARE(rowsWhenCommandWritten, 0);
    QCOMPARE(tree->topLevelItemCount(), 0);
    QVERIFY(f.controller->rows().isEmpty()); // the rows kept beside the table too
    QCOMPARE(f.controller->measurementNumber, 1);
    f.fake->onWrite = nullptr;

    f.receive("Nr.: 17\nJJJJ:MM:DD:d:hh:mm:ss\n2012:03:05:1:14:07:59\n"
              "Messwert: 2,34Pos.: 045ID: 004\n=========================\n");
    f.clockTick();
    QCOMPARE(tree->topLevelItemCount(), 1);
    QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("1"));
    QCOMPARE(f.controller->rows().size(), 1);
    QCOMPARE(f.controller->rows().at(0).number, 1);
}

// Without a converter the device buttons are off: nothing is sent, nothing
// waits, the table keeps its rows and no write is pretended in the log.
void TestCommands::commandsOnClosedLinkSendNothingAndDoNotWait()
{
    ControllerFixture f([](FakeDriver &d) { d.deviceCountResult = 0; });
    // Rows from earlier (the link is closed: straight into the parser).
    f.controller->receiveAccumulator = QString::fromLatin1(deviceRecord(1));
    f.clockTick();
    QCOMPARE(f.ui().Messwert_treeWidget->topLevelItemCount(), 1);
    f.ui().Incoming_Data_TextEdit->clear();
    f.ui().Speicherbelegung_PB->setValue(42);
    f.fake->clearLog();
    Ui::KalvorIIControl &ui = f.ui();
    for (QPushButton *button :
         {ui.ReadConfig_PB, ui.WriteConfig_PB, ui.ReadSpeicher_PB, ui.ClearSpeicher_PB})
        QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
    QVERIFY(ui.ExportMesswerte_PB->isEnabled());
    QVERIFY(ui.SetDefault_PB->isEnabled());

    QElapsedTimer timer;
    timer.start();
    for (QPushButton *button :
         {ui.ReadConfig_PB, ui.WriteConfig_PB, ui.ReadSpeicher_PB, ui.ClearSpeicher_PB})
        QTest::mouseClick(button, Qt::LeftButton);
    // Waking the device alone takes 100 ms, so any slot waking a closed
    // link fails this; the margin is for a busy test machine.
    QVERIFY2(timer.elapsed() < 100, "a closed link has nothing to wait for");
    QVERIFY(f.fake->writes().isEmpty());
    QCOMPARE(ui.Messwert_treeWidget->topLevelItemCount(), 1);
    QCOMPARE(ui.Speicherbelegung_PB->value(), 42);
    QVERIFY(ui.Incoming_Data_TextEdit->toPlainText().isEmpty());
}

void TestCommands::clearAsksFirst_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Escape answers No") << int(Qt::Key_Escape);
    QTest::newRow("Enter at once answers No") << int(Qt::Key_Return);
}

void TestCommands::clearAsksFirst()
{
    QFETCH(int, key);
    ControllerFixture f;
    f.ui().Speicherbelegung_PB->setValue(37);
    f.fake->clearLog();
    QString text;
    bool noIsDefault = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    onNextModal([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        text = box->text();
        icon = box->icon();
        noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
        QTest::keyClick(box, Qt::Key(key));
    });
    f.ui().ClearSpeicher_PB->click();
    QCOMPARE(text, QString::fromUtf8("Speicher löschen"));
    QCOMPARE(icon, QMessageBox::Warning);
    QVERIFY(noIsDefault);
    QVERIFY(f.fake->writes().isEmpty());
    QCOMPARE(f.ui().Speicherbelegung_PB->value(), 37);
}

void TestCommands::clearConfirmedSendsAndZeroesFillBar()
{
    ControllerFixture f;
    f.ui().Speicherbelegung_PB->setValue(37);
    f.show(deviceRecord(1));
    f.fake->clearLog();
    onNextModal([](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        box->button(QMessageBox::Yes)->click();
    });
    f.ui().ClearSpeicher_PB->click();
    QCOMPARE(f.fake->writes(), QList<QByteArray>({wake, QByteArray("\x32\x32\x31")}));
    const auto writes = f.fake->callsOf(QStringLiteral("write"));
    QVERIFY(writes.at(1).atMs - writes.at(0).atMs >= 100); // the device wakes first
    QCOMPARE(f.ui().Speicherbelegung_PB->value(), 0);
    QCOMPARE(f.ui().Messwert_treeWidget->topLevelItemCount(), 1); // the table keeps its rows
}

void TestCommands::configurationWriteSendsSixTextsWithPauses()
{
    ControllerFixture f;
    Ui::KalvorIIControl &ui = f.ui();
    ui.interruptValue_SB->setValue(40);
    ui.geraeteID_SB->setValue(1);
    ui.BrightnessValue_SB->setValue(130);
    ui.Funkkanal_SB->setValue(0);
    ui.DauerTime_SB->setValue(5);
    ui.DauerCycles_SB->setValue(10);
    ui.Duration_SB->setValue(10);
    ui.Huelsenpos_SB->setValue(7.5); // never sent
    ui.Incoming_Data_TextEdit->clear();
    f.fake->clearLog();
    Clock::setFixed(QDateTime(QDate(2026, 12, 6), QTime(2, 12, 38))); // a Sunday
    ui.WriteConfig_PB->click();
    Clock::setFixed(QDateTime());

    const QList<QByteArray> expected
        = {wake,    "622026:12:06:7:02:12:38", "3240\n4101\n", "51130\n",
           "430\n", "80005\n0010\n",           "75010\n"};
    QCOMPARE(f.fake->writes(), expected);
    const auto writes = f.fake->callsOf(QStringLiteral("write"));
    const QList<int> minimumGap = {100, 100, 150, 300, 100, 100};
    for (int i = 1; i < writes.size(); ++i)
        QVERIFY2(writes.at(i).atMs - writes.at(i - 1).atMs >= minimumGap.at(i - 1),
                 qPrintable(QStringLiteral("pause before write %1 too short").arg(i)));
    QCOMPARE(ui.Incoming_Data_TextEdit->toPlainText(),
             QStringLiteral("622026:12:06:7:02:12:38\n3240\n4101\n\n51130\n430\n80005\n0010\n\n"
                            "75010\n"));
}

void TestCommands::secondWritePressDuringWriteDoesNothing()
{
    ControllerFixture f;
    f.fake->clearLog();
    // The write's pauses serve input: press again while it runs.
    QTimer::singleShot(200, f.ui().WriteConfig_PB, &QPushButton::click);
    // Nor can the export's save dialog hold the write in one of its pauses.
    bool exportOffDuringWrite = false;
    QTimer::singleShot(200, f.ui().ExportMesswerte_PB,
                       [&] { exportOffDuringWrite = !f.ui().ExportMesswerte_PB->isEnabled(); });
    f.ui().WriteConfig_PB->click();
    QCOMPARE(f.fake->writes().size(), 7); // one wake step and six commands, once
    QVERIFY(exportOffDuringWrite);
    QVERIFY(f.ui().ExportMesswerte_PB->isEnabled());
}

void TestCommands::defaultsFillTheFieldsAndSendNothing()
{
    ControllerFixture f([](FakeDriver &d) { d.deviceCountResult = 0; });
    Ui::KalvorIIControl &ui = f.ui();
    f.fake->clearLog();
    ui.SetDefault_PB->click();
    QVERIFY(f.fake->calls.isEmpty());
    for (const DeviceSetting &setting : deviceSettings) {
        const QSpinBox *box = settingBox(ui, setting.key);
        QCOMPARE(box->value(), setting.factoryDefault);
        // None of the "?" fields is at its minimum any more, so numbers show.
        QCOMPARE(box->text(), QString::number(setting.factoryDefault));
    }
    QCOMPARE(ui.Huelsenpos_SB->value(), sleevePositionDefault);
    QCOMPARE(ui.Huelsenpos_SB->text(), QStringLiteral("0.00"));
}

// The pressed button goes grey while its commands run; the focus must not
// pass to "Werkeinstellung setzen", where the next Space would put factory
// values into the fields, and it comes back to the button when the button is
// enabled again: after its commands, or after the memory read it started.
void TestCommands::focusStaysOnThePressedButton()
{
    ControllerFixture f;
    QWidget *window = f.controller->mainWidget;
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QPushButton *read = f.ui().ReadConfig_PB;
    read->setFocus();
    QWidget *focusWhileSending = nullptr;
    f.fake->onWrite = [&](const QByteArray &) { focusWhileSending = QApplication::focusWidget(); };
    QTest::keyClick(read, Qt::Key_Space);
    QVERIFY(focusWhileSending);
    QVERIFY(focusWhileSending != f.ui().SetDefault_PB);
    QCOMPARE(QApplication::focusWidget(), read);

    // A memory read keeps its button grey until the last row is in.
    f.fake->onWrite = nullptr;
    f.ui().tabWidget->setCurrentWidget(f.ui().System);
    QPushButton *readMemory = f.ui().ReadSpeicher_PB;
    readMemory->setFocus();
    QTest::keyClick(readMemory, Qt::Key_Space);
    QVERIFY(f.controller->memoryRead().running());
    QWidget *focusWhileReading = QApplication::focusWidget();
    QVERIFY(focusWhileReading != f.ui().ExportMesswerte_PB
            && focusWhileReading != f.ui().ClearSpeicher_PB);
    f.show(DeviceReports::fillLevel(1, 2) + deviceRecord(1) + deviceRecord(2));
    QVERIFY(!f.controller->memoryRead().running());
    QVERIFY(readMemory->isEnabled());
    QCOMPARE(QApplication::focusWidget(), readMemory);
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
