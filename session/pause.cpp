#include "pause.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

void pause(int eventsMs, int sleepMs)
{
    QElapsedTimer timer;
    timer.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, eventsMs);
        QThread::msleep(10);
    } while (timer.elapsed() < eventsMs);
    if (sleepMs > 0)
        QThread::msleep(sleepMs);
}
