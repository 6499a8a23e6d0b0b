// The compiled-in resource collection: the seven files with their kinds and
// sizes, the banner in the form, and the splash scaling used at start-up.

#include "ui/splash.h"
#include "ui_kalvor2control.h"

#include <QDirIterator>
#include <QImageReader>
#include <QResource>
#include <QtEndian>
#include <QtTest>

namespace {

struct PngHeader
{
    int width = 0;
    int height = 0;
    int bitDepth = 0;
    int colourType = -1;
    int interlace = -1;
};

// Reads the IHDR chunk, which a PNG must have first.
bool readPngHeader(const QByteArray &data, PngHeader *header)
{
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    if (data.size() < 33 || !data.startsWith(signature) || data.mid(12, 4) != "IHDR")
        return false;
    const auto *p = reinterpret_cast<const uchar *>(data.constData());
    header->width = int(qFromBigEndian<quint32>(p + 16));
    header->height = int(qFromBigEndian<quint32>(p + 20));
    header->bitDepth = p[24];
    header->colourType = p[25];
    header->interlace = p[28];
    return true;
}

} // namespace

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void pngFiles_data();
    void pngFiles();
    void iconFile();
    void noOtherFiles();
    void bannerInForm();
    void splashScaling_data();
    void splashScaling();
    void splashFromResource();
};

void TestResources::pngFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("colourType"); // 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    QTest::addColumn<bool>("interlaced");

    QTest::newRow("splash") << ":/Icon/KVii_SplashScreen.png" << QSize(640, 282) << 2 << true;
    QTest::newRow("banner") << ":/Logo/header.png" << QSize(950, 176) << 6 << true;
    QTest::newRow("up") << ":/Logo/design/up_arrow.png" << QSize(7, 5) << 3 << false;
    QTest::newRow("down") << ":/Logo/design/down_arrow.png" << QSize(7, 5) << 4 << false;
    QTest::newRow("up disabled") << ":/Logo/design/up_arrow_disabled.png" << QSize(7, 5) << 4
                                 << false;
    QTest::newRow("down disabled")
        << ":/Logo/design/down_arrow_disabled.png" << QSize(7, 5) << 4 << false;
}

void TestResources::pngFiles()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(int, colourType);
    QFETCH(bool, interlaced);

    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    const QByteArray data = file.readAll();
    PngHeader header;
    QVERIFY(readPngHeader(data, &header));
    QCOMPARE(QSize(header.width, header.height), size);
    QCOMPARE(header.bitDepth, 8);
    QCOMPARE(header.colourType, colourType);
    QCOMPARE(header.interlace, interlaced ? 1 : 0);

    QImage image;
    QVERIFY(image.loadFromData(data));
    QCOMPARE(image.size(), size);
    // Already deflated: stored in the collection as it is.
    QCOMPARE(QResource(path).compressionAlgorithm(), QResource::NoCompression);
}

void TestResources::iconFile()
{
    const QString path = QStringLiteral(":/Icon/KWII.ico");
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    QVERIFY(data.size() >= 6 + 2 * 16);
    const auto *p = reinterpret_cast<const uchar *>(data.constData());
    QCOMPARE(qFromLittleEndian<quint16>(p + 2), quint16(1)); // icon, not cursor
    QCOMPARE(qFromLittleEndian<quint16>(p + 4), quint16(2));
    QList<QSize> sizes;
    for (int i = 0; i < 2; ++i) {
        const uchar *entry = p + 6 + 16 * i;
        const int side = entry[0] ? entry[0] : 256;
        sizes << QSize(side, entry[1] ? entry[1] : 256);
        QCOMPARE(qFromLittleEndian<quint16>(entry + 6), quint16(8)); // bits per pixel
        const quint32 offset = qFromLittleEndian<quint32>(entry + 12);
        QVERIFY(offset + 40 <= quint32(data.size()));
        QCOMPARE(qFromLittleEndian<quint16>(p + offset + 14),
                 quint16(8)); // the bitmap's own header agrees
    }
    QCOMPARE(sizes, (QList<QSize>{QSize(32, 32), QSize(16, 16)}));

    // Qt's icon reader sees both images.
    QImageReader reader(path, "ico");
    QCOMPARE(reader.imageCount(), 2);
    QList<QSize> read;
    for (int i = 0; i < 2; ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        read << image.size();
    }
    QCOMPARE(read, sizes);
    QCOMPARE(QIcon(path).availableSizes().size(), 2);

    QVERIFY(QResource(path).compressionAlgorithm() != QResource::NoCompression);
}

void TestResources::noOtherFiles()
{
    QStringList files;
    for (const char *root : {":/Icon", ":/Logo"}) {
        QDirIterator it(QString::fromLatin1(root), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
    }
    files.sort();
    QCOMPARE(files,
             (QStringList{":/Icon/KVii_SplashScreen.png", ":/Icon/KWII.ico",
                          ":/Logo/design/down_arrow.png", ":/Logo/design/down_arrow_disabled.png",
                          ":/Logo/design/up_arrow.png", ":/Logo/design/up_arrow_disabled.png",
                          ":/Logo/header.png"}));
}

void TestResources::bannerInForm()
{
    QWidget window;
    Ui::KalvorIIControl ui;
    ui.setupUi(&window);
    const QPixmap banner = ui.Corvand_Logo_LB->pixmap();
    QVERIFY(!banner.isNull());
    QCOMPARE(banner.size(), QSize(950, 176));
    QVERIFY(ui.Corvand_Logo_LB->hasScaledContents());
    QCOMPARE(ui.Corvand_Logo_LB->size(), QSize(950, 175));
}

void TestResources::splashScaling_data()
{
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QSize>("shown");

    QTest::newRow("2:1 large") << QSize(1400, 700) << QSize(700, 350);
    QTest::newRow("square") << QSize(700, 700) << QSize(350, 350);
    QTest::newRow("small is enlarged") << QSize(200, 100) << QSize(700, 350);
    QTest::newRow("tall") << QSize(100, 400) << QSize(87, 350);
    QTest::newRow("wide") << QSize(2800, 700) << QSize(700, 175);
    QTest::newRow("exact fit") << QSize(700, 350) << QSize(700, 350);
}

void TestResources::splashScaling()
{
    QFETCH(QSize, source);
    QFETCH(QSize, shown);

    QPixmap pixmap(source);
    pixmap.fill(Qt::darkCyan);
    QCOMPARE(scaledSplash(pixmap).size(), shown);
}

void TestResources::splashFromResource()
{
    const QPixmap splash(QStringLiteral(":/Icon/KVii_SplashScreen.png"));
    QVERIFY(!splash.isNull());
    // 640 x 282 grows until the width reaches 700.
    QCOMPARE(scaledSplash(splash).size(), QSize(700, 308));
    // A missing image stays missing, quietly.
    QVERIFY(scaledSplash(QPixmap(QStringLiteral(":/Icon/missing.png"))).isNull());
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
