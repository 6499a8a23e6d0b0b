// The window over the device session: its construction, the connection
// label, the table and the chart, fonts and tab order, the clock display and
// the slot table. What the session does on its own is in tests/session.

#include "controllerfixture.h"
#include "filesizelimit.h"
#include "session/clock.h"
#include "session/statustexts.h"
#include "sim/devicereports.h"
#include "ui/archivewindow.h"
#include "ui/formfit.h"
#include "ui/measurementchart.h"

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <QTreeWidget>

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
    void selectedRowsAreCopiedWhole();
    void chartKnowsTheReadItShows();
    void textsFitTheirWidgets_data();
    void textsFitTheirWidgets();
    void tabFollowsReadingOrder();
    void clockShowsDateAndTimeWithoutParsing();
    void readConfigFromKalvorIIDoesNothing();
    void slotTableOrder();
    void archiveWindowListsAndDeletes();
    void archiveFailureKeepsTheRead();
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

// A saved chart's title names the device the rows came from, when the read
// started and how many rows it holds: the controller hands these to the chart
// when a read starts.
void TestController::chartKnowsTheReadItShows()
{
    ControllerFixture f;
    f.show("Serial number : 654321\n=========================\n");
    QCOMPARE(f.ui().SerialNumber_lb->text(), QStringLiteral("654321"));
    f.tellMeasuringRange();
    Clock::setFixed(QDateTime(QDate(2026, 12, 6), QTime(14, 5, 9)));
    f.ui().ReadSpeicher_PB->click();
    Clock::setFixed(QDateTime());
    f.show(deviceRecord(1) + deviceRecord(2) + deviceRecord(3));
    MeasurementChart *chart = f.controller->chart();
    chart->setLocale(QLocale(QLocale::German, QLocale::Germany));
    const QString title = chart->imageTitle();
    for (const char *part : {"654321", "06.12.2026", "14:05:09", "Messwerte: 3"})
        QVERIFY2(title.contains(QLatin1String(part)), qPrintable(title));
}

// Rows picked with Shift and Ctrl go to the clipboard whole, in the table's
// order, as tab-separated lines under the column headers.
void TestController::selectedRowsAreCopiedWhole()
{
    ControllerFixture f;
    f.show(deviceRecord(1) + deviceRecord(2, "2012:03:05:1:14:08:00", "3,10", "050")
           + deviceRecord(3, "2012:03:06:2:09:00:00", "12,5", "-20", "007")
           + deviceRecord(4, "2012:03:06:2:09:00:01", "0,75") + deviceRecord(5));
    f.ui().tabWidget->setCurrentWidget(f.ui().System);
    QTreeWidget *tree = f.ui().Messwert_treeWidget;
    QCOMPARE(tree->topLevelItemCount(), 5);
    const auto click = [tree](int row, Qt::KeyboardModifiers modifiers) {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, modifiers,
                          tree->visualItemRect(tree->topLevelItem(row)).center());
    };
    const auto expected = [&](const QList<int> &rows) {
        QStringList headers;
        for (int column = 0; column < tree->columnCount(); ++column)
            headers << tree->headerItem()->text(column);
        QString text = headers.join(u'\t') + u'\n';
        for (const int row : rows)
            text += f.controller->rows().at(row).cells.join(u'\t') + u'\n';
        return text;
    };
    QClipboard *clipboard = QApplication::clipboard();

    click(3, Qt::NoModifier);
    click(1, Qt::ShiftModifier);
    clipboard->clear();
    QTest::keyClick(tree, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), expected({1, 2, 3}));

    click(2, Qt::ControlModifier); // out of the selection again
    click(0, Qt::ControlModifier);
    QTest::keyClick(tree, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), expected({0, 1, 3}));
}

// With the platform's default fonts, and with a larger system font, in
// German and in English, no button, range hint, view choice or tab loses
// characters.
void TestController::textsFitTheirWidgets_data()
{
    QTest::addColumn<int>("pointSize"); // 0: the default font
    QTest::addColumn<bool>("english");
    for (const bool english : {false, true}) {
        const char *language = english ? ", English" : "";
        QTest::addRow("default font%s", language) << 0 << english;
        for (const int size : {9, 11, 12, 13})
            QTest::addRow("%d pt%s", size, language) << size << english;
    }
}

void TestController::textsFitTheirWidgets()
{
    QFETCH(int, pointSize);
    QFETCH(bool, english);
    const QFont previous = QApplication::font();
    QTranslator translation;
    auto restore = qScopeGuard([&] {
        QApplication::setFont(previous);
        QCoreApplication::removeTranslator(&translation);
    });
    if (pointSize > 0) {
        QFont font = previous;
        font.setPointSize(pointSize);
        QApplication::setFont(font);
    }
    if (english) {
        QVERIFY(translation.load(QStringLiteral(KALVOR2_QM_FILE)));
        QCoreApplication::installTranslator(&translation);
    }
    ControllerFixture f;
    QWidget *window = f.controller->mainWidget;
    // Each page as it shows: the chart page lays itself out when shown.
    for (int page = 0; page < f.ui().tabWidget->count(); ++page) {
        f.ui().tabWidget->setCurrentIndex(page);
        QWidget *content = f.ui().tabWidget->widget(page);
        for (QPushButton *button : content->findChildren<QPushButton *>())
            QVERIFY2(FormFit::textFits(button), qPrintable(button->objectName()));
        for (QRadioButton *button : content->findChildren<QRadioButton *>())
            QVERIFY2(FormFit::textFits(button), qPrintable(button->objectName()));
    }
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
    // All three tabs show, without scroll arrows, one beside the other, each
    // with its whole text and a third of the width the window shows.
    const QTabBar *tabs = f.ui().tabWidget->tabBar();
    QVERIFY2(tabs->sizeHint().width() <= f.ui().tabWidget->width(),
             qPrintable(QStringLiteral("tabs %1 px wide").arg(tabs->sizeHint().width())));
    const int shown = window->width() - f.ui().tabWidget->x();
    QCOMPARE(tabs->count(), 3);
    for (int i = 0; i < tabs->count(); ++i) {
        const QRect tab = tabs->tabRect(i);
        const QString name = tabs->tabText(i);
        QVERIFY2(tab.left() >= 0 && tabs->mapTo(window, tab.topRight()).x() < window->width(),
                 qPrintable(name));
        if (i > 0)
            QVERIFY2(tab.left() > tabs->tabRect(i - 1).right(), qPrintable(name));
        QVERIFY2(
            tab.width() >= shown / 3 - 8,
            qPrintable(QStringLiteral("%1: %2 px of %3").arg(name).arg(tab.width()).arg(shown)));
        const int padding = 12; // the tab sheet's 6 px either side
        QVERIFY2(tabs->fontMetrics().horizontalAdvance(name) + padding <= tab.width(),
                 qPrintable(name));
    }
}

// Tab walks each page as it is read. The expected order comes from what the
// widgets are and where they stand, not from the rule the program orders
// them by: on the settings page each panel's buttons left to right, then its
// fields top to bottom, the left panel first; on the measurement page the
// table, then the buttons top to bottom; on the chart page the view choices,
// then the save button.
void TestController::tabFollowsReadingOrder()
{
    ControllerFixture f;
    QTabWidget *tabs = f.ui().tabWidget;
    const auto top = [](const QWidget *w) { return w->mapToGlobal(QPoint(0, 0)).y(); };
    const auto left = [](const QWidget *w) { return w->mapToGlobal(QPoint(0, 0)).x(); };
    // `widgets` of `among`, sorted by `key`.
    const auto sorted = [](const QList<QWidget *> &among, const auto &take, const auto &key) {
        QList<QWidget *> widgets;
        for (QWidget *w : among) {
            if (take(w))
                widgets << w;
        }
        std::stable_sort(widgets.begin(), widgets.end(),
                         [&](const QWidget *a, const QWidget *b) { return key(a) < key(b); });
        return widgets;
    };
    const auto isButton = [](const QWidget *w) { return qobject_cast<const QPushButton *>(w); };
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
        QList<QWidget *> expected;
        if (content == f.ui().Corvand) {
            for (QWidget *panel : {f.ui().frame_5, f.ui().frame_7}) {
                const auto inPanel = [panel](const QWidget *w) { return panel->isAncestorOf(w); };
                expected += sorted(
                    chain, [&](const QWidget *w) { return inPanel(w) && isButton(w); }, left);
                expected += sorted(
                    chain, [&](const QWidget *w) { return inPanel(w) && !isButton(w); }, top);
            }
        } else if (content == f.ui().System) {
            expected << f.ui().Messwert_treeWidget;
            expected += sorted(chain, isButton, top);
        } else {
            QCOMPARE(content, f.controller->chart());
            expected += sorted(
                chain, [](const QWidget *w) { return qobject_cast<const QRadioButton *>(w); }, top);
            expected += sorted(chain, isButton, top);
        }
        QVERIFY2(chain.size() >= 3, qPrintable(tabs->tabText(page)));
        const auto names = [](const QList<QWidget *> &widgets) {
            QStringList list;
            for (const QWidget *w : widgets)
                list << w->objectName();
            return list;
        };
        QCOMPARE(names(chain), names(expected));
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
// The archive window lists the reads newest first with what a technician
// asks of each, deletes one only after "Ja", and hands back the one opened.
void TestController::archiveWindowListsAndDeletes()
{
    QTemporaryDir dir;
    ControllerFixture f;
    QVERIFY(f.controller->openArchive(dir.filePath("archive.sqlite")).usable());
    f.tellMeasuringRange();
    for (const QByteArray &serial : {QByteArray("111111"), QByteArray("222222")}) {
        f.show("Serial number : " + serial + "\n=========================\n");
        f.ui().ReadSpeicher_PB->click();
        f.show(DeviceReports::fillLevel(1, 3) + deviceRecord(1) + deviceRecord(2));
        // Quiet: the read ends short of its three rows.
        Clock::skip(MemoryRead::quietMs);
        f.clockTick();
        QVERIFY(!f.controller->memoryRead().running());
    }
    ArchiveWindow window(f.controller->archive().archive());
    QTreeWidget *list = window.list();
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("222222"));
    QCOMPARE(list->topLevelItem(1)->text(1), QStringLiteral("111111"));
    QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("2 von 3"));
    QCOMPARE(list->topLevelItem(0)->text(3), QStringLiteral("nein"));

    QStringList asked;
    bool answer = false;
    window.setDeleteQuestion([&](QWidget *, const QString &read) {
        asked << read;
        return answer;
    });
    list->setCurrentItem(list->topLevelItem(1));
    window.deleteSelected();
    QCOMPARE(list->topLevelItemCount(), 2);
    answer = true;
    list->setCurrentItem(list->topLevelItem(1));
    window.deleteSelected();
    QCOMPARE(asked.size(), 2);
    QVERIFY2(asked.last().contains(QStringLiteral("111111")), qPrintable(asked.last()));
    QCOMPARE(list->topLevelItemCount(), 1);
    QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("222222"));

    for (QPushButton *button : window.findChildren<QPushButton *>())
        if (button->text() == QStringLiteral("Öffnen"))
            button->click();
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QList<ArchivedReadSummary> reads;
    f.controller->archive().archive().listReads(reads);
    QCOMPARE(window.chosenRead(), reads.value(0).id);
}

// An archive that cannot be opened, or that fails during a read, is
// reported in the status line; the read goes on and the table keeps every
// row.
void TestController::archiveFailureKeepsTheRead()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath("data"));
    QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder would be
    blocker.close();
    ControllerFixture f;
    const MeasurementArchive::OpenResult opened
        = f.controller->openArchive(dir.filePath("data/archive.sqlite"));
    QVERIFY(!opened.usable());
    QCOMPARE(f.ui().ReadStatus_lb->text(), opened.message);
    QVERIFY(f.ui().ReadStatus_lb->property("warning").toBool());
    auto *archiveButton = f.ui().System->findChild<QPushButton *>(QStringLiteral("Archiv_PB"));
    QVERIFY(!archiveButton->isEnabled());
    f.tellMeasuringRange();
    f.ui().ReadSpeicher_PB->click();
    f.show(DeviceReports::fillLevel(1, 2) + deviceRecord(1) + deviceRecord(2));
    QCOMPARE(f.ui().ReadStatus_lb->text(), QStringLiteral("2 Messwerte gelesen"));

    // A full disk in the middle of a read.
    const QString path = dir.filePath("archive.sqlite");
    QVERIFY(f.controller->openArchive(path).usable());
    f.ui().ReadSpeicher_PB->click();
    f.show(DeviceReports::fillLevel(1, 600) + deviceRecord(1));
    {
        FileSizeLimit limit(QFileInfo(path + "-wal").size());
        QVERIFY(limit.ok());
        QByteArray records;
        for (int number = 2; number <= 600; ++number)
            records += deviceRecord(number);
        f.show(records);
    }
    QCOMPARE(f.ui().Messwert_treeWidget->topLevelItemCount(), 600);
    const QString status = f.ui().ReadStatus_lb->text();
    QVERIFY2(status.startsWith(QStringLiteral("600 Messwerte gelesen\nNicht im Archiv: ")),
             qPrintable(status));
    QVERIFY(f.ui().ReadStatus_lb->property("warning").toBool());
}

#include "tst_controller.moc"
