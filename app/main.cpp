#include "archive/measurementarchive.h"
#include "controller/kalvoriicontrol.h"
#include "session/pause.h"
#include "ui/language.h"
#include "ui/splash.h"

#ifdef KALVOR2_SIMULATED_DEVICE
#include "app/demooptions.h"
#include "sim/simulateddriver.h"
#endif

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QPixmap>
#include <QSplashScreen>
#include <QTranslator>

int main(int argc, char *argv[])
{
#ifdef KALVOR2_SIMULATED_DEVICE
    // The demo talks to a simulated device inside the process, at the pace
    // of a real one on the wire; its command line says how it behaves. Read
    // before the application exists, which would need a display even for
    // "--help".
    const DemoOptions options = demoOptionsFromArguments(argc, argv);
#endif
    QApplication application(argc, argv);
    // The window and its demo keep their archives in the same data folder.
    QCoreApplication::setApplicationName(QStringLiteral("kalvor2"));
#ifdef KALVOR2_SIMULATED_DEVICE
    std::unique_ptr<SimulatedDriver> simulated = simulatedDriver(options);
#endif

    QPixmap splashPixmap(QStringLiteral(":/Icon/KVii_SplashScreen.png"));
    splashPixmap = scaledSplash(splashPixmap);
    QSplashScreen splash(splashPixmap);
    splash.show();

    // KVVIItr.qm in the current folder, or the installed one on an English
    // desktop; without either the form's German texts stand.
    QTranslator translator;
    QTranslator qtTranslator;
    Language::install(application, translator, qtTranslator,
                      Language::translationFile(QDir::currentPath(), Language::installedFolder(),
                                                QLocale::system().uiLanguages()));

    // The splash stays up at least 1.2 s; the window and the device come after.
    pause(1200, 0);

    // Lives until the process ends, together with its window, link and timers.
#ifdef KALVOR2_SIMULATED_DEVICE
    auto *controller = new KalvorIIControl(std::move(simulated));
    controller->openArchive(options.archivePath.isEmpty() ? MeasurementArchive::demoPath()
                                                          : options.archivePath);
#else
    auto *controller = new KalvorIIControl;
    controller->openArchive(MeasurementArchive::defaultPath());
#endif
    splash.finish(controller->mainWidget);

    return application.exec();
}
