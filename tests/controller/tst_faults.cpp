// A device that is unplugged, silent, or sends garbage: the program keeps
// working, stays responsive and keeps what it has already shown.

#include "controllerfixture.h"
#include "modal.h"
#include "processusage.h"
#include "session/clock.h"
#include "ui/measurementchart.h"

#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextDocument>

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void unplugDuringMemoryReadKeepsRows();
    void receiveLogStaysBounded();
    void silentDeviceChangesNothing();
    void garbage_data();
    void garbage();
    void failedClearKeepsTheFillBar();
    void failedWriteEndsTheWriteAndSaysSo();
    void readThatNeverStartsKeepsTheTable();
    void readWaitsForTheDevicesRange();
    void clearQuestionOpenAcrossAReplug();
    void rowsAfterTheEndOpenTheReadAgain_data();
    void rowsAfterTheEndOpenTheReadAgain();
    void settingsWriteCutSaysWhatWasNotWritten();
};

// A converter that fails during a read: the link closes, the window says so,
// the read ends as incomplete with the rows it got, and nothing pretends to
// reach the device.
void TestFaults::unplugDuringMemoryReadKeepsRows()
{
    ControllerFixture f({}, /*keepTimers=*/true);
    f.tellMeasuringRange();
    f.ui().ReadSpeicher_PB->click();
    QByteArray memory;
    for (int i = 1; i <= 40; ++i)
        memory += deviceRecord(i);
    f.fake->deliver(memory.left(memory.size() / 2));
    QTRY_VERIFY(f.ui().Messwert_treeWidget->topLevelItemCount() >= 19);
    const int rows = f.ui().Messwert_treeWidget->topLevelItemCount();

    f.fake->unplugged = true; // every driver call fails from now on
    f.fake->deliver(memory.mid(memory.size() / 2));
    QTRY_VERIFY(!f.controller->link->isOpen());
    QTRY_COMPARE(f.ui().ReadStatus_lb->text(),
                 QStringLiteral("Nur %1 Messwerte empfangen – bitte erneut lesen").arg(rows));
    QVERIFY(f.ui().FTDI_connection_LB->text().endsWith(QStringLiteral(" and 0 connected")));
    const double cpu = ProcessUsage::cpuPercentWhileRunning(1000);
    QCOMPARE(f.ui().Messwert_treeWidget->topLevelItemCount(), rows);
    QCOMPARE(f.ui().Messwert_treeWidget->topLevelItem(rows - 1)->text(0), QString::number(rows));
    // A gone converter is not polled at all: no busy loop.
    QVERIFY2(cpu < 50.0, qPrintable(QStringLiteral("%1 % of a core while unplugged").arg(cpu)));

    // The device buttons are off, and the table keeps its rows.
    QVERIFY(!f.ui().ReadConfig_PB->isEnabled());
    QVERIFY(!f.ui().ReadConfig_PB->toolTip().isEmpty());
    f.fake->clearLog();
    QTest::mouseClick(f.ui().ReadSpeicher_PB, Qt::LeftButton);
    QVERIFY(f.fake->writes().isEmpty());
    QCOMPARE(f.ui().Messwert_treeWidget->topLevelItemCount(), rows);
}

// The hidden receive log keeps at most the newest 100,000 lines (losing the
// oldest in bulk, down to 90,000), not every line of the session.
void TestFaults::receiveLogStaysBounded()
{
    ControllerFixture f;
    QByteArray lines;
    for (int i = 0; i < 110000; ++i)
        lines += "L\n";
    lines += "the last line";
    f.receive(lines);
    // Everything still reaches the parser's accumulator.
    QCOMPARE(f.controller->receiveAccumulator.size(), lines.size());
    const QTextDocument *log = f.ui().Incoming_Data_TextEdit->document();
    QVERIFY2(log->blockCount() <= 100000, qPrintable(QString::number(log->blockCount())));
    QVERIFY(log->blockCount() >= 90000);
    QVERIFY(!log->isUndoRedoEnabled());
    QCOMPARE(log->lastBlock().text(), QStringLiteral("the last line"));
}

void TestFaults::silentDeviceChangesNothing()
{
    ControllerFixture f({}, true);
    f.tellMeasuringRange();
    f.ui().ReadSpeicher_PB->click();
    // The read runs until the device has been silent long enough, and then
    // says that nothing came.
    QVERIFY(!f.ui().ReadConfig_PB->isEnabled());
    Clock::skip(MemoryRead::startQuietMs);
    QTRY_COMPARE(f.ui().ReadStatus_lb->text(), QStringLiteral("Keine Antwort vom Gerät"));
    QVERIFY(f.ui().ReadStatus_lb->property("warning").toBool());
    f.ui().ReadConfig_PB->click();
    QTest::qWait(400);
    QCOMPARE(f.ui().SerialNumber_lb->text(), QStringLiteral("??????"));
    QCOMPARE(f.ui().interruptValue_SB->value(), 40);
    QCOMPARE(f.ui().Messwert_treeWidget->topLevelItemCount(), 0);
    QCOMPARE(f.ui().Speicherbelegung_PB->value(), 0);
}

void TestFaults::garbage_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray random;
    QRandomGenerator generator(20261207);
    for (int i = 0; i < 200000; ++i)
        random.append(char(generator.bounded(256)));
    QByteArray high;
    for (int i = 0; i < 100000; ++i)
        high.append(char(0x80 + i % 128));
    QTest::newRow("random bytes") << random;
    QTest::newRow("zero bytes") << QByteArray(50000, '\0');
    QTest::newRow("bytes 0x80-0xFF") << high;
    QTest::newRow("a separator every byte") << QByteArray(200000, '=');
    QTest::newRow("labels without values")
        << QByteArray("Nr.:fill level:Entries :Serial number :Info :Messbereich:HF-ID: "
                      "=========================")
               .repeated(2000);
}

void TestFaults::garbage()
{
    QFETCH(QByteArray, bytes);
    ControllerFixture f;
    f.fake->deliver(bytes);
    f.pollAll();
    const qint64 worst = f.worstTick(60);
    QVERIFY2(worst < 250, qPrintable(QStringLiteral("a tick took %1 ms").arg(worst)));
    // Whatever came in, the window still answers and the values stay in range.
    QVERIFY(f.ui().Speicherbelegung_PB->value() >= 0 && f.ui().Speicherbelegung_PB->value() <= 100);
    QVERIFY(f.ui().geraeteID_SB->value() >= 0 && f.ui().geraeteID_SB->value() <= 31);
    f.ui().SetDefault_PB->click();
    QCOMPARE(f.ui().geraeteID_SB->value(), 1);
}

// A clear command that does not reach the device must not make the fill bar
// say the memory is empty, and the status line says it was not cleared.
void TestFaults::failedClearKeepsTheFillBar()
{
    ControllerFixture f;
    QCOMPARE(f.ui().Speicherbelegung_PB->text(), QStringLiteral("?")); // not told yet
    f.show("fill level: 42\n=========================\n");
    QCOMPARE(f.ui().Speicherbelegung_PB->text(), QStringLiteral("42%"));
    f.fake->onWrite = [&f](const QByteArray &bytes) {
        if (bytes == "221")
            f.fake->writeStatus = FT_IO_ERROR;
    };
    onNextModal([](QWidget *modal) {
        static_cast<QMessageBox *>(modal)->button(QMessageBox::Yes)->click();
    });
    f.ui().ClearSpeicher_PB->click();
    QCOMPARE(f.fake->writes().last(), QByteArray("221"));
    // The converter is gone: the level is not known any more, not 0 %.
    QCOMPARE(f.ui().Speicherbelegung_PB->text(), QStringLiteral("?"));
    QCOMPARE(f.ui().FTDI_connection_LB->text(), QStringLiteral("1 Kalvor 2 found and 0 connected"));
    const QString notCleared = QStringLiteral("Speicher nicht gelöscht: kein Kalvor 2 verbunden");
    QCOMPARE(f.ui().ReadStatus_lb->text(), notCleared);

    // Pulled out while the question is open: "Ja" sends nothing and says so.
    ControllerFixture g;
    g.ui().ReadStatus_lb->clear();
    g.fake->clearLog();
    onNextModal([&g](QWidget *modal) {
        g.fake->unplugged = true;
        g.poll();
        static_cast<QMessageBox *>(modal)->button(QMessageBox::Yes)->click();
    });
    g.ui().ClearSpeicher_PB->click();
    QVERIFY(!g.fake->writes().contains("221"));
    QCOMPARE(g.ui().ReadStatus_lb->text(),
             QStringLiteral("Speicher nicht gelöscht: Verbindung unterbrochen"));
}

// A write the converter refuses ends the configuration write there, and the
// window says the converter is not connected: nothing is pretended.
void TestFaults::failedWriteEndsTheWriteAndSaysSo()
{
    ControllerFixture f;
    f.fake->onWrite = [&f](const QByteArray &bytes) {
        if (bytes.startsWith("32"))
            f.fake->writeStatus = FT_IO_ERROR;
    };
    f.ui().Incoming_Data_TextEdit->clear();
    f.fake->clearLog();
    // A clock without "51" in it, the start of the brightness command.
    Clock::setFixed(QDateTime(QDate(2026, 12, 6), QTime(2, 12, 38)));
    const auto restoreClock = qScopeGuard([] { Clock::setFixed(QDateTime()); });
    f.ui().WriteConfig_PB->click();
    // Wake step, clock, then the refused threshold and ID: no more.
    QCOMPARE(f.fake->writes().size(), 3);
    QCOMPARE(f.ui().FTDI_connection_LB->text(), QStringLiteral("1 Kalvor 2 found and 0 connected"));
    QVERIFY(!f.ui().WriteConfig_PB->isEnabled());
    QVERIFY(!f.ui().Incoming_Data_TextEdit->toPlainText().contains(QStringLiteral("51")));
}

// The converter goes away after the wake byte, before the read command: no
// read was asked for, so the rows shown (not exported yet) stay, and the
// status line says the memory was not read.
void TestFaults::readThatNeverStartsKeepsTheTable()
{
    ControllerFixture f({}, /*keepTimers=*/true);
    f.tellMeasuringRange();
    f.show(deviceRecord(1) + deviceRecord(2));
    f.fake->onWrite = [&f](const QByteArray &bytes) {
        if (bytes == "2324")
            f.fake->unplugged = true;
    };
    f.ui().ReadSpeicher_PB->click();
    QCOMPARE(f.fake->writes().last(), QByteArray("2324"));
    QCOMPARE(f.ui().Messwert_treeWidget->topLevelItemCount(), 2);
    QCOMPARE(f.controller->rows().size(), 2);
    QCOMPARE(f.controller->chart()->shownRows(), 2);
    QCOMPARE(f.ui().ReadStatus_lb->text(),
             QStringLiteral("Speicher nicht gelesen: kein Kalvor 2 verbunden"));
    QVERIFY(f.ui().ExportMesswerte_PB->isEnabled());
}

// The memory can be read only once the connected device has told its
// measuring range: until then the button is off and says why.
void TestFaults::readWaitsForTheDevicesRange()
{
    ControllerFixture f;
    QVERIFY(f.ui().ReadConfig_PB->isEnabled());
    QVERIFY(!f.ui().ReadSpeicher_PB->isEnabled());
    QVERIFY(!f.ui().ReadSpeicher_PB->toolTip().isEmpty());
    f.tellMeasuringRange(100);
    QVERIFY(f.ui().ReadSpeicher_PB->isEnabled());
}

// The clear question was about the device connected when it was asked: when
// the converter is pulled and one is plugged in while it is open, "Ja" sends
// nothing. And after a read cut by an unplug, the question speaks of the
// device connected now, whose memory nobody has read.
void TestFaults::clearQuestionOpenAcrossAReplug()
{
    ControllerFixture f;
    f.tellMeasuringRange();
    f.ui().ReadSpeicher_PB->click();
    f.show("fill level: 010\nEntries : 1000\n=========================\n" + deviceRecord(1));
    f.fake->unplugged = true;
    f.poll();
    f.clockTick();
    QVERIFY(f.ui().ReadStatus_lb->text().startsWith(QStringLiteral("Nur 1 von 1000")));
    f.fake->unplugged = false;
    f.controller->lookForConverter();
    f.tellMeasuringRange();
    QString detail;
    onNextModal([&](QWidget *modal) {
        detail = static_cast<QMessageBox *>(modal)->informativeText();
        static_cast<QMessageBox *>(modal)->button(QMessageBox::No)->click();
    });
    f.ui().ClearSpeicher_PB->click();
    QCOMPARE(detail, QStringLiteral("Messwerte noch nicht gelesen"));

    f.fake->clearLog();
    onNextModal([&f](QWidget *modal) {
        f.fake->unplugged = true;
        f.poll();
        f.clockTick();
        f.fake->unplugged = false;
        f.controller->lookForConverter(); // another device, its configuration asked for
        QVERIFY(f.controller->link->isOpen());
        static_cast<QMessageBox *>(modal)->button(QMessageBox::Yes)->click();
    });
    f.ui().ClearSpeicher_PB->click();
    QVERIFY(!f.fake->writes().contains("221"));
    QCOMPARE(f.ui().ReadStatus_lb->text(),
             QStringLiteral("Speicher nicht gelöscht: Verbindung unterbrochen"));
    QVERIFY(f.ui().ReadStatus_lb->property("warning").toBool());
}

void TestFaults::rowsAfterTheEndOpenTheReadAgain_data()
{
    QTest::addColumn<QByteArray>("announced");
    QTest::addColumn<int>("firstPart");
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("whileEnded");
    QTest::newRow("device pauses longer than the quiet time")
        << QByteArray("0030") << 10 << 30
        << QStringLiteral("Nur 10 von 30 Messwerten empfangen – bitte erneut lesen");
    QTest::newRow("more records than announced")
        << QByteArray("0020") << 20 << 60 << QStringLiteral("20 Messwerte gelesen");
    QTest::newRow("records behind a count of zero")
        << QByteArray("0000") << 0 << 30 << QStringLiteral("0 Messwerte gelesen");
}

// A row that arrives after a read ended opens it again: status, buttons and
// the clear question follow the table, and the counts are the rows that
// arrived, never fewer.
void TestFaults::rowsAfterTheEndOpenTheReadAgain()
{
    QFETCH(QByteArray, announced);
    QFETCH(int, firstPart);
    QFETCH(int, records);
    QFETCH(QString, whileEnded);
    ControllerFixture f;
    f.tellMeasuringRange();
    f.ui().ReadSpeicher_PB->click();
    QByteArray first = "fill level: 001\nEntries : " + announced + "\n=========================\n";
    for (int i = 1; i <= firstPart; ++i)
        first += deviceRecord(i);
    f.show(first);
    Clock::skip(MemoryRead::quietMs);
    f.clockTick();
    QCOMPARE(f.ui().ReadStatus_lb->text(), whileEnded);
    QVERIFY(f.ui().ExportMesswerte_PB->isEnabled());

    QByteArray rest;
    for (int i = firstPart + 1; i <= records; ++i)
        rest += deviceRecord(i);
    f.receive(rest.left(rest.size() / 2));
    f.clockTick();
    QVERIFY(f.controller->memoryRead().running());
    QVERIFY(!f.ui().ExportMesswerte_PB->isEnabled());
    QVERIFY(!f.ui().ClearSpeicher_PB->isEnabled());
    f.show(rest.mid(rest.size() / 2));
    Clock::skip(MemoryRead::quietMs);
    f.clockTick();
    QCOMPARE(f.controller->rows().size(), records);
    QCOMPARE(f.ui().ReadStatus_lb->text(), QStringLiteral("%1 Messwerte gelesen").arg(records));
    QVERIFY(f.ui().ExportMesswerte_PB->isEnabled());
    QString detail;
    onNextModal([&](QWidget *modal) {
        detail = static_cast<QMessageBox *>(modal)->informativeText();
        static_cast<QMessageBox *>(modal)->button(QMessageBox::No)->click();
    });
    f.ui().ClearSpeicher_PB->click();
    QVERIFY2(detail.startsWith(QString::number(records) + QLatin1Char(' ')), qPrintable(detail));
    QVERIFY(detail.contains(QStringLiteral("noch nicht exportiert")));
}

// A configuration write cut by an unplug says which settings did not reach
// the device, in the warning look on the settings page.
void TestFaults::settingsWriteCutSaysWhatWasNotWritten()
{
    ControllerFixture f;
    f.fake->onWrite = [&f](const QByteArray &bytes) {
        if (bytes.startsWith("51"))
            f.fake->unplugged = true;
    };
    f.ui().WriteConfig_PB->click();
    QLabel *status = f.ui().SettingsStatus_lb;
    QCOMPARE(status->text(),
             QStringLiteral("Einstellungen nicht vollständig geschrieben – nicht übertragen: "
                            "Helligkeit, Funkkanal, Zykluszeit, Anzahl, Dauer"));
    QVERIFY(status->property("warning").toBool());
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
