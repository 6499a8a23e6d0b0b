// The main window form as uic builds it: widget tree, geometry, settings,
// stacking and the accessibility links between captions and fields.

#include "controller/settingfields.h"
#include "protocol/devicesettings.h"
#include "ui_kalvor2control.h"

#include <QAccessible>
#include <QtTest>

namespace {

using Rows = QList<QStringList>;

QWidget *named(QWidget &window, const QString &name)
{
    if (window.objectName() == name)
        return &window;
    return window.findChild<QWidget *>(name);
}

} // namespace

class TestForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void widgets_data();
    void widgets();
    void noOtherNamedWidgets();
    void window();
    void keepsExistingObjectName();
    void spinBoxes_data();
    void spinBoxes();
    void spinBoxesClamp();
    void states();
    void fonts();
    void alignment_data();
    void alignment();
    void frames();
    void tree();
    void stacking_data();
    void stacking();
    void overlapsShowTheUpperWidget();
    void tabs();
    void buddies_data();
    void buddies();

private:
    QWidget *m_window = nullptr;
    Ui::KalvorIIControl m_ui;
};

void TestForm::init()
{
    m_window = new QWidget;
    m_ui.setupUi(m_window);
}

void TestForm::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void TestForm::widgets_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRect>("geometry"); // null: laid out by the tab widget

    struct Row
    {
        const char *name, *cls, *parent;
        QRect rect;
    };
    const Row rows[] = {
        {"tabWidget", "QTabWidget", "KalvorIIControl", {0, 250, 931, 301}},
        {"Corvand", "QWidget", "tabWidget", {}},
        {"frame_5", "QFrame", "Corvand", {10, 10, 461, 251}},
        {"DurationSpinBox_LB", "QLabel", "frame_5", {20, 130, 261, 20}},
        {"Duration_SB", "QSpinBox", "frame_5", {290, 130, 61, 22}},
        {"BrightnessSpinBox_LB", "QLabel", "frame_5", {20, 160, 261, 20}},
        {"BrightnessValue_SB", "QSpinBox", "frame_5", {290, 160, 61, 22}},
        {"ID_range_LB", "QLabel", "frame_5", {360, 70, 95, 22}},
        {"label_15", "QLabel", "frame_5", {360, 100, 95, 22}},
        {"label_16", "QLabel", "frame_5", {360, 130, 95, 22}},
        {"label_17", "QLabel", "frame_5", {360, 160, 95, 22}},
        {"WriteConfig_PB", "QPushButton", "frame_5", {160, 20, 131, 31}},
        {"ReadConfig_PB", "QPushButton", "frame_5", {10, 20, 141, 31}},
        {"geraeteID_SB", "QSpinBox", "frame_5", {290, 70, 61, 22}},
        {"interruptValue_SB", "QSpinBox", "frame_5", {290, 100, 61, 22}},
        {"SetDefault_PB", "QPushButton", "frame_5", {300, 20, 151, 31}},
        {"geraeteIdSpinBox_LB", "QLabel", "frame_5", {20, 70, 261, 20}},
        {"interruptSpinBox_LB", "QLabel", "frame_5", {20, 100, 261, 20}},
        {"timeEdit_LB", "QLabel", "frame_5", {20, 190, 211, 20}},
        {"timeEdit", "QTimeEdit", "frame_5", {240, 190, 110, 22}},
        {"dateEdit_LB", "QLabel", "frame_5", {20, 220, 211, 20}},
        {"dateEdit", "QDateEdit", "frame_5", {240, 220, 110, 22}},
        {"frame_7", "QFrame", "Corvand", {490, 10, 431, 251}},
        {"Funkkanal_SB", "QSpinBox", "frame_7", {170, 240, 61, 22}},
        {"DauerTime_SB", "QSpinBox", "frame_7", {280, 190, 61, 22}},
        {"DauerCycles_SB", "QSpinBox", "frame_7", {280, 160, 61, 22}},
        {"Incoming_Data_TextEdit", "QTextBrowser", "frame_7", {20, 220, 361, 41}},
        {"label_19", "QLabel", "frame_7", {348, 160, 80, 22}},
        {"label_18", "QLabel", "frame_7", {348, 190, 80, 22}},
        {"DurationSpinBox_LB_2", "QLabel", "frame_7", {50, 160, 221, 20}},
        {"BrightnessSpinBox_LB_2", "QLabel", "frame_7", {40, 190, 231, 20}},
        {"DurationSpinBox_LB_5", "QLabel", "frame_7", {10, 30, 401, 20}},
        {"DurationSpinBox_LB_4", "QLabel", "frame_7", {30, 50, 241, 20}},
        {"DurationSpinBox_LB_3", "QLabel", "frame_7", {10, 130, 411, 20}},
        {"Huelsenpos_SB", "QDoubleSpinBox", "frame_7", {280, 50, 51, 22}},
        {"DurationSpinBox_LB_6", "QLabel", "frame_7", {340, 50, 51, 20}},
        {"SettingsStatus_lb", "QLabel", "frame_7", {10, 78, 411, 48}},
        {"System", "QWidget", "tabWidget", {}},
        {"Speicherbelegung_PB", "QProgressBar", "System", {700, 27, 161, 23}},
        {"Speicherbelegung_LB", "QLabel", "System", {640, 2, 241, 21}},
        {"Messwert_treeWidget", "QTreeWidget", "System", {10, 10, 571, 251}},
        {"ReadSpeicher_PB", "QPushButton", "System", {670, 62, 191, 31}},
        {"ClearSpeicher_PB", "QPushButton", "System", {670, 140, 191, 31}},
        {"ExportMesswerte_PB", "QPushButton", "System", {670, 100, 191, 31}},
        {"ReadStatus_lb", "QLabel", "System", {640, 180, 281, 71}},
        {"label_7", "QLabel", "KalvorIIControl", {600, 190, 151, 51}},
        {"SerialNumber_lb", "QLabel", "KalvorIIControl", {610, 220, 141, 21}},
        {"label", "QLabel", "KalvorIIControl", {420, 190, 171, 51}},
        {"CheckDatum_lb", "QLabel", "KalvorIIControl", {420, 220, 171, 21}},
        {"label_9", "QLabel", "KalvorIIControl", {760, 190, 168, 51}},
        {"FirmwareVersionsNumber_lb", "QLabel", "KalvorIIControl", {787, 220, 101, 21}},
        {"FTDI_connection_LB", "QLabel", "KalvorIIControl", {0, 190, 411, 51}},
        {"ConnectionReason_lb", "QLabel", "KalvorIIControl", {0, 221, 411, 20}},
        {"Corvand_Logo_LB", "QLabel", "KalvorIIControl", {0, 0, 950, 175}},
    };
    static_assert(std::size(rows) == 54);
    for (const Row &r : rows)
        QTest::newRow(r.name) << QString::fromLatin1(r.cls) << QString::fromLatin1(r.parent)
                              << r.rect;
}

void TestForm::widgets()
{
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    QFETCH(QRect, geometry);

    QWidget *w = named(*m_window, QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(w);
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), className);
    if (parentName == QLatin1String("tabWidget")) {
        // Pages are reparented into the tab widget's internal stack.
        QVERIFY(m_ui.tabWidget->indexOf(w) >= 0);
    } else {
        QVERIFY(w->parentWidget());
        QCOMPARE(w->parentWidget()->objectName(), parentName);
        QCOMPARE(w->geometry(), geometry);
    }
}

void TestForm::noOtherNamedWidgets()
{
    // Qt's own helper widgets carry names starting with "qt_" (or none), and
    // the tab bar names its scroll buttons.
    QStringList names;
    const auto all = m_window->findChildren<QWidget *>();
    for (QWidget *w : all) {
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"))
            && !qobject_cast<QTabBar *>(w->parentWidget()))
            names << w->objectName();
    }
    QCOMPARE(names.size(), 54);
    QCOMPARE(QSet<QString>(names.cbegin(), names.cend()).size(), 54);
}

void TestForm::window()
{
    // Text from the device is shown as it came, never read as markup.
    for (QLabel *label : {m_ui.SerialNumber_lb, m_ui.CheckDatum_lb, m_ui.FirmwareVersionsNumber_lb})
        QCOMPARE(label->textFormat(), Qt::PlainText);
    QCOMPARE(m_window->objectName(), QStringLiteral("KalvorIIControl"));
    QCOMPARE(m_window->windowModality(), Qt::WindowModal);
    QCOMPARE(m_window->size(), QSize(929, 550));
    QVERIFY(!m_window->acceptDrops());
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Kalvor II"));
}

void TestForm::keepsExistingObjectName()
{
    QWidget window;
    window.setObjectName(QStringLiteral("mainWindow"));
    Ui::KalvorIIControl ui;
    ui.setupUi(&window);
    QCOMPARE(window.objectName(), QStringLiteral("mainWindow"));
    QCOMPARE(ui.tabWidget->parentWidget(), &window);
}

// The ranges of the settings' boxes are the settings table's: the form
// offers exactly what the configuration write sends and the device takes.
void TestForm::spinBoxes_data()
{
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<double>("step");
    QTest::addColumn<double>("value");

    const QHash<QString, double> initialValue
        = {{"geraeteID_SB", 1},         {"interruptValue_SB", 40}, {"Duration_SB", 0},
           {"BrightnessValue_SB", 255}, {"DauerCycles_SB", 10},    {"DauerTime_SB", 5},
           {"Funkkanal_SB", 0}};
    QWidget window; // the data function runs before init()
    Ui::KalvorIIControl ui;
    ui.setupUi(&window);
    for (const SettingField &field : settingFields) {
        const QString name = (ui.*field.box)->objectName();
        const SettingRange range = deviceSetting(field.key).range;
        QTest::newRow(qPrintable(name))
            << double(range.min) << double(range.max) << 1.0 << initialValue.value(name, -1);
    }
    QTest::newRow("Huelsenpos_SB") << -10.0 << 10.0 << 5.0 << 0.0;
}

void TestForm::spinBoxes()
{
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(double, step);
    QFETCH(double, value);

    QWidget *w = named(*m_window, QString::fromLatin1(QTest::currentDataTag()));
    if (auto *sb = qobject_cast<QSpinBox *>(w)) {
        QCOMPARE(sb->minimum(), int(minimum));
        QCOMPARE(sb->maximum(), int(maximum));
        QCOMPARE(sb->singleStep(), int(step));
        QCOMPARE(sb->value(), int(value));
        QVERIFY(sb->specialValueText().isEmpty());
    } else if (auto *dsb = qobject_cast<QDoubleSpinBox *>(w)) {
        QCOMPARE(dsb->minimum(), minimum);
        QCOMPARE(dsb->maximum(), maximum);
        QCOMPARE(dsb->singleStep(), step);
        QCOMPARE(dsb->value(), value);
        QCOMPARE(dsb->decimals(), 2);
        QCOMPARE(dsb->text(), QStringLiteral("0.00"));
    } else {
        QFAIL("not a spin box");
    }
}

void TestForm::spinBoxesClamp()
{
    // The configuration write sends what these hold, so the ranges are what
    // keeps out-of-range numbers off the link.
    m_ui.geraeteID_SB->setValue(32);
    QCOMPARE(m_ui.geraeteID_SB->value(), 31);
    m_ui.geraeteID_SB->setValue(-1);
    QCOMPARE(m_ui.geraeteID_SB->value(), 0);
    m_ui.interruptValue_SB->setValue(4);
    QCOMPARE(m_ui.interruptValue_SB->value(), 5);
    m_ui.DauerTime_SB->setValue(3); // below the caption's 5: accepted
    QCOMPARE(m_ui.DauerTime_SB->value(), 3);
    m_ui.Huelsenpos_SB->setValue(12.345);
    QCOMPARE(m_ui.Huelsenpos_SB->text(), QStringLiteral("10.00"));
    m_ui.Huelsenpos_SB->setValue(-10.5);
    QCOMPARE(m_ui.Huelsenpos_SB->text(), QStringLiteral("-10.00"));
}

void TestForm::states()
{
    const QSet<QString> disabled
        = {QStringLiteral("timeEdit"), QStringLiteral("dateEdit"), QStringLiteral("Huelsenpos_SB")};
    const auto all = m_window->findChildren<QWidget *>();
    for (QWidget *w : all) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"))
            || qobject_cast<QTabBar *>(w->parentWidget()))
            continue;
        QVERIFY2(w->isEnabled() != disabled.contains(w->objectName()), qPrintable(w->objectName()));
        // The page of the other tab is hidden by the tab widget, not by the form.
        if (w != m_ui.System)
            QVERIFY2(!w->isHidden(), qPrintable(w->objectName()));
    }
    QVERIFY(m_ui.timeEdit->isReadOnly());
    QVERIFY(m_ui.dateEdit->isReadOnly());
    QVERIFY(!m_ui.dateEdit->hasFrame());
    QVERIFY(!m_ui.dateEdit->calendarPopup());
    QVERIFY(!m_ui.Incoming_Data_TextEdit->isReadOnly());
    QVERIFY(m_ui.Incoming_Data_TextEdit->toPlainText().isEmpty());
    QVERIFY(!m_ui.Funkkanal_SB->isReadOnly());
    QVERIFY(!m_ui.WriteConfig_PB->isCheckable());
    QVERIFY(!m_ui.SetDefault_PB->isCheckable());
    QCOMPARE(m_ui.Speicherbelegung_PB->value(), 0);
    QCOMPARE(m_ui.Speicherbelegung_PB->minimum(), 0);
    QCOMPARE(m_ui.Speicherbelegung_PB->maximum(), 100);
    QVERIFY(m_ui.geraeteIdSpinBox_LB->toolTip().isEmpty());
    QCOMPARE(m_ui.interruptSpinBox_LB->layoutDirection(), Qt::LeftToRight);
    QVERIFY(m_ui.Corvand_Logo_LB->hasScaledContents());
    QVERIFY(m_ui.Corvand_Logo_LB->text().isEmpty());
}

void TestForm::fonts()
{
    const auto labels = m_window->findChildren<QLabel *>();
    QCOMPARE(labels.size(), 30);
    for (QLabel *l : labels) {
        const QString name = l->objectName();
        if (name == QLatin1String("Corvand_Logo_LB") || name == QLatin1String("ReadStatus_lb")
            || name == QLatin1String("ConnectionReason_lb")
            || name == QLatin1String("SettingsStatus_lb")) {
            QVERIFY(!l->testAttribute(Qt::WA_SetFont));
        } else if (name == QLatin1String("Speicherbelegung_LB")) {
            QCOMPARE(l->font().pointSize(), 11);
            QCOMPARE(l->font().weight(), QFont::Normal);
        } else {
            QVERIFY2(l->font().pointSize() == 12 && l->font().weight() == QFont::Bold,
                     qPrintable(name));
        }
    }
    // Everything else keeps the application font.
    const auto all = m_window->findChildren<QWidget *>();
    for (QWidget *w : all) {
        if (!qobject_cast<QLabel *>(w) && !w->objectName().isEmpty())
            QVERIFY2(!w->testAttribute(Qt::WA_SetFont), qPrintable(w->objectName()));
    }
}

void TestForm::alignment_data()
{
    QTest::addColumn<int>("alignment");
    const int right = Qt::AlignRight | Qt::AlignVCenter;
    const int left = Qt::AlignLeft | Qt::AlignVCenter;
    const int centre = Qt::AlignHCenter | Qt::AlignVCenter;
    for (const char *name :
         {"DurationSpinBox_LB", "BrightnessSpinBox_LB", "geraeteIdSpinBox_LB",
          "interruptSpinBox_LB", "timeEdit_LB", "dateEdit_LB", "DurationSpinBox_LB_2",
          "BrightnessSpinBox_LB_2", "DurationSpinBox_LB_4", "DurationSpinBox_LB_6"})
        QTest::newRow(name) << right;
    for (const char *name : {"DurationSpinBox_LB_5", "DurationSpinBox_LB_3"})
        QTest::newRow(name) << left;
    for (const char *name :
         {"FTDI_connection_LB", "label", "CheckDatum_lb", "label_7", "SerialNumber_lb", "label_9",
          "FirmwareVersionsNumber_lb", "Speicherbelegung_LB"})
        QTest::newRow(name) << centre;
}

void TestForm::alignment()
{
    QFETCH(int, alignment);
    auto *l = m_window->findChild<QLabel *>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(l);
    QCOMPARE(int(l->alignment()), alignment);
}

void TestForm::frames()
{
    for (QFrame *f : {m_ui.frame_5, m_ui.frame_7}) {
        QCOMPARE(f->frameShape(), QFrame::Box);
        QCOMPARE(f->frameShadow(), QFrame::Raised);
        QCOMPARE(f->lineWidth(), 2);
    }
}

void TestForm::tree()
{
    QTreeWidget *t = m_ui.Messwert_treeWidget;
    QCOMPARE(t->frameShape(), QFrame::StyledPanel);
    const QSizePolicy p = t->sizePolicy();
    QCOMPARE(p.horizontalPolicy(), QSizePolicy::MinimumExpanding);
    QCOMPARE(p.verticalPolicy(), QSizePolicy::MinimumExpanding);
    QCOMPARE(p.horizontalStretch(), 0);
    QCOMPARE(p.verticalStretch(), 0);
    QCOMPARE(p.hasHeightForWidth(), QTreeWidget().sizePolicy().hasHeightForWidth());

    QCOMPARE(t->columnCount(), 6);
    QCOMPARE(t->topLevelItemCount(), 0);
    const QStringList headers = {QStringLiteral("Messung"),
                                 QStringLiteral("Datum"),
                                 QStringLiteral("Zeit"),
                                 QStringLiteral("Messwert [kN]"),
                                 QStringLiteral("Hülsenposition [mm]"),
                                 QStringLiteral("Geraete ID")};
    for (int c = 0; c < headers.size(); ++c)
        QCOMPARE(t->headerItem()->text(c), headers.at(c));
}

void TestForm::stacking_data()
{
    QTest::addColumn<QStringList>("order"); // bottom to top
    QTest::newRow("frame_5") << QStringList{"DurationSpinBox_LB",
                                            "Duration_SB",
                                            "BrightnessSpinBox_LB",
                                            "BrightnessValue_SB",
                                            "ID_range_LB",
                                            "label_15",
                                            "label_16",
                                            "label_17",
                                            "WriteConfig_PB",
                                            "ReadConfig_PB",
                                            "interruptValue_SB",
                                            "SetDefault_PB",
                                            "geraeteIdSpinBox_LB",
                                            "interruptSpinBox_LB",
                                            "timeEdit_LB",
                                            "timeEdit",
                                            "dateEdit_LB",
                                            "dateEdit",
                                            "geraeteID_SB"};
    QTest::newRow("frame_7") << QStringList{"Funkkanal_SB",
                                            "DauerTime_SB",
                                            "DauerCycles_SB",
                                            "label_19",
                                            "label_18",
                                            "DurationSpinBox_LB_2",
                                            "BrightnessSpinBox_LB_2",
                                            "DurationSpinBox_LB_4",
                                            "DurationSpinBox_LB_3",
                                            "Incoming_Data_TextEdit",
                                            "Huelsenpos_SB",
                                            "DurationSpinBox_LB_6",
                                            "DurationSpinBox_LB_5",
                                            "SettingsStatus_lb"};
    QTest::newRow("Corvand") << QStringList{"frame_5", "frame_7"};
    QTest::newRow("System") << QStringList{
        "Speicherbelegung_LB", "ReadSpeicher_PB",     "ClearSpeicher_PB", "ExportMesswerte_PB",
        "Speicherbelegung_PB", "Messwert_treeWidget", "ReadStatus_lb"};
    QTest::newRow("KalvorIIControl") << QStringList{"label_9",
                                                    "label_7",
                                                    "label",
                                                    "tabWidget",
                                                    "SerialNumber_lb",
                                                    "CheckDatum_lb",
                                                    "FirmwareVersionsNumber_lb",
                                                    "FTDI_connection_LB",
                                                    "Corvand_Logo_LB",
                                                    "ConnectionReason_lb"};
}

void TestForm::stacking()
{
    QFETCH(QStringList, order);
    // QObject::children() of a widget is its stacking order, bottom first;
    // raise() moves a child to the end.
    QWidget *parent = named(*m_window, QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(parent);
    QStringList actual;
    for (QObject *o : parent->children()) {
        if (o->isWidgetType())
            actual << o->objectName();
    }
    QCOMPARE(actual, order);
}

void TestForm::overlapsShowTheUpperWidget()
{
    const QPair<QWidget *, QWidget *> pairs[] = {
        {m_ui.SerialNumber_lb, m_ui.label_7},
        {m_ui.CheckDatum_lb, m_ui.label},
        {m_ui.FirmwareVersionsNumber_lb, m_ui.label_9},
    };
    for (const auto &[upper, lower] : pairs) {
        QVERIFY(upper->geometry().intersects(lower->geometry()));
        QCOMPARE(m_window->childAt(upper->geometry().center()), upper);
    }
    // The log view covers the radio-channel box.
    const QRect overlap = m_ui.Incoming_Data_TextEdit->geometry() & m_ui.Funkkanal_SB->geometry();
    QVERIFY(!overlap.isEmpty());
    QWidget *hit = m_ui.frame_7->childAt(overlap.center());
    QVERIFY(hit);
    QVERIFY(hit == m_ui.Incoming_Data_TextEdit || m_ui.Incoming_Data_TextEdit->isAncestorOf(hit));
}

void TestForm::tabs()
{
    QCOMPARE(m_ui.tabWidget->count(), 2);
    QCOMPARE(m_ui.tabWidget->widget(0), m_ui.Corvand);
    QCOMPARE(m_ui.tabWidget->widget(1), m_ui.System);
    QCOMPARE(m_ui.tabWidget->tabText(0), QStringLiteral("Einstellungen"));
    QCOMPARE(m_ui.tabWidget->tabText(1), QStringLiteral("Messwerte"));
    QCOMPARE(m_ui.tabWidget->currentIndex(), 0);
}

void TestForm::buddies_data()
{
    QTest::addColumn<QString>("field");
    QTest::newRow("geraeteIdSpinBox_LB") << "geraeteID_SB";
    QTest::newRow("DurationSpinBox_LB") << "Duration_SB";
    QTest::newRow("interruptSpinBox_LB") << "interruptValue_SB";
    QTest::newRow("BrightnessSpinBox_LB") << "BrightnessValue_SB";
    QTest::newRow("timeEdit_LB") << "timeEdit";
    QTest::newRow("dateEdit_LB") << "dateEdit";
    QTest::newRow("DurationSpinBox_LB_2") << "DauerCycles_SB";
    QTest::newRow("BrightnessSpinBox_LB_2") << "DauerTime_SB";
    QTest::newRow("DurationSpinBox_LB_4") << "Huelsenpos_SB";
}

void TestForm::buddies()
{
    QFETCH(QString, field);
    auto *label = m_window->findChild<QLabel *>(QString::fromLatin1(QTest::currentDataTag()));
    QWidget *target = m_window->findChild<QWidget *>(field);
    QVERIFY(label && target);
    QCOMPARE(label->buddy(), target);

    // What a screen reader sees: the field is labelled by its caption.
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(target);
    QVERIFY(iface);
    const auto rels = iface->relations(QAccessible::Label);
    QCOMPARE(rels.size(), 1);
    QCOMPARE(rels.first().first->object(), label);
    QCOMPARE(rels.first().first->text(QAccessible::Name), label->text());
}

QTEST_MAIN(TestForm)
#include "tst_form.moc"
