#include "pause.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

void pause(int eventsMs, int sleepMs)
{
    QElapsedTimer timer;
    timer.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, eventsMs);
        QTest::qSleep(10);
    } while (timer.elapsed() < eventsMs);
    if (sleepMs > 0)
        QTest::qSleep(sleepMs);
}
