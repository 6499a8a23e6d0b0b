#pragma once

#include <QByteArray>
#include <QString>

// One measurement record as the device sends it, spelled out here rather than
// taken from the program, so that a test feeds the device's own text:
// recordText(17) is "Nr.: 17\nJJJJ:MM:DD:d:hh:mm:ss\n2012:03:05:1:14:07:59\n"
// "Messwert: 2,34Pos.: 045ID: 004\n".
inline QString recordText(int number,
                          const QString &stamp = QStringLiteral("2012:03:05:1:14:07:59"),
                          const QString &force = QStringLiteral("2,34"),
                          const QString &position = QStringLiteral("045"),
                          const QString &id = QStringLiteral("004"))
{
    return QStringLiteral("Nr.: %1\nJJJJ:MM:DD:d:hh:mm:ss\n%2\nMesswert: %3Pos.: %4ID: %5\n")
        .arg(QString::number(number), stamp, force, position, id);
}

// The record as a report of its own: its separator and a line end behind it.
inline QByteArray deviceRecord(int number,
                               const QString &stamp = QStringLiteral("2012:03:05:1:14:07:59"),
                               const QString &force = QStringLiteral("2,34"),
                               const QString &position = QStringLiteral("045"),
                               const QString &id = QStringLiteral("004"))
{
    return (recordText(number, stamp, force, position, id)
            + QStringLiteral("=========================\n"))
        .toLatin1();
}
