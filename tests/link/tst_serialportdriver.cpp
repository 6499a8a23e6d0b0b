// The real backend against a pseudo-terminal: the link's bytes arrive at the
// other end, the other end's bytes arrive in the link (at once, also while the
// link does not poll), and closing the other end (as an unplug does) makes
// later calls fail without a crash or a hang, and is noticed by itself.

#include "controller/kalvoriicontrol.h"
#include "link/ftdi_control.h"
#include "link/serialportdriver.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <algorithm>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace {

QByteArray readAvailable(int fd, int expected, int timeoutMs = 3000)
{
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    while (out.size() < expected && timer.elapsed() < timeoutMs) {
        char buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            out.append(buffer, n);
        else
            QTest::qWait(5);
    }
    return out;
}

// The event loop as the program runs it, without the sleeps of QTest::qWait.
void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

class TestSerialPortDriver : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void bytesFlowBothWays();
    void unplugMakesLaterCallsFail();
    void quietLinkWakesOnArrivingBytes();
    void unplugOfAQuietConverterIsNoticed();
    void noPortsMeansNoDevice();
    void portsInNaturalOrder();
    void converterPluggedInLaterIsFound();

private:
    // The converter pulled out: both ends of the pseudo-terminal closed.
    void pullOut();

    int m_master = -1;
    int m_slave = -1;
    QString m_slaveName;
};

void TestSerialPortDriver::init()
{
    char name[256] = {};
    QVERIFY(::openpty(&m_master, &m_slave, name, nullptr, nullptr) == 0);
    m_slaveName = QString::fromLocal8Bit(name);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

void TestSerialPortDriver::cleanup()
{
    pullOut();
}

void TestSerialPortDriver::pullOut()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_master = m_slave = -1;
}

void TestSerialPortDriver::bytesFlowBothWays()
{
    FTDI_Control link(std::make_unique<SerialPortDriver>(QStringList{m_slaveName}));
    QCOMPARE(link.deviceCount(), 1);
    QCOMPARE(link.openDevice(QStringLiteral("USB Serial Converter")), false);
    QCOMPARE(readAvailable(m_master, 6), QByteArray("\nUP\n\n\r"));

    QCOMPARE(link.sendText(QStringLiteral("2324")), 4);
    QCOMPARE(readAvailable(m_master, 4), QByteArray("2324"));

    const QByteArray fromDevice("Nr.: 1\n\x80\xff=====");
    QCOMPARE(::write(m_master, fromDevice.constData(), size_t(fromDevice.size())),
             ssize_t(fromDevice.size()));
    QTRY_COMPARE(link.bytesAvailable(), int(fromDevice.size()));
    QByteArray got(fromDevice.size(), '\0');
    QCOMPARE(link.takeBytes(got.data(), int(got.size())), int(fromDevice.size()));
    QCOMPARE(got, fromDevice);
    QCOMPARE(link.closeDevice(), false);
}

void TestSerialPortDriver::unplugMakesLaterCallsFail()
{
    FTDI_Control link(std::make_unique<SerialPortDriver>(QStringList{m_slaveName}));
    QCOMPARE(link.openDevice(QString()), false);
    QCOMPARE(readAvailable(m_master, 6).size(), 6);
    // Our own copy of the slave end would keep the line alive; the pty reports
    // a hang-up only when every slave descriptor but the port's is gone.
    pullOut();

    // A write now fails at once and closes the link: it does not count as
    // sent.
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(link.sendText(QStringLiteral("221")), 0);
    QVERIFY(!link.isOpen());
    QVERIFY(link.status() != FT_OK);
    QCOMPARE(link.sendText(QStringLiteral("71\n")), 0);
    QTest::qWait(200); // nothing polls a closed link: no crash, no hang
    QCOMPARE(link.bytesAvailable(), 0);
    QVERIFY(timer.elapsed() < 6000);
}

// Once the line has been quiet for the fast window the link stops polling;
// a byte from the device reaches its buffer within a few milliseconds all
// the same.
void TestSerialPortDriver::quietLinkWakesOnArrivingBytes()
{
    FTDI_Control link(std::make_unique<SerialPortDriver>(QStringList{m_slaveName}));
    QCOMPARE(link.openDevice(QString()), false);
    QCOMPARE(readAvailable(m_master, 6).size(), 6);
    QList<qint64> delaysUs;
    for (int sample = 0; sample < 3; ++sample) {
        runEventLoop(FTDI_Control::fastWindowMs + 100);
        QVERIFY(!link.pollingTimer()->isActive());
        const char byte = char('a' + sample);
        QElapsedTimer waited;
        QCOMPARE(::write(m_master, &byte, 1), ssize_t(1));
        waited.start();
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (link.bytesAvailable() > 0 || waited.elapsed() > 1000)
                loop.quit();
        });
        check.start(0);
        loop.exec();
        delaysUs << waited.nsecsElapsed() / 1000;
        char got = 0;
        QCOMPARE(link.takeBytes(&got, 1), 1);
        QCOMPARE(got, byte);
    }
    std::sort(delaysUs.begin(), delaysUs.end());
    QVERIFY2(delaysUs.at(1) <= 5000,
             qPrintable(QStringLiteral("median %1 µs to the link's buffer").arg(delaysUs.at(1))));
}

// A converter pulled out while the line is quiet (and the link not polling)
// is noticed by itself: the link closes and the window says so within a
// fraction of a second, without a command that would find out.
void TestSerialPortDriver::unplugOfAQuietConverterIsNoticed()
{
    KalvorIIControl controller(std::make_unique<SerialPortDriver>(QStringList{m_slaveName}));
    QCOMPARE(controller.ui.FTDI_connection_LB->text(),
             QStringLiteral("1 Kalvor 2 found and 1 connected"));
    runEventLoop(FTDI_Control::fastWindowMs + 200);
    QVERIFY(!controller.link->pollingTimer()->isActive());
    pullOut();
    QElapsedTimer timer;
    timer.start();
    QTRY_VERIFY_WITH_TIMEOUT(
        controller.ui.FTDI_connection_LB->text().endsWith(QStringLiteral(" and 0 connected")),
        3000);
    QVERIFY2(timer.elapsed() < 500, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
    QVERIFY(!controller.link->isOpen());
}

// ttyUSB2 comes before ttyUSB10: the numbers in port names by value.
void TestSerialPortDriver::portsInNaturalOrder()
{
    SerialPortDriver driver([] {
        return QStringList{"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyUSB1", "ttyUSB02a", "ttyUSB2"};
    });
    quint32 count = 0;
    QCOMPARE(driver.createDeviceInfoList(&count), FT_OK);
    QCOMPARE(count, 6u);
    QCOMPARE(driver.portNames(),
             QStringList({"ttyACM0", "ttyUSB1", "ttyUSB2", "ttyUSB2", "ttyUSB02a", "ttyUSB10"}));
}

// kalvor2 started without a converter finds one plugged in later, opens it
// as at start and asks for its configuration, without a click.
void TestSerialPortDriver::converterPluggedInLaterIsFound()
{
    bool plugged = false;
    const QString name = m_slaveName;
    KalvorIIControl controller(std::make_unique<SerialPortDriver>(
        [&plugged, name] { return plugged ? QStringList{name} : QStringList{}; }));
    QCOMPARE(controller.ui.FTDI_connection_LB->text(),
             QStringLiteral("0 Kalvor 2 found and 0 connected"));
    plugged = true;
    QTRY_COMPARE_WITH_TIMEOUT(controller.ui.FTDI_connection_LB->text(),
                              QStringLiteral("1 Kalvor 2 found and 1 connected"), 3000);
    QCOMPARE(readAvailable(m_master, 10), QByteArray("\nUP\n\n\r\n71\n"));
}

void TestSerialPortDriver::noPortsMeansNoDevice()
{
    FTDI_Control link(std::make_unique<SerialPortDriver>(QStringList{}));
    QCOMPARE(link.deviceCount(), 0);
    QCOMPARE(link.openDevice(QString()), true);
    QVERIFY(!link.isOpen());

    FTDI_Control missing(std::make_unique<SerialPortDriver>(QStringList{"/dev/does-not-exist"}));
    QCOMPARE(missing.deviceCount(), 1);
    QCOMPARE(missing.openDevice(QString()), true);
}

QTEST_MAIN(TestSerialPortDriver)
#include "tst_serialportdriver.moc"
