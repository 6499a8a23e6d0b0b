// The link against a recording fake driver: call order, bytes on the wire,
// the receive buffer and the inverted success sense of open and close.

#include "fakedriver.h"
#include "link/ftdi_control.h"
#include "sim/simulateddevice.h"
#include "sim/simulateddriver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

namespace {

struct Link
{
    FakeDriver *fake = nullptr;
    std::unique_ptr<FTDI_Control> link;
    explicit Link(const std::function<void(FakeDriver &)> &prepare = {})
    {
        auto driver = std::make_unique<FakeDriver>();
        fake = driver.get();
        if (prepare)
            prepare(*fake);
        link = std::make_unique<FTDI_Control>(std::move(driver));
    }
    void poll() { link->poll(); }
    QByteArray take(int n)
    {
        QByteArray out(n, '\0');
        out.truncate(link->takeBytes(out.data(), n));
        return out;
    }
};

// The event loop as the program runs it (QTest::qWait sleeps 10 ms between
// its rounds, which no millisecond timer could keep up with).
void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

class TestFtdiControl : public QObject
{
    Q_OBJECT

private slots:
    void openWritesOpeningTextAfterSerialSettings();
    void openAndCloseReportFailureAsTrue();
    void failedOpenLeavesLinkClosedAndSilent();
    void deviceCount_data();
    void deviceCount();
    void sendText();
    void zeroBytesAreDroppedAlone();
    void highBytesRoundTrip();
    void largeQueueIsReadInBoundedPollsWithoutLoss();
    void takeBytesPartialZeroAndTooMany();
    void unpluggedDriverClosesTheLink();
    void pollBacksOffWhenIdle();
    void announcedBytesArePolledAtOnce();
    void announcementInsideADriverCallWaits();
    void simulatedConverterWakesTheQuietLink();
};

void TestFtdiControl::openWritesOpeningTextAfterSerialSettings()
{
    Link l([](FakeDriver &f) { f.deviceCountResult = 2; });
    QCOMPARE(l.link->openDevice(QStringLiteral("anything at all")), false);
    QVERIFY(l.link->isOpen());

    QStringList order;
    for (const auto &call : l.fake->calls)
        order << call.operation;
    QCOMPARE(order, QStringList({"open", "setBaudRate", "setDataCharacteristics", "write"}));
    // With two converters the first in the driver's list is opened.
    QCOMPARE(l.fake->calls.at(0).arg1, 0u);
    QCOMPARE(l.fake->calls.at(1).arg1, 115200u);
    QCOMPARE(l.fake->calls.at(2).arg1, 8u);
    QCOMPARE(l.fake->calls.at(2).arg2, 0u);
    QCOMPARE(l.fake->calls.at(2).arg3, 0u);
    QCOMPARE(l.fake->writes(), QList<QByteArray>{QByteArray("\nUP\n\n\r")});
}

void TestFtdiControl::openAndCloseReportFailureAsTrue()
{
    Link l;
    QCOMPARE(l.link->closeDevice(), true); // closed link: nothing to close
    QVERIFY(l.fake->calls.isEmpty());

    QCOMPARE(l.link->openDevice(QString()), false);
    l.fake->clearLog();
    QCOMPARE(l.link->openDevice(QString()), true); // already open
    QVERIFY(l.fake->calls.isEmpty());              // no second opening text

    l.fake->closeStatus = FT_IO_ERROR;
    QCOMPARE(l.link->closeDevice(), true);
    QVERIFY(l.link->isOpen());
    l.fake->closeStatus = FT_OK;
    QCOMPARE(l.link->closeDevice(), false);
    QVERIFY(!l.link->isOpen());
    l.fake->clearLog();
    QCOMPARE(l.link->closeDevice(), true);
    QVERIFY(l.fake->calls.isEmpty());
}

void TestFtdiControl::failedOpenLeavesLinkClosedAndSilent()
{
    Link l([](FakeDriver &f) { f.openStatus = FT_DEVICE_NOT_OPENED; });
    QCOMPARE(l.link->openDevice(QString()), true);
    QVERIFY(!l.link->isOpen());
    l.fake->deliver("data");
    l.fake->clearLog();
    QCOMPARE(l.link->sendText(QStringLiteral("71\n")), 0);
    l.poll();
    QVERIFY(l.fake->calls.isEmpty());
    QCOMPARE(l.link->bytesAvailable(), 0);
}

void TestFtdiControl::deviceCount_data()
{
    QTest::addColumn<quint32>("listed");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("expected");
    QTest::newRow("none") << 0u << int(FT_OK) << 0;
    QTest::newRow("one") << 1u << int(FT_OK) << 1;
    QTest::newRow("two") << 2u << int(FT_OK) << 2;
    QTest::newRow("driver fails") << 3u << int(FT_OTHER_ERROR) << -1;
}

void TestFtdiControl::deviceCount()
{
    QFETCH(quint32, listed);
    QFETCH(int, status);
    QFETCH(int, expected);
    Link l([&](FakeDriver &f) {
        f.deviceCountResult = listed;
        f.listStatus = FT_STATUS(status);
    });
    QCOMPARE(l.link->deviceCount(), expected);
}

void TestFtdiControl::sendText()
{
    Link l;
    QCOMPARE(l.link->sendText(QStringLiteral("71\n")), 0); // closed: no driver call
    QVERIFY(l.fake->calls.isEmpty());

    l.link->openDevice(QString());
    l.fake->clearLog();
    QCOMPARE(l.link->sendText(QStringLiteral("71\n")), 3);
    QCOMPARE(l.fake->writes(), QList<QByteArray>{QByteArray("\x37\x31\x0a")});

    // Latin-1 both ways; what Latin-1 cannot carry goes out as '?'.
    l.fake->clearLog();
    l.link->sendText(QString::fromUtf8("ü€"));
    QCOMPARE(l.fake->writtenBytes(), QByteArray("\xfc?"));
}

void TestFtdiControl::zeroBytesAreDroppedAlone()
{
    Link l;
    l.link->openDevice(QString());
    l.fake->deliver(QByteArray("ab\0cd", 5));
    l.poll();
    QCOMPARE(l.link->bytesAvailable(), 4);
    QCOMPARE(l.take(4), QByteArray("abcd"));

    // A zero byte is dropped alone: the rest of its read (a measurement, say)
    // stays.
    QByteArray first(4096, 'x');
    first[10] = '\0';
    first[4095] = '\0';
    l.fake->deliver(first + "next");
    l.poll();
    l.poll();
    QCOMPARE(l.take(5000), QByteArray(4094, 'x') + "next");
}

void TestFtdiControl::highBytesRoundTrip()
{
    Link l;
    l.link->openDevice(QString());
    QByteArray high;
    for (int b = 0x80; b <= 0xff; ++b)
        high.append(char(b));
    l.fake->deliver(high);
    l.poll();
    QCOMPARE(l.link->bytesAvailable(), 128);
    QCOMPARE(l.take(128), high);
}

void TestFtdiControl::largeQueueIsReadInBoundedPollsWithoutLoss()
{
    Link l;
    l.link->openDevice(QString());
    QByteArray data;
    for (int i = 0; i < 10000; ++i)
        data.append(char('A' + i % 26));
    l.fake->deliver(data);
    l.fake->clearLog();
    for (int i = 0; i < 3; ++i)
        l.poll();
    for (const auto &read : l.fake->callsOf(QStringLiteral("read")))
        QVERIFY2(read.arg1 <= 4096, "a read must never ask for more than the poll buffer holds");
    QCOMPARE(l.link->bytesAvailable(), 10000);
    QCOMPARE(l.take(10000), data);
}

void TestFtdiControl::takeBytesPartialZeroAndTooMany()
{
    Link l;
    l.link->openDevice(QString());
    l.fake->deliver("0123456789");
    l.poll();
    char buffer[32];
    QCOMPARE(l.link->takeBytes(buffer, 0), 0);
    QCOMPARE(l.link->bytesAvailable(), 10);
    QCOMPARE(l.take(4), QByteArray("0123"));
    QCOMPARE(l.take(3), QByteArray("456"));
    // Asking for more than is there would wait forever on this one thread;
    // the link hands over what it has instead.
    QCOMPARE(l.take(20), QByteArray("789"));
    QCOMPARE(l.link->bytesAvailable(), 0);
}

// A converter that fails under the open link: no read with a garbage count,
// the link closes its handle and says it is closed, what arrived before
// stays, and the converter can be opened again.
void TestFtdiControl::unpluggedDriverClosesTheLink()
{
    Link l;
    l.link->openDevice(QString());
    l.fake->deliver("before");
    l.poll();
    l.fake->unplugged = true;
    l.fake->clearLog();
    l.poll(); // the failed status call leaves a garbage count: no read follows
    QVERIFY(l.fake->callsOf(QStringLiteral("read")).isEmpty());
    QCOMPARE(l.fake->callsOf(QStringLiteral("close")).size(), 1);
    QVERIFY(!l.link->isOpen());
    QCOMPARE(l.link->status(), FT_STATUS(FT_IO_ERROR));
    QCOMPARE(l.link->sendText(QStringLiteral("71\n")), 0);
    QVERIFY(l.fake->writes().isEmpty());
    QCOMPARE(l.take(6), QByteArray("before"));

    l.fake->unplugged = false;
    QCOMPARE(l.link->openDevice(QString()), false);
    QCOMPARE(l.fake->writes(), QList<QByteArray>{QByteArray("\nUP\n\n\r")});

    // A refused write closes it the same way.
    l.fake->writeStatus = FT_IO_ERROR;
    QCOMPARE(l.link->sendText(QStringLiteral("2324")), 0);
    QVERIFY(!l.link->isOpen());
}

// The poll runs only while a converter is open; every millisecond while
// bytes flow, slowly (every 20 ms) once the line has been quiet for a second.
void TestFtdiControl::pollBacksOffWhenIdle()
{
    Link l;
    QTest::qWait(300);
    QCOMPARE(l.fake->getStatusCount, 0); // nothing open, nothing polled
    l.link->openDevice(QString());
    l.fake->deliver("tick");
    QTRY_COMPARE(l.link->bytesAvailable(), 4);

    runEventLoop(FTDI_Control::fastWindowMs + 100);
    // A driver that cannot announce its bytes keeps the slow poll.
    QVERIFY(l.link->pollingTimer()->isActive());
    QCOMPARE(l.link->pollingTimer()->interval(), FTDI_Control::slowPollMs);
    l.fake->getStatusCount = 0;
    runEventLoop(2000);
    const int silent = l.fake->getStatusCount;

    QTimer device; // a device that sends a byte every 10 ms
    QObject::connect(&device, &QTimer::timeout, [&l] { l.fake->deliver("x"); });
    device.start(10);
    runEventLoop(100);
    l.fake->getStatusCount = 0;
    runEventLoop(2000);
    const int streaming = l.fake->getStatusCount;
    QVERIFY2(silent <= 2000 / FTDI_Control::slowPollMs + 20, qPrintable(QString::number(silent)));
    QVERIFY2(silent > 0, "a quiet open link must still be polled");
    QVERIFY2(
        streaming > 4 * silent,
        qPrintable(QStringLiteral("%1 polls streaming, %2 silent").arg(streaming).arg(silent)));

    l.link->closeDevice();
    l.fake->getStatusCount = 0;
    QTest::qWait(200);
    QCOMPARE(l.fake->getStatusCount, 0);
}

// A driver that announces arriving bytes: the quiet link is not polled at
// all, an announcement polls at once (no timer tick needed), bytes start the
// fast window again, and an announced failure closes the link.
void TestFtdiControl::announcedBytesArePolledAtOnce()
{
    Link l([](FakeDriver &f) { f.notifies = true; });
    l.link->openDevice(QString());
    QCOMPARE(l.fake->notificationMask, quint32(FT_EVENT_RXCHAR));
    runEventLoop(FTDI_Control::fastWindowMs + 100);
    QVERIFY(!l.link->pollingTimer()->isActive());
    l.fake->getStatusCount = 0;
    runEventLoop(300);
    QCOMPARE(l.fake->getStatusCount, 0);

    l.fake->deliver("ab");
    QCOMPARE(l.link->bytesAvailable(), 0); // not polled inside the announcement
    QCoreApplication::sendPostedEvents();
    QCOMPARE(l.take(2), QByteArray("ab"));
    QVERIFY(l.link->pollingTimer()->isActive());
    QCOMPARE(l.link->pollingTimer()->interval(), FTDI_Control::fastPollMs);

    runEventLoop(FTDI_Control::fastWindowMs + 100);
    QVERIFY(!l.link->pollingTimer()->isActive());
    l.fake->unplugged = true;
    l.fake->notify();
    QCoreApplication::sendPostedEvents();
    QVERIFY(!l.link->isOpen());
}

// An event loop run from inside a driver call (here the fake's write)
// neither polls through an announcement nor through the poll timer: the poll
// comes right after the call.
void TestFtdiControl::announcementInsideADriverCallWaits()
{
    Link l([](FakeDriver &f) { f.notifies = true; });
    l.link->openDevice(QString());
    int pollsInsideWrite = -1;
    l.fake->onWrite = [&l, &pollsInsideWrite](const QByteArray &) {
        const int before = l.fake->getStatusCount;
        l.fake->deliver("answer");
        QTest::qSleep(2 * FTDI_Control::fastPollMs);
        QCoreApplication::processEvents();
        pollsInsideWrite = l.fake->getStatusCount - before;
    };
    QCOMPARE(l.link->sendText(QStringLiteral("71\n")), 3);
    l.fake->onWrite = nullptr;
    QCOMPARE(pollsInsideWrite, 0);
    QCOMPARE(l.link->bytesAvailable(), 0);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(l.take(6), QByteArray("answer"));
}

// The simulated converter in real time wakes a link that does not poll: the
// device's answer to a command without a line end (due after its pause, then
// at the wire rate) reaches the link with the poll timer stopped, and an
// unplug closes the link at the next turn of the event loop.
void TestFtdiControl::simulatedConverterWakesTheQuietLink()
{
    auto made = std::make_unique<SimulatedDriver>(SimulatedDriver::Timing::WireRate,
                                                  SimulatedDevice::createDemo());
    SimulatedDriver *driver = made.get();
    FTDI_Control link(std::move(made));
    QCOMPARE(link.openDevice(QString()), false);
    runEventLoop(FTDI_Control::fastWindowMs + 300);
    QVERIFY(!link.pollingTimer()->isActive());
    QByteArray greeting(link.bytesAvailable(), '\0');
    link.takeBytes(greeting.data(), int(greeting.size()));

    QCOMPARE(link.sendText(QStringLiteral("2324")), 4);
    link.pollingTimer()->stop();
    QElapsedTimer waited;
    waited.start();
    while (link.bytesAvailable() == 0 && waited.elapsed() < 2000)
        runEventLoop(1);
    QVERIFY2(link.bytesAvailable() > 0, "the answer never reached the quiet link");
    QVERIFY2(link.bytesAvailable() < 2000, "the answer came all at once, not at the wire rate");

    runEventLoop(50);
    link.pollingTimer()->stop();
    QCoreApplication::sendPostedEvents(); // no poll of the stream left waiting
    driver->unplug();
    QCoreApplication::sendPostedEvents();
    QVERIFY(!link.isOpen());
    QCOMPARE(link.status(), FT_STATUS(FT_IO_ERROR));
}

QTEST_GUILESS_MAIN(TestFtdiControl)
#include "tst_ftdicontrol.moc"
