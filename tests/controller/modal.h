#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs `act` on the next modal dialog as soon as it is up (a message box or
// the save dialog that a slot opens and waits for). A watcher that is still
// waiting when the test ends must be deleted by the test.
inline QPointer<QTimer> onNextModal(std::function<void(QWidget *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start();
    return timer;
}
