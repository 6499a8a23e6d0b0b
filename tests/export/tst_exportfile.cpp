#include "export/filewriter.h"
#include "export/measurementexport.h"
#include "export/workbook.h"

#include "filesizelimit.h"
#include "simulatedread.h"

#include <QtTest>

#include <cerrno>

using namespace MeasurementExport;

namespace {

// 14:05:09 on 6 December 2026, the instant of the worked example.
QDateTime exportInstant()
{
    return QDateTime(QDate(2026, 12, 6), QTime(14, 5, 9));
}

const QStringList workedRow{"1", "2012:03:05", "14:07:59", "2.34", "2.25", "4"};

// Files are written in text mode: LF on disk here, CR LF on Windows.
QByteArray withPlatformLineEnds(QByteArray lf)
{
#ifdef Q_OS_WIN
    lf.replace("\n", "\r\n");
#endif
    return lf;
}

QByteArray readBytes(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<cannot read ") + fileName.toLocal8Bit() + '>';
    return file.readAll();
}

bool writeBytes(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestExportFile : public QObject
{
    Q_OBJECT

private slots:
    void workedExample();
    void emptyTable();
    void conversion_data();
    void conversion();
    void proposedName_data();
    void proposedName();
    void commaName_data();
    void commaName();
    void encoding();
    void longerFileReplaced();
    void unwritableTarget_data();
    void unwritableTarget();
    void fullDisk_data();
    void fullDisk();
    void contentThatFailsChangesNothing_data();
    void contentThatFailsChangesNothing();
};

// Both files of the worked example, byte for byte as they land on disk,
// against reference files kept beside this test.
void TestExportFile::workedExample()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    const QString text = exportText(exportInstant(), "123456", {workedRow});
    const QString pointName = dir.filePath(proposedFileName(exportInstant()));
    const QString commaName = commaFileName(pointName);
    QCOMPARE(QFileInfo(pointName).fileName(), QStringLiteral("Kalvor_2026_12_06_14_05_09_dot.txt"));
    QCOMPARE(QFileInfo(commaName).fileName(), QStringLiteral("Kalvor_2026_12_06_14_05_09.txt"));

    QCOMPARE(writeExportFile(pointName, pointText(text)), QString());
    QCOMPARE(writeExportFile(commaName, commaText(text)), QString());

    const QString data = QStringLiteral(KALVOR_EXPORT_TEST_DATA);
    QCOMPARE(readBytes(pointName),
             withPlatformLineEnds(readBytes(data + "/worked_example_dot.txt")));
    QCOMPARE(readBytes(commaName),
             withPlatformLineEnds(readBytes(data + "/worked_example_comma.txt")));
    QCOMPARE(entries(dir.path()).size(), 2);
}

// An empty table still gives the whole header, and both files.
void TestExportFile::emptyTable()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    const QString text = exportText(exportInstant(), "123456", QList<QStringList>());
    const QByteArray header = "Kalvor 2 data export\n"
                              "Serial number:\t123456\n"
                              "Date:\t2026.12.06\n"
                              "Time:\t14:05:09\n"
                              "Number of measurements:\t0\n"
                              "\n"
                              "\n"
                              "Number\tDate\tTime\tForce [kN]\tSleeve[mm]\tDeviceID\n";
    QByteArray commaHeader = header;
    commaHeader.replace("2026.12.06", "2026,12,06");

    const QString pointName = dir.filePath("empty_dot.txt");
    QCOMPARE(writeExportFile(pointName, pointText(text)), QString());
    QCOMPARE(writeExportFile(commaFileName(pointName), commaText(text)), QString());
    QCOMPARE(readBytes(pointName), withPlatformLineEnds(header));
    QCOMPARE(readBytes(dir.filePath("empty.txt")), withPlatformLineEnds(commaHeader));
}

void TestExportFile::conversion_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QStringList>("row");
    // Lines 2, 3 and 9 (serial number, header date, the row) of each file.
    QTest::addColumn<QStringList>("pointLines");
    QTest::addColumn<QStringList>("commaLines");

    QTest::newRow("worked example") << "123456" << workedRow
                                    << QStringList{"Serial number:\t123456", "Date:\t2026.12.06",
                                                   "1\t2012.03.05\t14:07:59\t2.34\t2.25\t4"}
                                    << QStringList{"Serial number:\t123456", "Date:\t2026,12,06",
                                                   "1\t2012.03.05\t14:07:59\t2,34\t2,25\t4"};
    QTest::newRow("serial placeholder becomes six dots")
        << "??????" << workedRow
        << QStringList{"Serial number:\t......", "Date:\t2026.12.06",
                       "1\t2012.03.05\t14:07:59\t2.34\t2.25\t4"}
        << QStringList{"Serial number:\t......", "Date:\t2026,12,06",
                       "1\t2012.03.05\t14:07:59\t2,34\t2,25\t4"};
    QTest::newRow("date colons become dots, time colons stay")
        << "123456" << QStringList{"7", "2026:12:06", "14:03:27", "1000", "-3.5", "12"}
        << QStringList{"Serial number:\t123456", "Date:\t2026.12.06",
                       "7\t2026.12.06\t14:03:27\t1000\t-3.5\t12"}
        << QStringList{"Serial number:\t123456", "Date:\t2026,12,06",
                       "7\t2026.12.06\t14:03:27\t1000\t-3,5\t12"};
    QTest::newRow("question marks in cells become dots in both")
        << "12?4" << QStringList{"?", "2026:12:06", "1?:00:00", "?", "0.?", "?"}
        << QStringList{"Serial number:\t12.4", "Date:\t2026.12.06",
                       ".\t2026.12.06\t1.:00:00\t.\t0..\t."}
        << QStringList{"Serial number:\t12.4", "Date:\t2026,12,06",
                       ".\t2026.12.06\t1.:00:00\t.\t0,.\t."};
    // The two exceptions of the comma file look at the header only: a cell
    // never changes how other cells (or the header) are converted.
    QTest::newRow("Datensaetze in a cell changes nothing")
        << "123456" << QStringList{"1", "2026:12:06", "14:03:27", "Datensaetze 1.5", "2.25", "4"}
        << QStringList{"Serial number:\t123456", "Date:\t2026.12.06",
                       "1\t2026.12.06\t14:03:27\tDatensaetze 1.5\t2.25\t4"}
        << QStringList{"Serial number:\t123456", "Date:\t2026,12,06",
                       "1\t2026.12.06\t14:03:27\tDatensaetze 1,5\t2,25\t4"};
    QTest::newRow("Datensaetze in the serial number")
        << "Datensaetze.1" << workedRow
        << QStringList{"Serial number:\tDatensaetze.1", "Date:\t2026.12.06",
                       "1\t2012.03.05\t14:07:59\t2.34\t2.25\t4"}
        << QStringList{"Serial number:\tDatensaetze,1", "Date:\t2026,12,06",
                       "1\t2012.03.05\t14:07:59\t2,34\t2,25\t4"};
    QTest::newRow("Huelsenpos in a cell is converted like any cell")
        << "123456" << QStringList{"1", "2026:12:06", "14:03:27", "2.34", "Huelsenpos.5", "4"}
        << QStringList{"Serial number:\t123456", "Date:\t2026.12.06",
                       "1\t2026.12.06\t14:03:27\t2.34\tHuelsenpos.5\t4"}
        << QStringList{"Serial number:\t123456", "Date:\t2026,12,06",
                       "1\t2026.12.06\t14:03:27\t2,34\tHuelsenpos,5\t4"};
    QTest::newRow("Huelsenpos in the serial number keeps its point")
        << "Huelsenpos.1" << workedRow
        << QStringList{"Serial number:\tHuelsenpos.1", "Date:\t2026.12.06",
                       "1\t2012.03.05\t14:07:59\t2.34\t2.25\t4"}
        << QStringList{"Serial number:\tHuelsenpos.1", "Date:\t2026,12,06",
                       "1\t2012.03.05\t14:07:59\t2,34\t2,25\t4"};
    // A tab, line feed or carriage return from the device would add a column
    // or a line: each becomes a blank.
    QTest::newRow("tab, line feed and carriage return in cells become blanks")
        << "12\t34\n5" << QStringList{"1", "2026:12:06", "14:03\t27", "2.3\r4", "2.25\n", "4"}
        << QStringList{"Serial number:\t12 34 5", "Date:\t2026.12.06",
                       "1\t2026.12.06\t14:03 27\t2.3 4\t2.25 \t4"}
        << QStringList{"Serial number:\t12 34 5", "Date:\t2026,12,06",
                       "1\t2026.12.06\t14:03 27\t2,3 4\t2,25 \t4"};
    QTest::newRow("short row gives empty cells")
        << "123456" << QStringList{"3"}
        << QStringList{"Serial number:\t123456", "Date:\t2026.12.06", "3\t\t\t\t\t"}
        << QStringList{"Serial number:\t123456", "Date:\t2026,12,06", "3\t\t\t\t\t"};
}

void TestExportFile::conversion()
{
    QFETCH(QString, serial);
    QFETCH(QStringList, row);
    QFETCH(QStringList, pointLines);
    QFETCH(QStringList, commaLines);

    const QString text = exportText(exportInstant(), serial, {row});
    for (const auto &[fileText, expected] :
         {qMakePair(pointText(text), pointLines), qMakePair(commaText(text), commaLines)}) {
        QVERIFY(fileText.endsWith('\n'));
        const QStringList lines = fileText.split('\n');
        QCOMPARE(lines.size(), 10); // nine lines and the empty rest after the last LF
        QCOMPARE(lines.at(4), QStringLiteral("Number of measurements:\t1"));
        QCOMPARE((QStringList{lines.at(1), lines.at(2), lines.at(8)}), expected);
    }
}

void TestExportFile::proposedName_data()
{
    QTest::addColumn<QDateTime>("instant");
    QTest::addColumn<QString>("expected");

    QTest::newRow("afternoon") << exportInstant() << "Kalvor_2026_12_06_14_05_09_dot.txt";
    QTest::newRow("small fields zero-padded")
        << QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5)) << "Kalvor_2027_01_02_03_04_05_dot.txt";
    QTest::newRow("24-hour clock") << QDateTime(QDate(2026, 10, 31), QTime(23, 59, 59))
                                   << "Kalvor_2026_10_31_23_59_59_dot.txt";
}

void TestExportFile::proposedName()
{
    QFETCH(QDateTime, instant);
    QFETCH(QString, expected);
    QCOMPARE(proposedFileName(instant), expected);
}

void TestExportFile::commaName_data()
{
    QTest::addColumn<QString>("pointName");
    QTest::addColumn<QString>("expected");

    QTest::newRow("proposed name") << "Kalvor_2026_12_06_14_05_09_dot.txt"
                                   << "Kalvor_2026_12_06_14_05_09.txt";
    QTest::newRow("proposed name with path") << "/home/u/Kalvor_2026_12_06_14_05_09_dot.txt"
                                             << "/home/u/Kalvor_2026_12_06_14_05_09.txt";
    QTest::newRow("short _dot name") << "a_dot.txt"
                                     << "a.txt";
    QTest::newRow("other .txt name") << "C:/data/mess.txt"
                                     << "C:/data/mess_comma.txt";
    QTest::newRow("upper-case extension") << "C:/data/MESS.TXT"
                                          << "C:/data/MESS_comma.txt";
    QTest::newRow("short name") << "a.txt"
                                << "a_comma.txt";
    QTest::newRow("shorter than eight") << "x"
                                        << "x_comma.txt";
    QTest::newRow("no extension") << "/tmp/messung"
                                  << "/tmp/messung_comma.txt";
    QTest::newRow("other extension") << "/tmp/messung.csv"
                                     << "/tmp/messung.csv_comma.txt";
    QTest::newRow("only .txt") << "/tmp/.txt"
                               << "/tmp/_comma.txt";
    QTest::newRow("bare _dot.txt") << "_dot.txt"
                                   << "_dot_comma.txt";
    QTest::newRow("bare _dot.txt in a folder") << "/tmp/_dot.txt"
                                               << "/tmp/_dot_comma.txt";
    QTest::newRow("bare _dot.txt, native separator") << "C:\\data\\_dot.txt"
                                                     << "C:\\data\\_dot_comma.txt";
    QTest::newRow("dot.txt without underscore") << "/tmp/dot.txt"
                                                << "/tmp/dot_comma.txt";
}

// The comma file must never be an unrelated name (such as C:/data/.txt) nor
// the point file itself.
void TestExportFile::commaName()
{
    QFETCH(QString, pointName);
    QFETCH(QString, expected);
    QCOMPARE(commaFileName(pointName), expected);
    QVERIFY(commaFileName(pointName) != pointName);
}

// Text goes out in the system encoding, without a byte-order mark.
void TestExportFile::encoding()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString text = QStringLiteral("Hülsenposition µm ÄÖÜ\n");
    const QString name = dir.filePath("enc_dot.txt");
    QCOMPARE(writeExportFile(name, text), QString());

    QStringEncoder system(QStringConverter::System);
    const QByteArray expected = system(text);
    QVERIFY(expected.size() > 0);
    QCOMPARE(readBytes(name), withPlatformLineEnds(expected));
}

// A longer file of the same name must not keep its old tail.
void TestExportFile::longerFileReplaced()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = dir.filePath(proposedFileName(exportInstant()));
    QVERIFY(writeBytes(name, QByteArray(20000, 'x')));

    const QString text = pointText(exportText(exportInstant(), "123456", {workedRow}));
    QCOMPARE(writeExportFile(name, text), QString());
    QCOMPARE(readBytes(name), withPlatformLineEnds(text.toUtf8()));
    QCOMPARE(entries(dir.path()), QStringList{QFileInfo(name).fileName()});
}

void TestExportFile::unwritableTarget_data()
{
    QTest::addColumn<bool>("workbook");
    QTest::newRow("text file") << false;
    QTest::newRow("workbook") << true;
}

// A folder that is really a regular file cannot hold the export (this holds
// for root too, who ignores permission bits). The failure is reported and
// nothing is created or changed.
void TestExportFile::unwritableTarget()
{
    QFETCH(bool, workbook);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString blocker = dir.filePath("blocker");
    QVERIFY(writeBytes(blocker, "not a folder"));

    const QString name = blocker + "/Kalvor_2026_12_06_14_05_09_dot.txt";
    const SimulatedRead read = simulatedRead(3);
    const QString reason = workbook
        ? Workbook::writeWorkbook(name, read.rows, read.info, exportInstant())
        : writeExportFile(name, "Kalvor 2 data export\n");
    QVERIFY2(!reason.isEmpty(), "an unwritable target was reported as success");

    QCOMPARE(entries(dir.path()), QStringList{"blocker"});
    QCOMPARE(readBytes(blocker), QByteArray("not a folder"));
}

void TestExportFile::fullDisk_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("earlierFile");
    QTest::addColumn<bool>("workbook");

    // A few hundred rows stay in the file's write buffer until the final
    // flush; thousands go to the disk while the stream writes.
    QTest::newRow("buffered text, earlier file") << 200 << true << false;
    QTest::newRow("large text, earlier file") << 5000 << true << false;
    QTest::newRow("large text, no earlier file") << 5000 << false << false;
    QTest::newRow("workbook, earlier file") << 200 << true << true;
    QTest::newRow("workbook, no earlier file") << 200 << false << true;
}

// A disk that fills up during the write: the failure is reported, no
// half-written file or temporary file is left, an earlier export stays as it
// was. Simulated with a file-size limit of 4 KiB.
void TestExportFile::fullDisk()
{
#ifndef Q_OS_UNIX
    QSKIP("needs a file-size limit (setrlimit)");
#else
    QFETCH(int, rows);
    QFETCH(bool, earlierFile);
    QFETCH(bool, workbook);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = dir.filePath(proposedFileName(
        exportInstant(), workbook ? QStringLiteral(".xlsx") : QStringLiteral("_dot.txt")));
    const QByteArray earlier = "an earlier export\n";
    if (earlierFile)
        QVERIFY(writeBytes(name, earlier));

    QList<QStringList> table;
    for (int i = 1; i <= rows; ++i)
        table.append({QString::number(i), "2026:12:06", "14:03:27", "12.34", "2.25", "4"});
    const QString text = pointText(exportText(exportInstant(), "123456", table));
    QVERIFY(text.size() > 4096);
    const SimulatedRead read = simulatedRead(rows);
    const QByteArray book = Workbook::workbookBytes(read.rows, read.info, exportInstant());
    QVERIFY(book.size() > 4096);
    const auto write = [&] {
        return workbook ? Workbook::writeWorkbook(name, read.rows, read.info, exportInstant())
                        : writeExportFile(name, text);
    };

    QString reason;
    {
        FileSizeLimit limit(4096);
        QVERIFY(limit.ok());
        reason = write();
    }
    QVERIFY2(!reason.isEmpty(), "a write onto a full disk was reported as success");

    if (earlierFile) {
        QCOMPARE(entries(dir.path()), QStringList{QFileInfo(name).fileName()});
        QCOMPARE(readBytes(name), earlier);
    } else {
        QCOMPARE(entries(dir.path()), QStringList());
    }

    // With room again the same export goes through: the failure above came
    // from the limit, not from the name.
    QCOMPARE(write(), QString());
    QCOMPARE(readBytes(name), workbook ? book : withPlatformLineEnds(text.toUtf8()));
#endif
}

void TestExportFile::contentThatFailsChangesNothing_data()
{
    QTest::addColumn<bool>("earlierFile");
    QTest::newRow("earlier file") << true;
    QTest::newRow("no earlier file") << false;
}

// Content that gives up half way (an image writer that fails, a stream that
// stops) is not renamed into place: nothing half written, the earlier file
// as it was, and a reason that blames the content, not an error number left
// over from some earlier call.
void TestExportFile::contentThatFailsChangesNothing()
{
    QFETCH(bool, earlierFile);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = dir.filePath("chart.png");
    const QByteArray earlier = "an earlier image";
    if (earlierFile)
        QVERIFY(writeBytes(name, earlier));

    errno = ENOSPC;
    const FileWriter::Result result = FileWriter::write(name, [](QIODevice &device) {
        device.write(QByteArray(100000, 'p'));
        return false; // the rest could not be produced
    });
    QVERIFY(!result.written);
    QCOMPARE(result.reason, QStringLiteral("Der Inhalt ließ sich nicht vollständig schreiben."));
    if (earlierFile) {
        QCOMPARE(entries(dir.path()), QStringList{"chart.png"});
        QCOMPARE(readBytes(name), earlier);
    } else {
        QCOMPARE(entries(dir.path()), QStringList());
    }
}

QTEST_GUILESS_MAIN(TestExportFile)

#include "tst_exportfile.moc"
