// The export button end to end: the save dialog, the two files, the preview
// windows, and the warning when a file cannot be written.

#include "controller/clock.h"
#include "controllerfixture.h"
#include "filesizelimit.h"
#include "modal.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextEdit>

namespace {

const QDateTime instant(QDate(2026, 12, 6), QTime(14, 5, 9));

QByteArray readBytes(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
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

// Chooses `path` in the save dialog and accepts it, the way a user does:
// by typing the name into the name field. (selectFile() leaves that field
// alone once it has the keyboard focus, and when the dialog's window gets
// the focus is up to the window system.) The dialog takes a typed name in
// relative to its folder, which loads in the background: accept only once
// it reports the path as its selection.
void chooseAndAccept(QFileDialog *dialog, const QString &path)
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
    QObject::connect(settle, &QTimer::timeout, dialog, [dialog, nameField, path, settle, tries] {
        nameField->setText(QFileInfo(path).fileName());
        // After ten seconds accept whatever it has: the test then fails on
        // the file instead of hanging in the dialog.
        if (dialog->selectedFiles().value(0) == path || ++*tries > 1000) {
            settle->stop();
            static_cast<QDialog *>(dialog)->accept();
        }
    });
    settle->start();
}

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
    void cancelExportsUnderProposedName();
    void chosenNameAndPreview();
    void twoExportsLeaveTwoPreviews();
    void longerEarlierFilesAreReplacedExactly();
    void unwritablePointFileWarnsWithoutPreview();
    void unwritableCommaFileWarnsAfterPreview();
    void fullDiskWarnsAndKeepsEarlierFile();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCurrent;
    std::unique_ptr<ControllerFixture> m_f;
};

void TestExportSlot::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_oldCurrent = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    m_f = std::make_unique<ControllerFixture>();
    m_f->ui().SerialNumber_lb->setText(QStringLiteral("123456"));
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

void TestExportSlot::cancelExportsUnderProposedName()
{
    QString proposed;
    onNextModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        QVERIFY(dialog);
        proposed = dialog->selectedFiles().value(0);
        dialog->reject();
    });
    m_f->ui().ExportMesswerte_PB->click();
    QCOMPARE(QFileInfo(proposed).fileName(), QStringLiteral("Kalvor_2026_12_06_14_05_09_dot.txt"));
    QCOMPARE(readBytes(m_dir->filePath("Kalvor_2026_12_06_14_05_09_dot.txt")), pointExample);
    QCOMPARE(readBytes(m_dir->filePath("Kalvor_2026_12_06_14_05_09.txt")), commaExample());
}

void TestExportSlot::chosenNameAndPreview()
{
    const QString chosen = m_dir->filePath("mess.txt");
    onNextModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        QVERIFY(dialog);
        chooseAndAccept(dialog, chosen);
    });
    m_f->ui().ExportMesswerte_PB->click();
    QCOMPARE(readBytes(chosen), pointExample);
    // Not "<dir>/.txt": a name without the usual ending keeps its stem.
    QVERIFY(QFile::exists(m_dir->filePath("mess_comma.txt")));
    QVERIFY(!QFile::exists(m_dir->filePath(".txt")));

    const QList<QTabWidget *> previews = previewWindows();
    QCOMPARE(previews.size(), 1);
    QCOMPARE(previews.at(0)->size(), QSize(500, 400));
    auto *view = previews.at(0)->findChild<QTextEdit *>();
    QVERIFY(view);
    QVERIFY(view->isReadOnly());
    QCOMPARE(view->toPlainText().toLatin1(), pointExample);
}

void TestExportSlot::twoExportsLeaveTwoPreviews()
{
    for (int i = 0; i < 2; ++i) {
        onNextModal([](QWidget *modal) { static_cast<QDialog *>(modal)->reject(); });
        m_f->ui().ExportMesswerte_PB->click();
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
    for (const char *name :
         {"Kalvor_2026_12_06_14_05_09_dot.txt", "Kalvor_2026_12_06_14_05_09.txt"}) {
        QFile file(m_dir->filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(older);
    }
    bool warned = false;
    QPointer<QTimer> warningWatch;
    onNextModal([&](QWidget *modal) {
        warningWatch = onNextModal([&](QWidget *box) {
            // Only a warning could come now; answer it so the test cannot hang.
            warned = qobject_cast<QMessageBox *>(box) != nullptr;
            static_cast<QDialog *>(box)->accept();
        });
        static_cast<QDialog *>(modal)->reject();
    });
    m_f->ui().ExportMesswerte_PB->click();
    delete warningWatch.data();
    QCOMPARE(readBytes(m_dir->filePath("Kalvor_2026_12_06_14_05_09_dot.txt")), pointExample);
    QCOMPARE(readBytes(m_dir->filePath("Kalvor_2026_12_06_14_05_09.txt")), commaExample());
    QVERIFY(!warned);
}

void TestExportSlot::unwritablePointFileWarnsWithoutPreview()
{
    // The proposed name is taken by a folder: the point file cannot be
    // written (as root, permission bits would not stop it).
    QVERIFY(QDir(m_dir->path()).mkdir("Kalvor_2026_12_06_14_05_09_dot.txt"));
    QString warning;
    onNextModal([&](QWidget *modal) {
        onNextModal([&](QWidget *box) {
            auto *message = qobject_cast<QMessageBox *>(box);
            QVERIFY(message);
            warning = message->text();
            QCOMPARE(message->parentWidget(), m_f->controller->mainWidget);
            message->accept();
        });
        static_cast<QDialog *>(modal)->reject();
    });
    m_f->ui().ExportMesswerte_PB->click();
    verifyWarning(warning, QStringLiteral("Kalvor_2026_12_06_14_05_09_dot.txt"));
    QVERIFY(previewWindows().isEmpty());
    // The comma file is not written either: nothing half done.
    QVERIFY(!QFile::exists(m_dir->filePath("Kalvor_2026_12_06_14_05_09.txt")));
}

void TestExportSlot::unwritableCommaFileWarnsAfterPreview()
{
    // The comma file's name is taken by a folder: the point file is written,
    // the comma file cannot be.
    QVERIFY(QDir(m_dir->path()).mkdir("Kalvor_2026_12_06_14_05_09.txt"));
    QString warning;
    onNextModal([&](QWidget *modal) {
        onNextModal([&](QWidget *box) {
            auto *message = qobject_cast<QMessageBox *>(box);
            QVERIFY(message);
            warning = message->text();
            message->accept();
        });
        static_cast<QDialog *>(modal)->reject();
    });
    m_f->ui().ExportMesswerte_PB->click();
    verifyWarning(warning, QStringLiteral("Kalvor_2026_12_06_14_05_09.txt"));
    QCOMPARE(readBytes(m_dir->filePath("Kalvor_2026_12_06_14_05_09_dot.txt")), pointExample);
    QCOMPARE(previewWindows().size(), 1);
}

// The disk fills up while the point file is written (a file-size limit of
// 4 KiB, far below a 3,000-row export): the user is told, sees no preview,
// and the earlier export of that name is still there, unchanged.
void TestExportSlot::fullDiskWarnsAndKeepsEarlierFile()
{
#ifndef Q_OS_UNIX
    QSKIP("needs a file-size limit (setrlimit)");
#else
    QByteArray more;
    for (int i = 2; i <= 3000; ++i)
        more += deviceRecord(i, "2026:12:06:7:14:03:27", "12,3");
    m_f->show(more);
    QCOMPARE(m_f->ui().Messwert_treeWidget->topLevelItemCount(), 3000);
    const QString pointName = m_dir->filePath("Kalvor_2026_12_06_14_05_09_dot.txt");
    const QByteArray earlier = "an earlier export\n";
    {
        QFile file(pointName);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(earlier);
    }
    // The limit holds from the dialog's end to the warning's, so that only
    // the export's own writes run into it.
    QString warning;
    std::unique_ptr<FileSizeLimit> limit;
    onNextModal([&](QWidget *modal) {
        onNextModal([&](QWidget *box) {
            auto *message = qobject_cast<QMessageBox *>(box);
            QVERIFY(message);
            warning = message->text();
            limit.reset();
            message->accept();
        });
        limit = std::make_unique<FileSizeLimit>(4096);
        static_cast<QDialog *>(modal)->reject();
    });
    m_f->ui().ExportMesswerte_PB->click();
    QVERIFY(!limit); // the warning came, and the limit is gone
    verifyWarning(warning, QStringLiteral("Kalvor_2026_12_06_14_05_09_dot.txt"));
    QVERIFY(previewWindows().isEmpty());
    QCOMPARE(readBytes(pointName), earlier);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"Kalvor_2026_12_06_14_05_09_dot.txt"});
#endif
}

QTEST_MAIN(TestExportSlot)
#include "tst_exportslot.moc"
