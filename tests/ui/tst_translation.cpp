// The form's texts: every text goes through the translator with the context
// "KalvorIIControl", the shipped English translation covers all of them, and
// the program's way of loading it finds the file in the current directory.

#include "controller/kalvoriicontrol.h"
#include "export/filewriter.h"
#include "export/measurementexport.h"
#include "fakedriver.h"
#include "session/clock.h"
#include "ui/language.h"
#include "ui_kalvor2control.h"

#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QMessageBox>
#include <QPushButton>

#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#ifndef KALVOR2_QM_FILE
#error "KALVOR2_QM_FILE must name the built translation"
#endif

namespace {

const char *const context = "KalvorIIControl";

// Where a text of the form is shown.
QString shownText(QWidget &window, const Ui::KalvorIIControl &ui, const QString &where)
{
    if (where == QLatin1String("title"))
        return window.windowTitle();
    if (where.startsWith(QLatin1String("tab:")))
        return ui.tabWidget->tabText(where.mid(4).toInt());
    if (where.startsWith(QLatin1String("header:")))
        return ui.Messwert_treeWidget->headerItem()->text(where.mid(7).toInt());
    QWidget *w = window.findChild<QWidget *>(where);
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    return QStringLiteral("<no widget %1>").arg(where);
}

// Answers every look-up with a marked text and records what was asked.
class RecordingTranslator : public QTranslator
{
public:
    QString translate(const char *ctx, const char *source, const char *disambiguation,
                      int n) const override
    {
        Q_UNUSED(n);
        lookups << qMakePair(QString::fromUtf8(ctx), QString::fromUtf8(source));
        if (disambiguation && qstrcmp(ctx, "KalvorIIControl") == 0)
            withDisambiguation = true;
        return QLatin1String("<<") + QString::fromUtf8(source) + QLatin1String(">>");
    }
    bool isEmpty() const override { return false; }

    mutable QList<QPair<QString, QString>> lookups;
    mutable bool withDisambiguation = false;
};

struct TextRow
{
    const char *where;
    QString source;
    QString english;
};

// The form's translated texts in the order retranslateUi sets them.
const QList<TextRow> &textRows()
{
    static const QList<TextRow> rows = {
        {"title", QStringLiteral("Kalvor II"), QStringLiteral("Kalvor II")},
        {"DurationSpinBox_LB", QStringLiteral("Dauer:"), QStringLiteral("Duration:")},
        {"BrightnessSpinBox_LB", QStringLiteral("Helligkeit:"), QStringLiteral("Brightness:")},
        {"ID_range_LB", QStringLiteral("[0-31]"), QStringLiteral("[0-31]")},
        {"label_15", QStringLiteral("[5-255]"), QStringLiteral("[5-255]")},
        {"label_16", QStringLiteral("[0-255]"), QStringLiteral("[0-255]")},
        {"label_17", QStringLiteral("[0-255]"), QStringLiteral("[0-255]")},
        {"WriteConfig_PB", QStringLiteral("Einstellungen setzen"),
         QStringLiteral("Write settings")},
        {"ReadConfig_PB", QStringLiteral("Einstellungen einlesen"),
         QStringLiteral("Read settings")},
        {"SetDefault_PB", QStringLiteral("Werkeinstellung setzen"),
         QStringLiteral("Set factory defaults")},
        {"geraeteIdSpinBox_LB", QStringLiteral("ID Nummer:"), QStringLiteral("ID number:")},
        {"interruptSpinBox_LB", QStringLiteral("Schwellwert (Aufwachen):"),
         QStringLiteral("Threshold (wake-up):")},
        {"timeEdit_LB", QStringLiteral("Zeit:"), QStringLiteral("Time:")},
        {"dateEdit_LB", QStringLiteral("Datum:"), QStringLiteral("Date:")},
        {"label_19", QStringLiteral("[0-4096]"), QStringLiteral("[0-4096]")},
        {"label_18", QStringLiteral("[5-2048]"), QStringLiteral("[5-2048]")},
        {"DurationSpinBox_LB_2", QStringLiteral("Anzahl:"), QStringLiteral("Number of cycles:")},
        {"BrightnessSpinBox_LB_2", QStringLiteral("Zykluszeit:"), QStringLiteral("Cycle time:")},
        {"DurationSpinBox_LB_5", QStringLiteral("Hülsenposition"),
         QStringLiteral("Sleeve position")},
        {"DurationSpinBox_LB_4", QStringLiteral("Anzeige:"), QStringLiteral("Reading:")},
        {"DurationSpinBox_LB_3", QStringLiteral("Dauermessmodus"),
         QStringLiteral("Continuous measuring mode")},
        {"DurationSpinBox_LB_6", QStringLiteral("[mm]"), QStringLiteral("[mm]")},
        {"tab:0", QStringLiteral("Einstellungen"), QStringLiteral("Settings")},
        {"Speicherbelegung_LB", QStringLiteral("Speicherbelegung:"),
         QStringLiteral("Memory usage:")},
        {"header:5", QStringLiteral("Geraete ID"), QStringLiteral("Device ID")},
        {"header:4", QStringLiteral("Hülsenposition [mm]"), QStringLiteral("Sleeve position [mm]")},
        {"header:3", QStringLiteral("Messwert [kN]"), QStringLiteral("Force [kN]")},
        {"header:2", QStringLiteral("Zeit"), QStringLiteral("Time")},
        {"header:1", QStringLiteral("Datum"), QStringLiteral("Date")},
        {"header:0", QStringLiteral("Messung"), QStringLiteral("Measurement")},
        {"ReadSpeicher_PB", QStringLiteral("Speicher lesen"), QStringLiteral("Read memory")},
        {"ClearSpeicher_PB", QStringLiteral("Speicher löschen"), QStringLiteral("Clear memory")},
        {"ExportMesswerte_PB", QStringLiteral("Export"), QStringLiteral("Export")},
        {"tab:1", QStringLiteral("Messwerte"), QStringLiteral("Measurements")},
        {"label_7", QStringLiteral("Seriennummer\n"), QStringLiteral("Serial number\n")},
        {"SerialNumber_lb", QStringLiteral("??????"), QStringLiteral("??????")},
        {"label", QStringLiteral("Kontroll-Datum\n"), QStringLiteral("Check date\n")},
        {"CheckDatum_lb", QStringLiteral("??.??.????"), QStringLiteral("??.??.????")},
        {"label_9", QStringLiteral("Firmware\n"), QStringLiteral("Firmware\n")},
        {"FirmwareVersionsNumber_lb", QStringLiteral("V?.??"), QStringLiteral("V?.??")},
        {"FTDI_connection_LB", QStringLiteral("_ Gerät(e) gefunden und _ Gerät verbunden"),
         QStringLiteral("_ device(s) found and _ device connected")},
    };
    return rows;
}

void addTextRows()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("english");
    for (const TextRow &r : textRows())
        QTest::newRow(r.where) << QString::fromLatin1(r.where) << r.source << r.english;
}

} // namespace

class TestTranslation : public QObject
{
    Q_OBJECT

private slots:
    void sourceTexts_data() { addTextRows(); }
    void sourceTexts();
    void englishTexts_data() { addTextRows(); }
    void englishTexts();
    void lookups();
    void sharedTranslation();
    void everySourceTranslated_data() { addTextRows(); }
    void everySourceTranslated();
    void loadsFromCurrentDirectory_data();
    void loadsFromCurrentDirectory();
    void buildTreeProgramsFindTheirs_data();
    void buildTreeProgramsFindTheirs();
    void qtTextsAndFormatsFollowTheWindow();
    void writeFailuresInTheWindowsLanguage();
};

void TestTranslation::sourceTexts()
{
    // No translator installed: the German source texts stand, umlauts intact.
    QWidget window;
    Ui::KalvorIIControl ui;
    ui.setupUi(&window);

    QFETCH(QString, where);
    QFETCH(QString, source);
    QCOMPARE(shownText(window, ui, where), source);
}

void TestTranslation::englishTexts()
{
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(KALVOR2_QM_FILE)));
    QVERIFY(QCoreApplication::installTranslator(&translator));
    QWidget window;
    Ui::KalvorIIControl ui;
    ui.setupUi(&window);
    QCoreApplication::removeTranslator(&translator);

    QFETCH(QString, where);
    QFETCH(QString, english);
    QCOMPARE(shownText(window, ui, where), english);
    // The two texts that are never looked up stay empty.
    QVERIFY(ui.geraeteIdSpinBox_LB->toolTip().isEmpty());
    QVERIFY(ui.Corvand_Logo_LB->text().isEmpty());
}

void TestTranslation::lookups()
{
    // One look-up per translated text, in the order of the table, all in the
    // form's context and without disambiguation; the empty texts never asked.
    RecordingTranslator recorder;
    QCoreApplication::installTranslator(&recorder);
    QWidget window;
    Ui::KalvorIIControl ui;
    ui.setupUi(&window);
    QCoreApplication::removeTranslator(&recorder);

    QStringList expected;
    for (const TextRow &r : textRows()) {
        expected << r.source;
        QCOMPARE(shownText(window, ui, QString::fromLatin1(r.where)),
                 QLatin1String("<<") + r.source + QLatin1String(">>"));
    }
    // Qt's own widgets may look up texts of their own contexts meanwhile.
    QStringList asked;
    for (const auto &[ctx, text] : std::as_const(recorder.lookups)) {
        if (ctx == QLatin1String(context))
            asked << text;
        else
            QVERIFY2(!expected.contains(text), qPrintable(ctx + QLatin1String(": ") + text));
    }
    QCOMPARE(asked, expected);
    QVERIFY(!recorder.withDisambiguation);
    QVERIFY(ui.geraeteIdSpinBox_LB->toolTip().isEmpty());
    QVERIFY(ui.Corvand_Logo_LB->text().isEmpty());
}

void TestTranslation::sharedTranslation()
{
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(KALVOR2_QM_FILE)));
    QCoreApplication::installTranslator(&translator);
    QWidget window;
    Ui::KalvorIIControl ui;
    ui.setupUi(&window);
    QCoreApplication::removeTranslator(&translator);

    const QString shared = translator.translate(context, "[0-255]");
    QVERIFY(!shared.isEmpty());
    QCOMPARE(ui.label_16->text(), shared);
    QCOMPARE(ui.label_17->text(), shared);
}

void TestTranslation::everySourceTranslated()
{
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(KALVOR2_QM_FILE)));
    QFETCH(QString, source);
    QFETCH(QString, english);
    // An empty answer would mean the text is missing from the file.
    QCOMPARE(translator.translate(context, source.toUtf8().constData()), english);
    // Only the form's context is translated.
    QVERIFY(translator.translate("SomethingElse", source.toUtf8().constData()).isEmpty());
}

// A KVVIItr.qm in the current folder wins, whatever the system's language;
// without one there, an installed program (a temporary prefix here, laid out
// as `cmake --install` lays it out) loads its own when the system prefers
// English, and stays German on a German desktop or a C locale.
void TestTranslation::loadsFromCurrentDirectory_data()
{
    QTest::addColumn<bool>("inCurrentFolder");
    QTest::addColumn<QStringList>("uiLanguages");
    QTest::addColumn<QString>("loaded"); // "current", "installed" or empty
    QTest::newRow("current folder, German desktop") << true << QStringList{"de-DE"} << "current";
    QTest::newRow("installed, English desktop")
        << false << QStringList{"en-US", "de-DE"} << "installed";
    QTest::newRow("installed, French then English")
        << false << QStringList{"fr-FR", "en-GB"} << "installed";
    QTest::newRow("installed, German before English")
        << false << QStringList{"de-DE", "en-US"} << "";
    QTest::newRow("installed, C locale") << false << QStringList{"C"} << "";
    QTest::newRow("installed, French only") << false << QStringList{"fr-FR"} << "";
}

void TestTranslation::loadsFromCurrentDirectory()
{
    QFETCH(bool, inCurrentFolder);
    QFETCH(QStringList, uiLanguages);
    QFETCH(QString, loaded);
    QTemporaryDir current;
    QTemporaryDir prefix;
    QVERIFY(current.isValid() && prefix.isValid());
    QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    const QString installed = QDir(prefix.filePath(QStringLiteral("bin")))
                                  .filePath(QStringLiteral(KALVOR2_TRANSLATIONS_FROM_BIN));
    QVERIFY(QDir().mkpath(installed));
    QVERIFY(QFile::copy(QStringLiteral(KALVOR2_QM_FILE), QDir(installed).filePath("KVVIItr.qm")));
    if (inCurrentFolder)
        QVERIFY(QFile::copy(QStringLiteral(KALVOR2_QM_FILE), current.filePath("KVVIItr.qm")));

    const QString file = Language::translationFile(current.path(), installed, uiLanguages);
    if (loaded.isEmpty()) {
        QVERIFY2(file.isEmpty(), qPrintable(file));
        return;
    }
    QCOMPARE(QFileInfo(file).absolutePath(),
             QFileInfo(loaded == QLatin1String("current") ? current.path() : installed)
                 .absoluteFilePath());
    QTranslator translator;
    QVERIFY(translator.load(file));
    QCOMPARE(translator.translate(context, "Speicher lesen"), QStringLiteral("Read memory"));
}

// The programs of the build tree find the built translation the way
// installed ones find theirs, from their own folder: started anywhere on an
// English desktop, the build's demo is English too.
void TestTranslation::buildTreeProgramsFindTheirs_data()
{
    QTest::addColumn<QString>("programFolder");
    QTest::newRow("kalvor2 and kalvor2-demo") << QStringLiteral(KALVOR2_APP_DIR);
    QTest::newRow("kalvor2-replay") << QStringLiteral(KALVOR2_TOOLS_DIR);
}

void TestTranslation::buildTreeProgramsFindTheirs()
{
    QFETCH(QString, programFolder);
    QTemporaryDir elsewhere;
    QVERIFY(elsewhere.isValid());
    const QString folder
        = QDir(programFolder).filePath(QStringLiteral(KALVOR2_TRANSLATIONS_FROM_BIN));
    const QString file = Language::translationFile(elsewhere.path(), folder, {"en-US", "de-DE"});
    QVERIFY2(!file.isEmpty(), qPrintable(folder + QStringLiteral(" holds no KVVIItr.qm")));
    QCOMPARE(QFileInfo(file).canonicalFilePath(),
             QFileInfo(QStringLiteral(KALVOR2_QM_FILE)).canonicalFilePath());
    QVERIFY(Language::translationFile(elsewhere.path(), folder, {"de-DE", "en-US"}).isEmpty());
}

// One language in the window: a German one gets Qt's own texts in German
// ("Ja", "Nein") and German date and number formats; the English one English.
void TestTranslation::qtTextsAndFormatsFollowTheWindow()
{
    QTranslator program;
    QTranslator qt;
    Language::install(*qApp, program, qt, QString());
    auto restore = qScopeGuard([&] {
        QCoreApplication::removeTranslator(&program);
        QCoreApplication::removeTranslator(&qt);
        QLocale::setDefault(QLocale::c());
    });
    {
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Ja"));
        QCOMPARE(box.button(QMessageBox::No)->text(), QStringLiteral("&Nein"));
        auto driver = std::make_unique<FakeDriver>();
        driver->deviceCountResult = 0;
        KalvorIIControl controller(std::move(driver));
        Clock::setFixed(QDateTime(QDate(2026, 12, 7), QTime(9, 5, 0)));
        controller.clockTick();
        Clock::setFixed(QDateTime());
        QCOMPARE(controller.ui.dateEdit->text(), QStringLiteral("07.12.2026"));
        QCOMPARE(controller.ui.timeEdit->text(), QStringLiteral("09:05:00"));
        controller.ui.Huelsenpos_SB->setValue(2.25);
        QCOMPARE(controller.ui.Huelsenpos_SB->text(), QStringLiteral("2,25"));
    }
    QCoreApplication::removeTranslator(&program);
    QCoreApplication::removeTranslator(&qt);
    QTranslator english;
    QTranslator noQt;
    Language::install(*qApp, english, noQt, QStringLiteral(KALVOR2_QM_FILE));
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Yes"));
    QDoubleSpinBox sleeve;
    sleeve.setValue(2.25);
    QCOMPARE(sleeve.text(), QStringLiteral("2.25"));
    QCoreApplication::removeTranslator(&english);
}

// Why a file could not be written is said in the window's language, never
// in a mix: in the English window the reasons are English, with the
// system's message behind them.
void TestTranslation::writeFailuresInTheWindowsLanguage()
{
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(KALVOR2_QM_FILE)));
    QCoreApplication::installTranslator(&translator);
    auto restore = qScopeGuard([&] { QCoreApplication::removeTranslator(&translator); });
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    const QString noFolder
        = MeasurementExport::writeExportFile(dir.filePath("gone/mess_dot.txt"), "x\n");
    const QString folderReason = translator.translate(context, "Den Ordner gibt es nicht.");
    QVERIFY(!folderReason.isEmpty());
    QVERIFY2(noFolder.startsWith(folderReason + QStringLiteral(" (")), qPrintable(noFolder));
    const FileWriter::Result incomplete
        = FileWriter::write(dir.filePath("chart.png"), [](QIODevice &) { return false; });
    QCOMPARE(incomplete.reason,
             translator.translate(context, "Der Inhalt ließ sich nicht vollständig schreiben."));
    QVERIFY(!incomplete.reason.isEmpty());
}

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
