// The window's look: which widget carries which style sheet, and what the
// sheets paint once the window is on screen (rendered offscreen).

#include "ui_kalvor2control.h"

#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyleOptionSpinBox>
#include <QtTest>

namespace {

// Whitespace and comments carry no meaning in the long sheets; this brings a
// sheet into one spelling so two sheets with the same rules compare equal.
QString normalised(QString sheet)
{
    static const QRegularExpression comments(QStringLiteral("/\\*.*?\\*/"),
                                             QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression aroundPunctuation(QStringLiteral("\\s*([{};:,])\\s*"));
    sheet.remove(comments);
    sheet = sheet.simplified();
    sheet.replace(aroundPunctuation, QStringLiteral("\\1"));
    sheet.replace(QStringLiteral(";}"), QStringLiteral("}"));
    return sheet;
}

QString spinBoxSheet(const QString &type)
{
    return QStringLiteral(
               "T { background-color: rgb(255,255,255); color: rgb(0,0,0);"
               "  selection-background-color: rgb(48,140,198); selection-color: rgb(255,255,255) }"
               "T:disabled { color: rgb(90,90,90) }"
               "T::up-button { subcontrol-origin: border; subcontrol-position: top right;"
               "  background-color: rgb(180,181,185); border: 1px solid rgb(131,131,131); right: "
               "1px; top: 1px;"
               "  width: 14px; height: 7px }"
               "T::up-button:hover { background-color: rgb(0,181,185) }"
               "T::up-button:pressed { background-color: rgb(0,181,185); border: 1px solid "
               "rgb(131,131,131);"
               "  right: 1px; bottom: 1px; width: 14px; height: 7px }"
               "T::up-arrow { image: url(:/Logo/design/up_arrow.png); width: 6px; height: 6px }"
               "T::up-arrow:disabled, T::up-arrow:off { image: "
               "url(:/Logo/design/up_arrow_disabled.png) }"
               "T::down-button { subcontrol-origin: border; subcontrol-position: bottom right;"
               "  background-color: rgb(180,181,185); border: 1px solid rgb(131,131,131); right: "
               "1px; bottom: 1px;"
               "  width: 14px; height: 7px }"
               "T::down-button:hover { background-color: rgb(0,181,185) }"
               "T::down-button:pressed { background-color: rgb(0,181,185); border: 1px solid "
               "rgb(131,131,131);"
               "  right: 1px; bottom: 1px; width: 14px; height: 7px }"
               "T::down-arrow { image: url(:/Logo/design/down_arrow.png); width: 6px; height: 6px }"
               "T::down-arrow:disabled, T::down-arrow:off { image: "
               "url(:/Logo/design/down_arrow_disabled.png) }")
        .replace(QLatin1Char('T'), type);
}

QString editSheet(const QString &type)
{
    return QStringLiteral(
               "T { background-color: rgb(255,255,255); color: rgb(0,0,0);"
               "  selection-background-color: rgb(48,140,198); selection-color: rgb(255,255,255) }"
               "T:disabled { color: rgb(90,90,90) }"
               "T::up-button { background-color: rgb(180,181,185); border: 1px solid "
               "rgb(131,131,131);"
               "  right: 1px; top: 1px; width: 14px; height: 7px }"
               "T::down-button { background-color: rgb(180,181,185); border: 1px solid "
               "rgb(131,131,131);"
               "  right: 1px; bottom: 1px; width: 14px; height: 7px }"
               "T::up-button:hover { }"
               "T::up-button:pressed { }"
               "T::up-arrow { image: url(:/Logo/design/up_arrow.png); width: 6px; height: 6px }"
               "T::down-arrow { image: url(:/Logo/design/down_arrow.png); width: 6px; height: 6px "
               "}")
        .replace(QLatin1Char('T'), type);
}

const QString tabSheet
    = QStringLiteral("QWidget { background: rgb(169,192,198); color: rgb(0,0,0) }"
                     "QTabWidget::pane { border-top: 0px solid; background: rgb(169,192,198) }"
                     "QTabWidget::tab-bar { left: 0px }"
                     "QTabBar::tab { background: rgb(125,160,170); color: rgb(0,0,0);"
                     "  border-top-left-radius: 4px;"
                     "  border-top-right-radius: 4px; min-width: 46ex; padding: 6px }"
                     "QTabBar::tab:selected, QTabBar::tab:hover { background: rgb(169,192,198) }"
                     "QTabBar::tab:!selected { margin-top: 2px }");

const QString buttonSheet = QStringLiteral("QPushButton { border: 0px solid #8f8f91; "
                                           "border-radius: 0px; background-color: rgb(135,161,178);"
                                           "  color: rgb(0,0,0); min-width: 80px }"
                                           "QPushButton:disabled { color: rgb(190,190,190) }"
                                           "QPushButton:focus { border: 2px solid rgb(0,90,110) }"
                                           "QPushButton:pressed { background: rgb(169,192,198) }"
                                           "QPushButton:flat { border: none }");

const QString treeSheet = QStringLiteral(
    "QTreeWidget { background-color: rgb(89, 121, 142); color: rgb(255, 255, 255) }"
    "QTreeWidget QHeaderView:section { background-color: rgb(135,161,178); color: rgb(0,0,0);"
    "  border-left: none;"
    "  border-top: none; border-bottom: 0px solid rgb(181, 182, 200);"
    "  border-right: 0px solid rgb(181, 182, 200) }");

// Widgets of the form, not the helpers Qt's widgets create for themselves.
bool isOwnWidget(const QWidget *w)
{
    return !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"))
        && !qobject_cast<const QTabBar *>(w->parentWidget());
}

// Colour the window gradient gives at p: the gradient runs in the window's
// box from (1, 0.205) (stop 0) to (0, 0) (stop 1) and pads outside. Box
// coordinates scale the whole gradient, so the projection happens in them.
QColor gradientAt(QPoint p, QSize box)
{
    const QPointF start(1.0, 0.205);
    const QPointF dir = QPointF(0, 0) - start;
    const QPointF rel = QPointF(p.x() / qreal(box.width()), p.y() / qreal(box.height())) - start;
    qreal t = (rel.x() * dir.x() + rel.y() * dir.y()) / (dir.x() * dir.x() + dir.y() * dir.y());
    t = qBound<qreal>(0, t, 1);
    const QColor a(120, 148, 167), b(212, 220, 228);
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                            a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

bool near(const QColor &a, const QColor &b, int tolerance)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

class TestStyle : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sheets_data();
    void sheets();
    void colours_data();
    void colours();
    void windowGradient_data();
    void windowGradient();
    void tabs();
    void rangeEndArrows_data();
    void rangeEndArrows();
    void dialogsKeepTheDesktopLook();
    void valuesReadableInAnyScheme_data();
    void valuesReadableInAnyScheme();

private:
    QImage grabOnPage(int page);

    QWidget *m_window = nullptr;
    Ui::KalvorIIControl m_ui;
};

void TestStyle::init()
{
    m_window = new QWidget;
    m_ui.setupUi(m_window);
    m_window->setFixedSize(929, 550);
}

void TestStyle::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void TestStyle::sheets_data()
{
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("exact"); // short sheets are set character for character

    const QString caption = QStringLiteral("color: rgb(177, 194, 208);");
    const QString cell
        = QStringLiteral("background-color: rgb(125, 160, 170);\ncolor: rgb(0, 0, 0);");
    QHash<QString, QPair<QString, bool>> sheets = {
        // The light end of the gradient spells out its alpha: Qt 6 rejects a
        // three-component rgba() and the gradient would fade to black.
        // Scoped to the window and the banner (which paints it in its own box),
        // so that dialogs parented to the window keep the desktop's look.
        {"KalvorIIControl",
         {QStringLiteral("#KalvorIIControl, #Corvand_Logo_LB {\n    background-color: "
                         "qlineargradient(spread:pad, x1:1, y1:0.205, x2:0, y2:0, "
                         "stop:0 rgba(120, 148, 167, 255), stop:1 rgba(212,220,228,255));\n}\n"),
          true}},
        {"tabWidget", {tabSheet, false}},
        {"frame_5",
         {QStringLiteral("background-color: rgb(91, 123, 144);\nborder: 0px solid green;\n\n"),
          true}},
        {"frame_7",
         {QStringLiteral("background-color: rgb(91, 123, 144);\nborder: 0px solid green;\n"),
          true}},
        {"label_9", {cell + QLatin1Char('\n'), true}},
        {"Messwert_treeWidget", {treeSheet, false}},
        {"Speicherbelegung_PB",
         {QStringLiteral("background-color: rgb(135,161,178);\ncolor: rgb(0, 0, 0);"), true}},
        {"Huelsenpos_SB", {spinBoxSheet(QStringLiteral("QDoubleSpinBox")), false}},
        {"timeEdit", {editSheet(QStringLiteral("QTimeEdit")), false}},
        {"dateEdit", {editSheet(QStringLiteral("QDateEdit")), false}},
    };
    // Carry nothing: their look comes from the cascade.
    for (const char *name : {"Corvand", "System", "Corvand_Logo_LB", "Funkkanal_SB",
                             "Incoming_Data_TextEdit", "Speicherbelegung_LB"})
        sheets.insert(QString::fromLatin1(name), {QString(), true});
    for (const char *name : {"FTDI_connection_LB", "label", "CheckDatum_lb", "label_7",
                             "SerialNumber_lb", "FirmwareVersionsNumber_lb"})
        sheets.insert(QString::fromLatin1(name), {cell, true});
    for (const char *name : {"ReadConfig_PB", "WriteConfig_PB", "SetDefault_PB", "ReadSpeicher_PB",
                             "ExportMesswerte_PB", "ClearSpeicher_PB"})
        sheets.insert(QString::fromLatin1(name), {buttonSheet, false});
    for (const char *name : {"geraeteID_SB", "interruptValue_SB", "Duration_SB",
                             "BrightnessValue_SB", "DauerCycles_SB", "DauerTime_SB"})
        sheets.insert(QString::fromLatin1(name), {spinBoxSheet(QStringLiteral("QSpinBox")), false});

    // Every widget of the form gets a row; the 18 captions in the two frames
    // carry the caption colour.
    QWidget window;
    Ui::KalvorIIControl ui;
    ui.setupUi(&window);
    QList<QWidget *> widgets = window.findChildren<QWidget *>();
    widgets.prepend(&window);
    int captions = 0;
    for (QWidget *w : std::as_const(widgets)) {
        // The status and reason lines are checked where they are used, in
        // the controller's tests.
        if (!isOwnWidget(w) || w == ui.ReadStatus_lb || w == ui.ConnectionReason_lb
            || w == ui.SettingsStatus_lb)
            continue;
        const QByteArray name = w->objectName().toLatin1();
        if (qobject_cast<QLabel *>(w)
            && (ui.frame_5->isAncestorOf(w) || ui.frame_7->isAncestorOf(w))) {
            QVERIFY2(!sheets.contains(w->objectName()), name.constData());
            QTest::newRow(name.constData()) << caption << true;
            ++captions;
        } else {
            QVERIFY2(sheets.contains(w->objectName()), name.constData());
            const auto &[text, exact] = sheets.value(w->objectName());
            QTest::newRow(name.constData()) << text << exact;
        }
    }
    QCOMPARE(captions, 18);
}

void TestStyle::sheets()
{
    QFETCH(QString, expected);
    QFETCH(bool, exact);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    QWidget *w = name == m_window->objectName() ? m_window : m_window->findChild<QWidget *>(name);
    QVERIFY(w);
    if (exact)
        QCOMPARE(w->styleSheet(), expected);
    else
        QCOMPARE(normalised(w->styleSheet()), normalised(expected));
}

QImage TestStyle::grabOnPage(int page)
{
    m_ui.tabWidget->setCurrentIndex(page);
    if (!m_window->isVisible()) {
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window))
            return {};
    }
    QCoreApplication::processEvents();
    return m_window->grab().toImage();
}

void TestStyle::colours_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QPoint>("at"); // in the widget's coordinates
    QTest::addColumn<QColor>("colour");

    const QColor slate(91, 123, 144), cell(125, 160, 170), button(135, 161, 178),
        page(169, 192, 198), table(89, 121, 142);
    QTest::newRow("frame_5 background") << 0 << "frame_5" << QPoint(440, 100) << slate;
    QTest::newRow("frame_7 background") << 0 << "frame_7" << QPoint(200, 100) << slate;
    QTest::newRow("log view takes the frame's background")
        << 0 << "Incoming_Data_TextEdit" << QPoint(100, 15) << slate;
    QTest::newRow("connection cell") << 0 << "FTDI_connection_LB" << QPoint(4, 4) << cell;
    QTest::newRow("firmware cell") << 0 << "label_9" << QPoint(4, 4) << cell;
    QTest::newRow("serial number value") << 0 << "SerialNumber_lb" << QPoint(3, 3) << cell;
    QTest::newRow("button") << 0 << "ReadConfig_PB" << QPoint(3, 3) << button;
    QTest::newRow("page between the frames") << 0 << "Corvand" << QPoint(480, 100) << page;
    QTest::newRow("tree background") << 1 << "Messwert_treeWidget" << QPoint(300, 200) << table;
    QTest::newRow("tree header") << 1 << "Messwert_treeWidget" << QPoint(90, 3) << button;
    QTest::newRow("progress bar") << 1 << "Speicherbelegung_PB" << QPoint(4, 4) << button;
    QTest::newRow("memory button") << 1 << "ClearSpeicher_PB" << QPoint(3, 3) << button;
    QTest::newRow("memory caption on the page colour")
        << 1 << "Speicherbelegung_LB" << QPoint(3, 3) << page;
}

void TestStyle::colours()
{
    QFETCH(int, page);
    QFETCH(QString, widget);
    QFETCH(QPoint, at);
    QFETCH(QColor, colour);

    const QImage image = grabOnPage(page);
    QVERIFY(!image.isNull());
    QWidget *w = m_window->findChild<QWidget *>(widget);
    QVERIFY(w && w->isVisible());
    const QPoint p = w->mapTo(m_window, at);
    QVERIFY(image.rect().contains(p));
    const QColor actual = image.pixelColor(p);
    QVERIFY2(near(actual, colour, 1),
             qPrintable(QStringLiteral("%1 at (%2, %3)").arg(actual.name()).arg(p.x()).arg(p.y())));
}

void TestStyle::windowGradient_data()
{
    QTest::addColumn<QPoint>("at");
    // The strips of bare window between the cells and above the tabs.
    QTest::newRow("left") << QPoint(5, 245);
    QTest::newRow("top of the left edge") << QPoint(2, 182);
    QTest::newRow("between cells") << QPoint(415, 215);
    QTest::newRow("right, padded") << QPoint(925, 245);
}

void TestStyle::windowGradient()
{
    QFETCH(QPoint, at);
    const QImage image = grabOnPage(0);
    QVERIFY(!image.isNull());
    QCOMPARE(m_window->childAt(at), nullptr);
    const QColor actual = image.pixelColor(at);
    const QColor expected = gradientAt(at, m_window->size());
    QVERIFY2(near(actual, expected, 3),
             qPrintable(actual.name() + QLatin1String(" vs ") + expected.name()));
}

void TestStyle::tabs()
{
    const QImage image = grabOnPage(0);
    QVERIFY(!image.isNull());
    QTabBar *bar = m_ui.tabWidget->tabBar();
    const QRect selected = bar->tabRect(0), other = bar->tabRect(1);
    // At least 46 ex wide, and the unselected tab sits 2 pixels lower.
    QVERIFY(selected.width() >= 46 * bar->fontMetrics().xHeight());
    const QPoint inSelected
        = bar->mapTo(m_window, QPoint(selected.left() + 6, selected.bottom() - 3));
    const QPoint inOther = bar->mapTo(m_window, QPoint(other.left() + 6, other.bottom() - 3));
    QVERIFY(near(image.pixelColor(inSelected), QColor(169, 192, 198), 1));
    QVERIFY(near(image.pixelColor(inOther), QColor(125, 160, 170), 1));
    // Rounded upper corners: the very corner pixel of a tab is not tab colour.
    const QPoint corner = bar->mapTo(m_window, QPoint(other.left(), other.top() + 2));
    QVERIFY(!near(image.pixelColor(corner), QColor(125, 160, 170), 1));
}

void TestStyle::rangeEndArrows_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("upPale");
    QTest::addColumn<bool>("downPale");

    QTest::newRow("ID at minimum") << "geraeteID_SB" << 0.0 << true << false << true;
    QTest::newRow("ID inside range") << "geraeteID_SB" << 15.0 << true << false << false;
    QTest::newRow("ID at maximum") << "geraeteID_SB" << 31.0 << true << true << false;
    QTest::newRow("threshold at 5") << "interruptValue_SB" << 5.0 << true << false << true;
    QTest::newRow("cycle time at maximum") << "DauerTime_SB" << 2048.0 << true << true << false;
    QTest::newRow("sleeve position, disabled") << "Huelsenpos_SB" << 0.0 << false << true << true;
    QTest::newRow("sleeve position at minimum")
        << "Huelsenpos_SB" << -10.0 << true << false << true;
    QTest::newRow("sleeve position inside range")
        << "Huelsenpos_SB" << 5.0 << true << false << false;
    // The clock editors have no images for the ends of the range.
    QTest::newRow("time editor, disabled") << "timeEdit" << 0.0 << false << false << false;
}

void TestStyle::rangeEndArrows()
{
    QFETCH(QString, widget);
    QFETCH(double, value);
    QFETCH(bool, enabled);
    QFETCH(bool, upPale);
    QFETCH(bool, downPale);

    auto *box = m_window->findChild<QAbstractSpinBox *>(widget);
    QVERIFY(box);
    box->setEnabled(enabled);
    if (auto *sb = qobject_cast<QSpinBox *>(box))
        sb->setValue(int(value));
    else if (auto *dsb = qobject_cast<QDoubleSpinBox *>(box))
        dsb->setValue(value);
    const QImage image = grabOnPage(0);
    QVERIFY(!image.isNull());

    QStyleOptionSpinBox opt;
    opt.initFrom(box);
    opt.rect = box->rect();
    opt.frame = box->hasFrame();
    opt.subControls = QStyle::SC_All;
    opt.buttonSymbols = box->buttonSymbols();

    // The button is grey (180) with a grey border (131); the arrow image is
    // either dark (enabled) or pale (range end or disabled).
    for (const auto &[control, pale] :
         {qMakePair(QStyle::SC_SpinBoxUp, upPale), qMakePair(QStyle::SC_SpinBoxDown, downPale)}) {
        const QRect r = box->style()->subControlRect(QStyle::CC_SpinBox, &opt, control, box);
        QVERIFY(r.isValid());
        int dark = 0, light = 0;
        for (int y = r.top() + 1; y < r.bottom(); ++y) {
            for (int x = r.left() + 1; x < r.right(); ++x) {
                const int grey = qGray(image.pixel(box->mapTo(m_window, QPoint(x, y))));
                dark += grey < 100;
                light += grey > 215;
            }
        }
        const QByteArray where = control == QStyle::SC_SpinBoxUp ? "up" : "down";
        QVERIFY2(pale ? (light > 0 && dark == 0) : (dark > 0 && light == 0),
                 where + " dark " + QByteArray::number(dark) + " light "
                     + QByteArray::number(light));
    }
}

// The window's sheets reach the window's own widgets only: a file dialog or
// a message box opened with the window as parent looks as it does alone.
void TestStyle::dialogsKeepTheDesktopLook()
{
    const auto comboOf = [](QFileDialog &dialog) {
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setDirectory(QDir::tempPath());
        dialog.resize(600, 400);
        auto *combo = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        return combo ? combo->grab().toImage() : QImage();
    };
    QFileDialog withWindow(m_window);
    QFileDialog alone;
    const QImage inWindow = comboOf(withWindow);
    QVERIFY(!inWindow.isNull());
    QCOMPARE(inWindow, comboOf(alone));

    QMessageBox boxWithWindow(QMessageBox::Warning, QStringLiteral("Export"), QStringLiteral("x"),
                              QMessageBox::Yes | QMessageBox::No, m_window);
    QMessageBox boxAlone(QMessageBox::Warning, QStringLiteral("Export"), QStringLiteral("x"),
                         QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(boxWithWindow.button(QMessageBox::Yes)->grab().toImage(),
             boxAlone.button(QMessageBox::Yes)->grab().toImage());
}

namespace {

double luminance(QColor c)
{
    const auto channel
        = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(QColor a, QColor b)
{
    const double la = luminance(a) + 0.05;
    const double lb = luminance(b) + 0.05;
    return la > lb ? la / lb : lb / la;
}

// The contrast of a value's text against the field behind it, measured on
// the field's picture: the commonest colour is the background, the text is
// the colour farthest from it. By default the text area of a spin box: left
// of the arrow buttons, inside the frame.
double valueContrast(QWidget *field, QRect area = {})
{
    const QImage image = field->grab().toImage();
    QHash<QRgb, int> count;
    if (area.isNull())
        area = QRect(3, 3, image.width() - 22, image.height() - 6);
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++count[image.pixel(x, y)];
    const QRgb background
        = std::max_element(count.cbegin(), count.cend(), [](int a, int b) { return a < b; }).key();
    double best = 1;
    for (auto it = count.cbegin(); it != count.cend(); ++it)
        best = std::max(best, contrast(QColor(it.key()), QColor(background)));
    return best;
}

QPalette darkPalette()
{
    QPalette dark;
    const QColor window(53, 53, 53), base(35, 35, 35), text(240, 240, 240);
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor shownText = group == QPalette::Disabled ? QColor(128, 128, 128) : text;
        dark.setColor(group, QPalette::Window, window);
        dark.setColor(group, QPalette::Base, base);
        dark.setColor(group, QPalette::Button, window);
        dark.setColor(group, QPalette::WindowText, shownText);
        dark.setColor(group, QPalette::Text, shownText);
        dark.setColor(group, QPalette::ButtonText, shownText);
        dark.setColor(group, QPalette::Highlight, QColor(42, 130, 218));
        dark.setColor(group, QPalette::HighlightedText, Qt::black);
    }
    return dark;
}

} // namespace

// Every value field reads, in a light and in a dark desktop scheme: text
// against background at least 4.5:1.
void TestStyle::valuesReadableInAnyScheme_data()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("light scheme") << false;
    QTest::newRow("dark scheme") << true;
}

void TestStyle::valuesReadableInAnyScheme()
{
    QFETCH(bool, dark);
    const QPalette previous = QApplication::palette();
    auto restore = qScopeGuard([&] { QApplication::setPalette(previous); });
    if (dark)
        QApplication::setPalette(darkPalette());
    QWidget window;
    Ui::KalvorIIControl ui;
    ui.setupUi(&window);
    window.setFixedSize(929, 550);
    for (QAbstractSpinBox *field : window.findChildren<QAbstractSpinBox *>()) {
        if (field == ui.Funkkanal_SB)
            continue; // never shown
        if (auto *box = qobject_cast<QSpinBox *>(field))
            box->setValue(box->minimum() + 8);
        else if (auto *sleeve = qobject_cast<QDoubleSpinBox *>(field))
            sleeve->setValue(2.25);
        const double ratio = valueContrast(field);
        QVERIFY2(ratio >= 4.5,
                 qPrintable(QStringLiteral("%1: %2:1 (%3)")
                                .arg(field->objectName())
                                .arg(ratio, 0, 'f', 2)
                                .arg(field->isEnabled() ? "enabled" : "disabled")));
    }
    // The measurements in the table.
    QTreeWidget *table = ui.Messwert_treeWidget;
    table->setColumnCount(6);
    new QTreeWidgetItem(table, {"1", "2026:03:09", "07:42:13", "23.50", "3.3", "1"});
    ui.tabWidget->setCurrentWidget(ui.System);
    window.show();
    const QRect firstRow = table->visualItemRect(table->topLevelItem(0));
    const double ratio = valueContrast(table->viewport(), firstRow);
    QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("table: %1:1").arg(ratio, 0, 'f', 2)));
}

QTEST_MAIN(TestStyle)
#include "tst_style.moc"
