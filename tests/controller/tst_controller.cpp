// The window over the device session: its construction, the connection
// label, the table and the chart, fonts and tab order, the clock display and
// the slot table. What the session does on its own is in tests/session.

#include "controllerfixture.h"
#include "session/clock.h"
#include "session/statustexts.h"
#include "ui/formfit.h"
#include "ui/measurementchart.h"

#include <QApplication>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>

#include <QDateEdit>
#include <QTimeEdit>

class TestController : public QObject
{
    Q_OBJECT

private slots:
    void connectionLabel_data();
    void connectionLabel();
    void nextConverterIsTried();
    void placeholdersOnlyWithoutDevice();
    void windowAndHiddenWidgets();
    void columnWidthsArePrimedWithEmptyTable();
    void chartLeavesOutRowsThatAreNoNumbers();
    void textsFitTheirWidgets_data();
    void textsFitTheirWidgets();
    void tabFollowsReadingOrder();
    void clockShowsDateAndTimeWithoutParsing();
    void readConfigFromKalvorIIDoesNothing();
    void slotTableOrder();
};

// The label counts and says what is connected; below it, why a converter
// that is there could not be opened.
void TestController::connectionLabel_data()
{
    QTest::addColumn<quint32>("listed");
    QTest::addColumn<int>("listStatus");
    QTest::addColumn<int>("openStatus");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("reason");
    QTest::newRow("one, opened") << 1u << int(FT_OK) << int(FT_OK)
                                 << "1 Kalvor 2 found and 1 connected"
                                 << "";
    QTest::newRow("none") << 0u << int(FT_OK) << int(FT_OK) << "0 Kalvor 2 found and 0 connected"
                          << "";
    QTest::newRow("two, first opened")
        << 2u << int(FT_OK) << int(FT_OK) << "2 Kalvor 2 found and 1 connected"
        << "";
    QTest::newRow("cannot be opened")
        << 1u << int(FT_OK) << int(FT_DEVICE_NOT_OPENED) << "1 Kalvor 2 found and 0 connected"
        << "Der Wandler lässt sich nicht öffnen";
    QTest::newRow("no permission")
        << 1u << int(FT_OK) << int(FT_PERMISSION_DENIED)
        << "1 Kalvor 2 found and 0 connected"
        // With the package's device rule, plugging in anew helps; without it,
        // the group and a new login.
        << (deviceRuleInstalled()
                ? QStringLiteral("Keine Berechtigung: Wandler abziehen und wieder einstecken")
                : QStringLiteral("Keine Berechtigung: zur Gruppe „dialout“ hinzufügen und neu "
                                 "anmelden"));
    QTest::newRow("held by another program")
        << 1u << int(FT_OK) << int(FT_DEVICE_BUSY) << "1 Kalvor 2 found and 0 connected"
        << "Ein anderes Programm benutzt den Wandler";
    QTest::newRow("list fails") << 0u << int(FT_OTHER_ERROR) << int(FT_DEVICE_NOT_FOUND)
                                << "-1 Kalvor 2 found and 0 connected"
                                << "";
}

void TestController::connectionLabel()
{
    QFETCH(quint32, listed);
    QFETCH(int, listStatus);
    QFETCH(int, openStatus);
    QFETCH(QString, label);
    QFETCH(QString, reason);
    ControllerFixture f([&](FakeDriver &d) {
        d.deviceCountResult = listed;
        d.listStatus = FT_STATUS(listStatus);
        d.openStatus = FT_STATUS(openStatus);
    });
    QCOMPARE(f.ui().FTDI_connection_LB->text(), label);
    QCOMPARE(f.ui().ConnectionReason_lb->text(), reason);
    QCOMPARE(f.ui().ConnectionReason_lb->isVisibleTo(f.controller->mainWidget), !reason.isEmpty());
}

// When the first converter cannot be opened, the next one is tried; one that
// could not be opened is tried again at each look.
void TestController::nextConverterIsTried()
{
    ControllerFixture f([](FakeDriver &d) {
        d.deviceCountResult = 2;
        d.openStatusAt.insert(0, FT_DEVICE_BUSY);
    });
    QCOMPARE(f.ui().FTDI_connection_LB->text(), QStringLiteral("2 Kalvor 2 found and 1 connected"));
    QCOMPARE(f.fake->callsOf(QStringLiteral("open")).size(), 2);
    QCOMPARE(f.fake->callsOf(QStringLiteral("open")).at(1).arg1, 1u);

    ControllerFixture busy([](FakeDriver &d) { d.openStatus = FT_DEVICE_BUSY; });
    QVERIFY(!busy.controller->link->isOpen());
    busy.fake->openStatus = FT_OK;
    busy.controller->lookForConverter();
    QCOMPARE(busy.ui().FTDI_connection_LB->text(),
             QStringLiteral("1 Kalvor 2 found and 1 connected"));
    QVERIFY(!busy.ui().ConnectionReason_lb->isVisibleTo(busy.controller->mainWidget));
    // The fields still show "?" (the device has not answered): writing them
    // would overwrite its settings with the fields' minimums.
    QVERIFY(busy.ui().ReadConfig_PB->isEnabled());
    QVERIFY(!busy.ui().WriteConfig_PB->isEnabled());
    busy.ui().SetDefault_PB->click();
    QVERIFY(busy.ui().WriteConfig_PB->isEnabled());
}

void TestController::placeholdersOnlyWithoutDevice()
{
    ControllerFixture closed([](FakeDriver &d) { d.deviceCountResult = 0; });
    Ui::KalvorIIControl &ui = closed.ui();
    const QList<QAbstractSpinBox *> seven
        = {ui.geraeteID_SB,  ui.Duration_SB,    ui.interruptValue_SB, ui.BrightnessValue_SB,
           ui.Huelsenpos_SB, ui.DauerCycles_SB, ui.DauerTime_SB};
    for (QAbstractSpinBox *box : seven) {
        QCOMPARE(box->text(), QStringLiteral("?"));
        QCOMPARE(box->specialValueText(), QStringLiteral("?"));
    }
    QCOMPARE(ui.interruptValue_SB->value(), 5); // its minimum
    QCOMPARE(ui.Huelsenpos_SB->value(), -10.0);
    QVERIFY(ui.Funkkanal_SB->specialValueText().isEmpty());

    ControllerFixture open;
    for (QAbstractSpinBox *box : {static_cast<QAbstractSpinBox *>(open.ui().geraeteID_SB),
                                  static_cast<QAbstractSpinBox *>(open.ui().Huelsenpos_SB)})
        QVERIFY(box->specialValueText().isEmpty());
    QCOMPARE(open.ui().interruptValue_SB->value(), 40); // the form's own value stands
}

void TestController::windowAndHiddenWidgets()
{
    ControllerFixture f;
    QWidget *window = f.controller->mainWidget;
    QVERIFY(window->isVisible());
    QCOMPARE(window->size(), QSize(929, 550));
    QCOMPARE(window->minimumSize(), QSize(929, 550));
    QCOMPARE(window->maximumSize(), QSize(929, 550));
    QCOMPARE(window->pos(), QPoint(0, 0));
    QCOMPARE(window->windowTitle(), QStringLiteral("Kalvor II"));
    QVERIFY(!f.ui().Incoming_Data_TextEdit->isVisible());
    QVERIFY(!f.ui().Funkkanal_SB->isVisible());
    QVERIFY(f.ui().ReadConfig_PB->isVisibleTo(window));
    QCOMPARE(f.controller->measuringRange, -1);
    QCOMPARE(f.controller->measurementNumber, 1);
    QCOMPARE(f.controller->sleevePositionRaw, 0.0f);
}

void TestController::columnWidthsArePrimedWithEmptyTable()
{
    ControllerFixture f;
    QTreeWidget *tree = f.ui().Messwert_treeWidget;
    QCOMPARE(tree->topLevelItemCount(), 0);
    QList<int> primed;
    for (int column = 0; column < MeasurementRow::ColumnCount; ++column)
        primed << tree->columnWidth(column);

    // The widths are those of a row holding the widest values the first
    // four columns take, not the view's defaults.
    const QDateTime now = QDateTime::currentDateTime();
    auto *widest = new QTreeWidgetItem(
        tree, QStringList{"10000", now.toString("dd:MM:yyyy"), now.toString("hh:mm:ss"), "13.7"});
    QList<int> fitted;
    for (int column = 0; column < MeasurementRow::ColumnCount; ++column) {
        tree->resizeColumnToContents(column);
        fitted << tree->columnWidth(column);
    }
    delete widest;
    QCOMPARE(primed, fitted);
    const QFontMetrics metrics(tree->font());
    QVERIFY(primed.at(1) >= metrics.horizontalAdvance(now.toString("dd:MM:yyyy")));
}

// A device that sends "-inf" or "nan" as a force: the table shows the row,
// the chart leaves it out and says how many it left out.
void TestController::chartLeavesOutRowsThatAreNoNumbers()
{
    ControllerFixture f;
    f.show(deviceRecord(1) + deviceRecord(2, "2012:03:05:1:14:08:00", "-inf")
           + deviceRecord(3, "2012:03:05:1:14:09:00", " nan") + deviceRecord(4));
    QCOMPARE(f.ui().Messwert_treeWidget->topLevelItemCount(), 4);
    MeasurementChart *chart = f.controller->chart();
    QCOMPARE(chart->shownRows(), 2);
    QCOMPARE(chart->excludedRows(), 2);
    QCOMPARE(chart->forcePoints(), QList<QPointF>({QPointF(1, 2.34), QPointF(4, 2.34)}));
    const auto *note = chart->findChild<QLabel *>(QStringLiteral("DiagrammHinweis_lb"));
    QVERIFY(note && note->isVisibleTo(chart));
    QVERIFY2(note->text().startsWith(QStringLiteral("2 ")), qPrintable(note->text()));
}

// With the platform's default fonts, and with a larger system font, no
// button or range hint loses characters.
void TestController::textsFitTheirWidgets_data()
{
    QTest::addColumn<int>("pointSize"); // 0: the default font
    QTest::newRow("default font") << 0;
    QTest::newRow("9 pt") << 9;
    QTest::newRow("11 pt") << 11;
    QTest::newRow("12 pt") << 12;
    QTest::newRow("13 pt") << 13;
}

void TestController::textsFitTheirWidgets()
{
    QFETCH(int, pointSize);
    const QFont previous = QApplication::font();
    auto restore = qScopeGuard([&] { QApplication::setFont(previous); });
    if (pointSize > 0) {
        QFont font = previous;
        font.setPointSize(pointSize);
        QApplication::setFont(font);
    }
    ControllerFixture f;
    QWidget *window = f.controller->mainWidget;
    for (QPushButton *button : window->findChildren<QPushButton *>())
        QVERIFY2(FormFit::textFits(button), qPrintable(button->objectName()));
    int hints = 0;
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (!label->text().startsWith(u'['))
            continue;
        ++hints;
        QVERIFY2(FormFit::textFits(label), qPrintable(label->objectName()));
    }
    QCOMPARE(hints, 7); // six ranges and "[mm]"
    // The widest value of every field, up to 11 pt (the fields of the
    // right-hand panel reach its edge with their hints beyond that).
    for (QAbstractSpinBox *box : window->findChildren<QAbstractSpinBox *>()) {
        if (pointSize <= 11 && box->isVisibleTo(window))
            QVERIFY2(FormFit::textFits(box), qPrintable(box->objectName()));
    }
    // All three tabs show, without scroll arrows.
    const QTabBar *tabs = f.ui().tabWidget->tabBar();
    QVERIFY2(tabs->sizeHint().width() <= f.ui().tabWidget->width(),
             qPrintable(QStringLiteral("tabs %1 px wide").arg(tabs->sizeHint().width())));
}

// Tab walks each page's fields top to bottom, and left to right within a
// row: the order follows the geometry.
void TestController::tabFollowsReadingOrder()
{
    ControllerFixture f;
    QTabWidget *tabs = f.ui().tabWidget;
    for (int page = 0; page < tabs->count(); ++page) {
        QWidget *content = tabs->widget(page);
        tabs->setCurrentIndex(page);
        QList<QWidget *> chain;
        QWidget *start = content->nextInFocusChain();
        for (QWidget *w = start; chain.size() < 200; w = w->nextInFocusChain()) {
            // The form's own widgets, not the parts Qt builds them from.
            const bool own
                = !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"));
            if (own && content->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus)
                && w->isVisibleTo(content) && !chain.contains(w))
                chain << w;
            if (w->nextInFocusChain() == start)
                break;
        }
        QVERIFY2(chain.size() >= 3, qPrintable(tabs->tabText(page)));
        // The frames of the settings page are read one after the other.
        const auto panel = [&](QWidget *w) { return f.ui().frame_7->isAncestorOf(w) ? 1 : 0; };
        for (int i = 1; i < chain.size(); ++i) {
            const QPoint a = chain.at(i - 1)->mapTo(content, chain.at(i - 1)->rect().center());
            const QPoint b = chain.at(i)->mapTo(content, chain.at(i)->rect().center());
            const bool sameRow = qAbs(a.y() - b.y()) <= 12;
            const bool inOrder = panel(chain.at(i - 1)) < panel(chain.at(i))
                || (panel(chain.at(i - 1)) == panel(chain.at(i))
                    && (sameRow ? a.x() < b.x() : a.y() < b.y()));
            QVERIFY2(
                inOrder,
                qPrintable(QStringLiteral("%1 before %2")
                               .arg(chain.at(i - 1)->objectName(), chain.at(i)->objectName())));
        }
    }
}

void TestController::clockShowsDateAndTimeWithoutParsing()
{
    ControllerFixture f;
    Clock::setFixed(QDateTime(QDate(2026, 12, 6), QTime(2, 12, 38)));
    f.clockTick();
    Clock::setFixed(QDateTime());
    QCOMPARE(f.ui().dateEdit->date(), QDate(2026, 12, 6));
    QCOMPARE(f.ui().timeEdit->time(), QTime(2, 12, 38));
    QCOMPARE(f.controller->reportBlock(), QString());
}

void TestController::readConfigFromKalvorIIDoesNothing()
{
    ControllerFixture f;
    f.fake->clearLog();
    // The slot's place in the slot table (slotTableOrder) reaches it; the
    // button is wired elsewhere.
    const QMetaObject &meta = KalvorIIControl::staticMetaObject;
    const QMetaMethod slot = meta.method(meta.methodOffset() + 3);
    QCOMPARE(slot.name(), QByteArray("ReadConfigFromKalvorII"));
    QVERIFY(slot.invoke(f.controller.get(), Qt::DirectConnection));
    QVERIFY(f.fake->writes().isEmpty());
    f.ui().ReadConfig_PB->click();
    QCOMPARE(f.fake->writes(), QList<QByteArray>({QByteArray("\n"), QByteArray("71\n")}));
}

void TestController::slotTableOrder()
{
    const QMetaObject &meta = KalvorIIControl::staticMetaObject;
    QStringList names;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        QCOMPARE(meta.method(i).methodType(), QMetaMethod::Slot);
        QCOMPARE(meta.method(i).access(), QMetaMethod::Private);
        names << QString::fromLatin1(meta.method(i).methodSignature());
    }
    QCOMPARE(names,
             QStringList({"updateUhr()", "receiveSerialData()", "WriteConfigFromKalvorII()",
                          "ReadConfigFromKalvorII()", "ReadSpeicherFromKalvorII()",
                          "ClearSpeicherFromKalvorII()", "ExportMesswerte()",
                          "ReadKVIIconfiguration()", "SetDefault()"}));
}

QTEST_MAIN(TestController)
#include "tst_controller.moc"
