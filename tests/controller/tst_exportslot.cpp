// The export button end to end: the choice of the file (handed in for the
// save dialog), the two files, the preview windows, the question before a
// comma file replaces another file, and the warning when a file cannot be
// written; and the chart's save button with its save dialog.

#include "controller/exportsession.h"
#include "controllerfixture.h"
#include "export/measurementexport.h"
#include "filesizelimit.h"
#include "session/clock.h"
#include "sim/devicereports.h"
#include "ui/measurementchart.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QXmlStreamReader>

namespace {

const QDateTime instant(QDate(2026, 12, 6), QTime(14, 5, 9));
const QString pointName = QStringLiteral("Kalvor_2026_12_06_14_05_09_dot.txt");
const QString commaName = QStringLiteral("Kalvor_2026_12_06_14_05_09.txt");

QByteArray readBytes(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QList<QTabWidget *> previewWindows()
{
    QList<QTabWidget *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *tab = qobject_cast<QTabWidget *>(widget); tab && tab->isVisible())
            windows << tab;
    }
    return windows;
}

void closePreviews()
{
    for (QTabWidget *window : previewWindows())
        window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Chooses `path` in the chart's save dialog and accepts it, the way a user
// does: by typing the name into the name field. (selectFile() leaves that field
// alone once it has the keyboard focus, and when the dialog's window gets
// the focus is up to the window system.) The dialog takes a typed name in
// relative to its folder, which loads in the background: accept only once
// it reports the path as its selection. `afterAccepting` runs before the
// export goes on.
void chooseAndAccept(QFileDialog *dialog, const QString &path,
                     const std::function<void()> &afterAccepting)
{
    auto *nameField = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    // Type only once the dialog is active, as it is for a user: the name
    // field has the focus by then.
    if (!nameField || !QTest::qWaitForWindowActive(dialog)) {
        dialog->reject();
        QFAIL("the save dialog has no name field or never became active");
    }
    dialog->setDirectory(QFileInfo(path).absolutePath());
    auto *settle = new QTimer(dialog);
    settle->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(settle, &QTimer::timeout, dialog,
                     [dialog, nameField, path, settle, tries, afterAccepting] {
                         nameField->setText(QFileInfo(path).fileName());
                         // After ten seconds accept whatever it has: the test then
                         // fails on the file instead of hanging in the dialog.
                         if (dialog->selectedFiles().value(0) == path || ++*tries > 1000) {
                             settle->stop();
                             static_cast<QDialog *>(dialog)->accept();
                             if (afterAccepting)
                                 afterAccepting();
                         }
                     });
    settle->start();
}

// A user at the export or the chart's save: chooses a file (or cancels),
// answers every question with `answer` and acknowledges every warning,
// keeping their texts.
struct ExportUser
{
    QString choose; // empty: Cancel; "proposed": the proposed name
    QString type;   // the file type the list shows; empty: the proposed one
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    std::function<void()> afterChoosing;
    QStringList questions;
    QStringList warnings;
    QStringList proposed;
    QStringList proposedTypes;
    QStringList types; // the types the list offered
    QList<QWidget *> warningParents;
    int fileDialogs = 0;

    // "Export", with the choice handed in for the save dialog: the name
    // comes back at once, as from a dialog the user has just accepted, and
    // no dialog opens.
    void runExport(KalvorIIControl &controller)
    {
        controller.setExportFileChooser(
            [this](const ExportChoice &offered, const QStringList &filters) {
                proposed << offered.fileName;
                proposedTypes << offered.filter;
                types = filters;
                if (choose.isEmpty())
                    return ExportChoice();
                if (afterChoosing)
                    afterChoosing();
                return ExportChoice{choose == QLatin1String("proposed") ? offered.fileName : choose,
                                    type.isEmpty() ? offered.filter : type};
            });
        run(controller.ui.ExportMesswerte_PB);
        // This user is gone after the test: a later export cancels.
        controller.setExportFileChooser(
            [](const ExportChoice &, const QStringList &) { return ExportChoice(); });
        QCOMPARE(fileDialogs, 0);
    }

    // Clicks `button`; a save dialog that opens gets `choose` typed in.
    void run(QPushButton *button)
    {
        QPointer<QFileDialog> handled;
        QTimer watcher;
        watcher.setInterval(10);
        QObject::connect(&watcher, &QTimer::timeout, &watcher, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *dialog = qobject_cast<QFileDialog *>(modal); dialog && dialog != handled) {
                handled = dialog;
                ++fileDialogs;
                proposed << dialog->selectedFiles().value(0);
                if (choose.isEmpty())
                    dialog->reject();
                else
                    chooseAndAccept(dialog,
                                    choose == QLatin1String("proposed") ? proposed.last() : choose,
                                    afterChoosing);
            } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                const QString text = box->text() + QLatin1Char('\n') + box->informativeText();
                // The save dialog's own "replace it?" is a question too.
                if (box->button(QMessageBox::Yes)) {
                    questions << text;
                    box->button(answer)->click();
                } else {
                    warnings << text;
                    warningParents << box->parentWidget();
                    box->accept();
                }
            }
        });
        watcher.start();
        button->click();
    }
};

const QByteArray pointExample = "Kalvor 2 data export\nSerial number:\t123456\nDate:\t2026.12.06\n"
                                "Time:\t14:05:09\nNumber of measurements:\t1\n\n\n"
                                "Number\tDate\tTime\tForce [kN]\tSleeve[mm]\tDeviceID\n"
                                "1\t2012.03.05\t14:07:59\t2.34\t2.25\t4\n";

QByteArray commaExample()
{
    QByteArray comma = pointExample;
    return comma.replace("2026.12.06", "2026,12,06").replace("2.34\t2.25", "2,34\t2,25");
}

// The warning names the file on its first line and gives the reason below.
void verifyWarning(const QString &warning, const QString &fileName)
{
    QVERIFY2(warning.section(u'\n', 0, 0).contains(fileName), qPrintable(warning));
    QVERIFY2(!warning.section(u'\n', 1).trimmed().isEmpty(), qPrintable(warning));
}

} // namespace

class TestExportSlot : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void cancelWritesNothing();
    void workbookByTypeOrName();
    void chosenNameAndPreview();
    void twoExportsLeaveTwoPreviews();
    void longerEarlierFilesAreReplacedExactly();
    void commaFileAsksBeforeReplacing_data();
    void commaFileAsksBeforeReplacing();
    void unwritablePointFileWarnsWithoutPreview();
    void unwritableCommaFileWarnsAfterPreview();
    void fileSizeLimitWarnsAndKeepsEarlierFile();
    void chartSavedAsPngAndSvg();
    void warningSaysWhatAndWhere_data();
    void warningSaysWhatAndWhere();
    void closingTheWindowEndsTheProgram();
    void chartThatCannotBeWrittenWarns();
    void fileSizeLimitInChild();
    void rowsKeepTheSerialNumberOfTheirDevice();
    void archivedReadExportsLikeAFreshRead();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCurrent;
    std::unique_ptr<ControllerFixture> m_f;
};

void TestExportSlot::init()
{
    // The last export's folder and type are kept in the user's settings:
    // the test's own, empty at the start of each test.
    QStandardPaths::setTestModeEnabled(true);
    QSettings(QStringLiteral("kalvor2"), QStringLiteral("kalvor2")).clear();
    m_dir = std::make_unique<QTemporaryDir>();
    m_oldCurrent = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    m_f = std::make_unique<ControllerFixture>();
    m_f->show("Serial number : 123456\n=========================\n");
    // The worked example's row: 1, 2012:03:05, 14:07:59, 2.34, 2.25, 4.
    m_f->controller->measuringRange = 50;
    m_f->show(deviceRecord(1));
    Clock::setFixed(instant);
}

void TestExportSlot::cleanup()
{
    Clock::setFixed(QDateTime());
    closePreviews();
    m_f.reset();
    QDir::setCurrent(m_oldCurrent);
    m_dir.reset();
}

// Cancel cancels: no file anywhere, no preview, no warning.
void TestExportSlot::cancelWritesNothing()
{
    ExportUser user;
    user.runExport(*m_f->controller);
    // The proposed name, in the current folder.
    QCOMPARE(user.proposed.size(), 1);
    QCOMPARE(QFileInfo(user.proposed.at(0)).fileName(), pointName);
    QCOMPARE(QFileInfo(user.proposed.at(0)).absolutePath(), QDir::currentPath());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList());
    QVERIFY(previewWindows().isEmpty());
    QVERIFY(user.warnings.isEmpty());
    QVERIFY(m_f->ui().ReadStatus_lb->text().isEmpty());
}

// A workbook, chosen by the type the list shows: one file, no preview. The
// next export starts in that folder with that type; a name typed with
// ".txt" gives the text files whatever the list shows.
void TestExportSlot::workbookByTypeOrName()
{
    const QString workbookType = QStringLiteral("Excel-Arbeitsmappe (*.xlsx)");
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("werte")));
    const QString folder = m_dir->filePath(QStringLiteral("werte"));
    ExportUser user;
    user.choose = folder + QStringLiteral("/mess");
    user.type = workbookType;
    user.runExport(*m_f->controller);
    QCOMPARE(user.types, QStringList({QStringLiteral("Textdateien (*.txt)"), workbookType}));
    QCOMPARE(user.proposedTypes.value(0), QStringLiteral("Textdateien (*.txt)"));
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("mess.xlsx")});
    QVERIFY(readBytes(folder + QStringLiteral("/mess.xlsx")).startsWith("PK")); // a zip file
    QVERIFY(previewWindows().isEmpty());
    QCOMPARE(m_f->ui().ReadStatus_lb->text(), QStringLiteral("Exportiert: mess.xlsx"));

    ExportUser next;
    next.choose = folder + QStringLiteral("/mess.txt");
    next.type = workbookType;
    next.runExport(*m_f->controller);
    QCOMPARE(QFileInfo(next.proposed.value(0)).absolutePath(), folder);
    QVERIFY(next.proposed.value(0).endsWith(QStringLiteral(".xlsx")));
    QCOMPARE(next.proposedTypes.value(0), workbookType);
    QCOMPARE(readBytes(folder + QStringLiteral("/mess.txt")), pointExample);
    QVERIFY(QFile::exists(folder + QStringLiteral("/mess_comma.txt")));
}

void TestExportSlot::chosenNameAndPreview()
{
    ExportUser user;
    user.choose = m_dir->filePath("mess.txt");
    user.runExport(*m_f->controller);
    QCOMPARE(readBytes(user.choose), pointExample);
    // Not "<dir>/.txt": a name without the usual ending keeps its stem.
    QVERIFY(QFile::exists(m_dir->filePath("mess_comma.txt")));
    QVERIFY(!QFile::exists(m_dir->filePath(".txt")));
    QVERIFY(user.questions.isEmpty());

    const QList<QTabWidget *> previews = previewWindows();
    QCOMPARE(previews.size(), 1);
    QCOMPARE(previews.at(0)->size(), QSize(500, 400));
    auto *view = previews.at(0)->findChild<QTextEdit *>();
    QVERIFY(view);
    QVERIFY(view->isReadOnly());
    QCOMPARE(view->toPlainText().toLatin1(), pointExample);

    // The status line names both files; the tool tip has where they are.
    const QLabel *status = m_f->ui().ReadStatus_lb;
    QCOMPARE(status->text(), QStringLiteral("Exportiert: mess.txt, mess_comma.txt"));
    QVERIFY(status->toolTip().contains(QDir::toNativeSeparators(user.choose)));
}

void TestExportSlot::twoExportsLeaveTwoPreviews()
{
    for (int i = 0; i < 2; ++i) {
        Clock::setFixed(instant.addSecs(i));
        ExportUser user;
        user.choose = QStringLiteral("proposed");
        user.runExport(*m_f->controller);
    }
    QCOMPARE(previewWindows().size(), 2);
    // A closed preview is freed, not kept hidden.
    QPointer<QTabWidget> first = previewWindows().at(0);
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
}

void TestExportSlot::longerEarlierFilesAreReplacedExactly()
{
    const QByteArray older(20000, 'x');
    writeBytes(m_dir->filePath(pointName), older);
    writeBytes(m_dir->filePath(commaName), older);
    ExportUser user; // says Yes to replacing both
    user.choose = QStringLiteral("proposed");
    user.runExport(*m_f->controller);
    QCOMPARE(readBytes(m_dir->filePath(pointName)), pointExample);
    QCOMPARE(readBytes(m_dir->filePath(commaName)), commaExample());
    QVERIFY(user.warnings.isEmpty());
}

// The comma file's name is derived from the chosen one: a file that already
// has that name is replaced only after a Yes. The point file is written
// either way.
void TestExportSlot::commaFileAsksBeforeReplacing_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("Nein keeps the other file") << int(QMessageBox::No);
    QTest::newRow("Ja replaces it") << int(QMessageBox::Yes);
}

void TestExportSlot::commaFileAsksBeforeReplacing()
{
    QFETCH(int, answer);
    const QByteArray unrelated = "somebody else's measurements\n";
    writeBytes(m_dir->filePath("Messung.txt"), unrelated);
    ExportUser user;
    user.choose = m_dir->filePath("Messung_dot.txt");
    user.answer = QMessageBox::StandardButton(answer);
    user.runExport(*m_f->controller);

    QCOMPARE(user.questions.size(), 1);
    QVERIFY2(
        user.questions.at(0).contains(QDir::toNativeSeparators(m_dir->filePath("Messung.txt"))),
        qPrintable(user.questions.at(0)));
    QCOMPARE(readBytes(user.choose), pointExample);
    QCOMPARE(previewWindows().size(), 1);
    const QString status = m_f->ui().ReadStatus_lb->text();
    if (answer == QMessageBox::No) {
        QCOMPARE(readBytes(m_dir->filePath("Messung.txt")), unrelated);
        QCOMPARE(status,
                 QStringLiteral("Exportiert: Messung_dot.txt, Kommadatei nicht geschrieben"));
    } else {
        QCOMPARE(readBytes(m_dir->filePath("Messung.txt")), commaExample());
        QCOMPARE(status, QStringLiteral("Exportiert: Messung_dot.txt, Messung.txt"));
    }
}

void TestExportSlot::unwritablePointFileWarnsWithoutPreview()
{
    // The chosen name is taken by a folder by the time the file is written:
    // the point file cannot be written (as root, permission bits would not
    // stop it).
    ExportUser user;
    user.choose = QStringLiteral("proposed");
    user.afterChoosing = [this] { QVERIFY(QDir(m_dir->path()).mkdir(pointName)); };
    user.runExport(*m_f->controller);
    QCOMPARE(user.warnings.size(), 1);
    verifyWarning(user.warnings.at(0), pointName);
    QCOMPARE(user.warningParents.at(0), m_f->controller->mainWidget);
    QVERIFY(previewWindows().isEmpty());
    // The comma file is not written either: nothing half done.
    QVERIFY(!QFile::exists(m_dir->filePath(commaName)));
    // The status line says what just happened, not what an earlier export did.
    QLabel *status = m_f->ui().ReadStatus_lb;
    QCOMPARE(status->text(),
             QStringLiteral("Nicht exportiert: %1 konnte nicht geschrieben werden").arg(pointName));
    QVERIFY(status->property("warning").toBool());
    QCOMPARE(status->toolTip(), QDir::toNativeSeparators(m_dir->filePath(pointName)));
}

void TestExportSlot::unwritableCommaFileWarnsAfterPreview()
{
    // The comma file's name is taken by a folder: the point file is written,
    // the comma file cannot be (and a folder is no file to ask about).
    QVERIFY(QDir(m_dir->path()).mkdir(commaName));
    ExportUser user;
    user.choose = QStringLiteral("proposed");
    user.runExport(*m_f->controller);
    QVERIFY(user.questions.isEmpty());
    QCOMPARE(user.warnings.size(), 1);
    verifyWarning(user.warnings.at(0), commaName);
    QCOMPARE(readBytes(m_dir->filePath(pointName)), pointExample);
    QCOMPARE(previewWindows().size(), 1);
}

// A file-size limit (as on a full disk, 4 KiB, far below a 3,000-row export)
// must not end the program: the user is told, sees no preview, and the
// earlier export of that name is still there, unchanged. The limit's signal
// would end the test runner too, so the export runs in a child process, with
// the signal left as the program finds it.
void TestExportSlot::fileSizeLimitWarnsAndKeepsEarlierFile()
{
#ifndef Q_OS_UNIX
    QSKIP("needs a file-size limit (setrlimit)");
#else
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KALVOR2_EXPORT_CHILD"), m_dir->path());
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("fileSizeLimitInChild")});
    QVERIFY(child.waitForFinished(60000));
    const QByteArray output = child.readAll();
    QVERIFY2(child.exitStatus() == QProcess::NormalExit, output.constData());
    QVERIFY2(child.exitCode() == 0, output.constData());
    QVERIFY2(output.contains("PASS   : TestExportSlot::fileSizeLimitInChild()"),
             output.constData());
#endif
}

void TestExportSlot::fileSizeLimitInChild()
{
#ifndef Q_OS_UNIX
    QSKIP("needs a file-size limit (setrlimit)");
#else
    if (qEnvironmentVariableIsEmpty("KALVOR2_EXPORT_CHILD"))
        QSKIP("runs in the child process of fileSizeLimitWarnsAndKeepsEarlierFile");
    QByteArray more;
    for (int i = 2; i <= 3000; ++i)
        more += deviceRecord(i, "2026:12:06:7:14:03:27", "12,3");
    m_f->show(more);
    QCOMPARE(m_f->ui().Messwert_treeWidget->topLevelItemCount(), 3000);
    const QByteArray earlier = "an earlier export\n";
    writeBytes(m_dir->filePath(pointName), earlier);

    // The limit holds from the choice of the file on, so that only the
    // export's own writes run into it.
    std::unique_ptr<FileSizeLimit> limit;
    ExportUser user;
    user.choose = QStringLiteral("proposed");
    user.afterChoosing
        = [&limit] { limit = std::make_unique<FileSizeLimit>(4096, /*ignoreSignal=*/false); };
    user.runExport(*m_f->controller);
    QVERIFY(limit && limit->ok());
    limit.reset();
    QCOMPARE(user.warnings.size(), 1);
    verifyWarning(user.warnings.at(0), pointName);
    QVERIFY(previewWindows().isEmpty());
    QCOMPARE(readBytes(m_dir->filePath(pointName)), earlier);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{pointName});
#endif
}

// "Diagramm speichern…" writes the view as an image that loads back: a PNG
// under the proposed name, an SVG under a name ending in ".svg".
void TestExportSlot::chartSavedAsPngAndSvg()
{
    QPushButton *save = m_f->controller->chart()->saveButton();
    ExportUser png;
    png.choose = QStringLiteral("proposed");
    png.run(save);
    QCOMPARE(QFileInfo(png.proposed.value(0)).fileName(),
             QStringLiteral("Kalvor_2026_12_06_14_05_09_chart.png"));
    const QImage image(png.proposed.value(0));
    QVERIFY(!image.isNull());
    QVERIFY(image.width() > 300 && image.height() > 100);

    ExportUser svg;
    svg.choose = m_dir->filePath("chart.svg");
    svg.run(save);
    QFile file(svg.choose);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.name().toString(), QStringLiteral("svg"));
    QVERIFY(png.warnings.isEmpty() && svg.warnings.isEmpty());
}

void TestExportSlot::chartThatCannotBeWrittenWarns()
{
    const QString name = QStringLiteral("Kalvor_2026_12_06_14_05_09_chart.png");
    ExportUser user;
    user.choose = QStringLiteral("proposed");
    user.afterChoosing = [this, name] { QVERIFY(QDir(m_dir->path()).mkdir(name)); };
    user.run(m_f->controller->chart()->saveButton());
    QCOMPARE(user.warnings.size(), 1);
    verifyWarning(user.warnings.at(0), name);
}

// Why a file could not be written, in the window's language, with the
// system's message behind it, for the kinds of failure a user can act on.
void TestExportSlot::warningSaysWhatAndWhere_data()
{
    QTest::addColumn<QString>("name"); // in the temporary folder
    QTest::addColumn<QString>("reason");
    QTest::newRow("name too long")
        << QString(300, u'k') + QStringLiteral("_dot.txt") << "Der Dateiname ist zu lang.";
    QTest::newRow("no such folder") << "gone/mess_dot.txt"
                                    << "Den Ordner gibt es nicht.";
    QTest::newRow("a folder of that name") << "taken"
                                           << "Unter diesem Namen steht ein Ordner.";
}

void TestExportSlot::warningSaysWhatAndWhere()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("taken")));
    const QString path = m_dir->filePath(name);
    const QString text = MeasurementExport::writeExportFile(path, QStringLiteral("x\n"));
    QVERIFY2(text.startsWith(reason + QStringLiteral(" (")), qPrintable(text));
    const QString systemMessage = text.mid(reason.size() + 2).chopped(1);
    QVERIFY2(text.endsWith(u')') && !systemMessage.trimmed().isEmpty(), qPrintable(text));

    // The warning gives the whole path, whatever the caller passed.
    const QString relative = QDir(QDir::currentPath()).relativeFilePath(path);
    QString warning;
    QTimer::singleShot(0, [&warning] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            warning = box->text();
            box->accept();
        }
    });
    warnNotWritten(m_f->controller->mainWidget, relative, text);
    QVERIFY2(warning.contains(QDir::toNativeSeparators(path)), qPrintable(warning));
}

// An open preview does not keep the program running once the main window is
// closed.
void TestExportSlot::closingTheWindowEndsTheProgram()
{
    ExportUser user;
    user.choose = QStringLiteral("proposed");
    user.runExport(*m_f->controller);
    QCOMPARE(previewWindows().size(), 1);
    // The application decides in its event loop: run it, with a way out
    // after three seconds should the preview keep it running.
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    QTimer::singleShot(0, m_f->controller->mainWidget, &QWidget::close);
    QTimer fallback;
    fallback.setSingleShot(true);
    QObject::connect(&fallback, &QTimer::timeout, qApp, &QCoreApplication::quit);
    fallback.start(3000);
    QApplication::exec();
    QCOMPARE(lastClosed.size(), 1);
    QVERIFY(fallback.isActive()); // it ended by itself, well before the way out
}

// Rows read before an unplug keep that device's serial number in the file,
// whatever device is connected at the export.
void TestExportSlot::rowsKeepTheSerialNumberOfTheirDevice()
{
    m_f->fake->unplugged = true;
    m_f->poll();
    m_f->clockTick();
    QVERIFY(!m_f->controller->link->isOpen());
    m_f->fake->unplugged = false;
    m_f->controller->lookForConverter();
    QVERIFY(m_f->controller->link->isOpen());
    // No read of the new device before it has told its measuring range.
    QVERIFY(!m_f->ui().ReadSpeicher_PB->isEnabled());
    m_f->ui().SerialNumber_lb->setText(QStringLiteral("654321"));

    ExportUser user;
    user.choose = m_dir->filePath("mess.txt");
    user.runExport(*m_f->controller);
    QCOMPARE(readBytes(user.choose), pointExample);
}

// A read kept in the archive and opened again after the table has moved on
// is exported exactly as it was when fresh: the same text files and
// workbook, under its own device's serial number; the archive then marks it
// exported, and the next read returns the table to the device.
void TestExportSlot::archivedReadExportsLikeAFreshRead()
{
    KalvorIIControl &controller = *m_f->controller;
    Ui::KalvorIIControl &ui = m_f->ui();
    QCOMPARE(controller.openArchive(m_dir->filePath("archive.sqlite")).outcome,
             MeasurementArchive::OpenOutcome::Opened);
    m_f->tellMeasuringRange(50);
    const auto read = [&](const QByteArray &records, int entries) {
        ui.ReadSpeicher_PB->click();
        m_f->show(DeviceReports::fillLevel(1, entries) + records);
        QVERIFY(!controller.memoryRead().running());
    };
    read(deviceRecord(1) + deviceRecord(2, "2012:03:05:1:14:08:00", "13,7", "120")
             + deviceRecord(3, "2012:03:05:1:14:09:00", "0,5", "007", "012"),
         3);
    const QStringList names = {"mess.txt", "mess.xlsx"};
    const auto exportTo = [&](const QString &folder) {
        QVERIFY(QDir(m_dir->path()).mkpath(folder));
        for (const QString &name : names) {
            ExportUser user;
            user.choose = m_dir->filePath(folder + '/' + name);
            user.runExport(controller);
            QVERIFY2(user.warnings.isEmpty(), qPrintable(user.warnings.join('\n')));
        }
        closePreviews();
    };
    exportTo("fresh");

    // Another device's read in the table.
    ui.SerialNumber_lb->setText(QStringLiteral("654321"));
    m_f->show("Serial number : 654321\n=========================\n");
    read(deviceRecord(1, "2013:01:01:1:00:00:00"), 1);
    QList<ArchivedReadSummary> reads;
    QCOMPARE(controller.archive().archive().listReads(reads), QString());
    QCOMPARE(reads.size(), 2);
    QCOMPARE(reads.at(1).serialNumber, QStringLiteral("123456"));
    QVERIFY(reads.at(1).exported && !reads.at(0).exported);

    const qint64 first = reads.at(1).id;
    controller.archive().setReadChooser([first](MeasurementArchive &, QWidget *) { return first; });
    auto *archiveButton = ui.System->findChild<QPushButton *>(QStringLiteral("Archiv_PB"));
    QVERIFY(archiveButton && archiveButton->isEnabled());
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const auto restoreLocale = qScopeGuard([before] { QLocale::setDefault(before); });
    archiveButton->click();
    QCOMPARE(ui.Messwert_treeWidget->topLevelItemCount(), 3);
    QCOMPARE(ui.Messwert_treeWidget->topLevelItem(1)->text(3), QStringLiteral("13.70"));
    QCOMPARE(controller.chart()->shownRows(), 3);
    QCOMPARE(ui.ReadStatus_lb->text(),
             QStringLiteral("Archiv: 06.12.2026 14:05, Gerät 123456, 3 Messwerte"));
    exportTo("archived");
    for (const QString &name : names) {
        const QByteArray fresh = readBytes(m_dir->filePath("fresh/" + name));
        QVERIFY(fresh.size() > 100);
        QVERIFY2(readBytes(m_dir->filePath("archived/" + name)) == fresh, qPrintable(name));
    }
    QCOMPARE(QDir(m_dir->filePath("archived")).count(), QDir(m_dir->filePath("fresh")).count());

    // The next read shows the device's rows again.
    read(deviceRecord(1) + deviceRecord(2), 2);
    QCOMPARE(ui.Messwert_treeWidget->topLevelItemCount(), 2);
    QVERIFY(!ui.ReadStatus_lb->text().startsWith(QStringLiteral("Archiv")));
}

QTEST_MAIN(TestExportSlot)
#include "tst_exportslot.moc"
