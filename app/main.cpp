#include "controller/kalvoriicontrol.h"
#include "link/ftdidriver.h"
#include "ui/splash.h"

#ifdef KALVOR2_SIMULATED_DEVICE
#include "sim/simulateddriver.h"
#else
#include "link/serialportdriver.h"
#endif

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QSplashScreen>
#include <QTest>
#include <QTranslator>

int main(int argc, char *argv[])
{
#ifdef KALVOR2_SIMULATED_DEVICE
    // The demo talks to a simulated device inside the process, at the pace
    // of a real one on the wire.
    setFtdiDriverFactory(
        [] { return std::make_unique<SimulatedDriver>(SimulatedDriver::Timing::WireRate); });
#else
    setFtdiDriverFactory([] { return std::make_unique<SerialPortDriver>(); });
#endif

    QApplication application(argc, argv);

    QPixmap splashPixmap(QStringLiteral(":/Icon/KVii_SplashScreen.png"));
    splashPixmap = scaledSplash(splashPixmap);
    QSplashScreen splash(splashPixmap);
    splash.show();

    // KVVIItr.qm in the current folder, found by Qt's default suffix and
    // search rules; without it the form's German texts stand.
    QTranslator translator;
    (void)translator.load(QStringLiteral("KVVIItr"));
    application.installTranslator(&translator);

    QElapsedTimer splashClock;
    splashClock.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1200);
        QTest::qSleep(10);
    } while (splashClock.elapsed() < 1200);

    // Lives until the process ends, together with its window, link and timers.
    auto *controller = new KalvorIIControl;
    splash.finish(controller->mainWidget);

    return application.exec();
}
