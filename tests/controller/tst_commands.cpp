// The command buttons: the bytes they write, the wake step before each, the
// confirmation before clearing, the configuration write and the defaults.

#include "controller/settingfields.h"
#include "controllerfixture.h"
#include "modal.h"
#include "protocol/devicesettings.h"
#include "session/clock.h"
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
    void readMemoryClearsTableAndRestartsNumbering();
    void commandsOnClosedLinkSendNothingAndDoNotWait();
    void clearAsksFirst_data();
    void clearAsksFirst();
    void clearConfirmedSendsAndZeroesFillBar();
    void secondWritePressDuringWriteDoesNothing();
    void defaultsFillTheFieldsAndSendNothing();
    void focusStaysOnThePressedButton();
    void valuesEnteredReplaceThePlaceholder();
    void settingsWriteIsConfirmed();
};

void TestCommands::readMemoryClearsTableAndRestartsNumbering()
{
    ControllerFixture f;
    f.tellMeasuringRange();
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
    // The old rows go once the command is out, not before: a command that
    // does not go out leaves them.
    QCOMPARE(rowsWhenCommandWritten, 1);
    QCOMPARE(tree->topLevelItemCount(), 0);
    QVERIFY(f.controller->rows().isEmpty()); // the rows kept beside the table too
    QCOMPARE(f.controller->measurementNumber, 1);
    f.fake->onWrite = nullptr;

    f.show(deviceRecord(17));
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
    QCOMPARE(f.ui().ReadStatus_lb->text(), QStringLiteral("Speicher gelöscht"));
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
    QStringList echoes;
    connect(&f.controller->session(), &DeviceSession::logCommand, this,
            [&echoes](const QString &echo) { echoes << echo; });
    f.ui().WriteConfig_PB->click();
    // One wake step, six commands and the read-back, once; the hidden log
    // shows each command the session echoed once, as a paragraph of its own.
    // (tests/session checks the bytes and the pauses.)
    QCOMPARE(f.fake->writes().size(), 9);
    QCOMPARE(echoes.size(), 6);
    QCOMPARE(f.ui().Incoming_Data_TextEdit->toPlainText(), echoes.join(u'\n'));
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
    f.tellMeasuringRange();
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

// A value from the factory defaults or from the user is a real one, its
// minimum included: the "?" goes, and the write button follows every edit.
void TestCommands::valuesEnteredReplaceThePlaceholder()
{
    ControllerFixture f([](FakeDriver &d) { d.deviceCountResult = 0; });
    Ui::KalvorIIControl &ui = f.ui();
    f.fake->deviceCountResult = 1;
    f.controller->lookForConverter();
    QVERIFY(f.controller->link->isOpen());
    QVERIFY(!ui.WriteConfig_PB->isEnabled()); // every field still shows "?"
    for (const SettingField &field : settingFields) {
        QSpinBox *box = ui.*field.box;
        box->setValue(box->minimum() + 1);
        box->setValue(box->minimum());
        QCOMPARE(box->text(), QString::number(box->minimum()));
    }
    QVERIFY(ui.WriteConfig_PB->isEnabled());

    ControllerFixture g([](FakeDriver &d) { d.deviceCountResult = 0; });
    g.ui().SetDefault_PB->click();
    g.ui().geraeteID_SB->setValue(0);
    QCOMPARE(g.ui().geraeteID_SB->text(), QStringLiteral("0"));
    g.fake->deviceCountResult = 1;
    g.controller->lookForConverter();
    QVERIFY(g.ui().WriteConfig_PB->isEnabled());
}

// After a configuration write the settings are read back and held against
// what was written: the settings page says whether the device took them, and
// which it did not take.
void TestCommands::settingsWriteIsConfirmed()
{
    ControllerFixture f;
    Ui::KalvorIIControl &ui = f.ui();
    DeviceSettings held;
    for (const DeviceSetting &setting : deviceSettings)
        held.*setting.field = settingBox(ui, setting.key)->value();
    // The device answers the read-back with what it holds.
    f.fake->onWrite = [&](const QByteArray &bytes) {
        if (bytes == "71\n")
            f.fake->deliver(DeviceReports::configuration(DeviceIdentity(), held));
    };
    ui.WriteConfig_PB->click();
    f.show({});
    QCOMPARE(ui.SettingsStatus_lb->text(),
             QStringLiteral("Einstellungen übertragen und bestätigt"));
    QVERIFY(!ui.SettingsStatus_lb->property("warning").toBool());

    // A device that keeps its own brightness.
    ui.BrightnessValue_SB->setValue(200);
    held.brightness = 130;
    ui.WriteConfig_PB->click();
    f.show({});
    QCOMPARE(ui.SettingsStatus_lb->text(),
             QStringLiteral("Vom Gerät nicht übernommen: Helligkeit: im Gerät 130 statt 200"));
    QVERIFY(ui.SettingsStatus_lb->property("warning").toBool());
    QCOMPARE(ui.BrightnessValue_SB->value(), 130); // the field shows what the device holds

    // A device that does not answer.
    f.fake->onWrite = nullptr;
    ui.WriteConfig_PB->click();
    Clock::skip(DeviceSession::confirmationMs);
    f.clockTick();
    QCOMPARE(ui.SettingsStatus_lb->text(),
             QStringLiteral("Keine Bestätigung vom Gerät – bitte Einstellungen einlesen"));
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
