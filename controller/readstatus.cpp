#include "readstatus.h"

#include "controller/memoryread.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
// The window's texts share one translation context.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(KalvorIIControl)
};
} // namespace

ReadStatus readStatus(const MemoryRead &read)
{
    const int expected = read.expected();
    switch (read.outcome()) {
    case MemoryRead::Outcome::NotRead:
        return {};
    case MemoryRead::Outcome::Running:
        if (expected >= 0 && read.arrived() <= expected)
            return {Texts::tr("Lese Messwerte … %1 von %2").arg(read.arrived()).arg(expected)};
        return {Texts::tr("Lese Messwerte … %1 gelesen").arg(read.arrived())};
    case MemoryRead::Outcome::Complete:
        return {Texts::tr("%1 Messwerte gelesen").arg(read.rows())};
    case MemoryRead::Outcome::Incomplete:
        if (expected >= 0)
            return {Texts::tr("Nur %1 von %2 Messwerten empfangen – bitte erneut lesen")
                        .arg(read.rows())
                        .arg(expected),
                    true};
        return {Texts::tr("Nur %1 Messwerte empfangen – bitte erneut lesen").arg(read.rows()),
                true};
    case MemoryRead::Outcome::NoAnswer:
        return {Texts::tr("Keine Antwort vom Gerät"), true};
    }
    return {};
}

QString clearQuestionDetail(const MemoryRead &read)
{
    // After an unplug the device may be another one: what was read and
    // exported says nothing about its memory.
    if (read.fromEarlierConnection())
        return Texts::tr("Messwerte noch nicht gelesen");
    const int expected = read.expected();
    switch (read.outcome()) {
    case MemoryRead::Outcome::Complete:
        if (expected == 0)
            return Texts::tr("Keine Messwerte im Gerät");
        if (expected < 0)
            return read.exportedSinceRead()
                ? Texts::tr("%1 Messwerte gelesen und exportiert").arg(read.rows())
                : Texts::tr("%1 Messwerte gelesen, noch nicht exportiert").arg(read.rows());
        return read.exportedSinceRead()
            ? Texts::tr("%1 Messwerte im Gerät, gelesen und exportiert").arg(expected)
            : Texts::tr("%1 Messwerte im Gerät, noch nicht exportiert").arg(expected);
    case MemoryRead::Outcome::Incomplete:
        if (expected >= 0)
            return Texts::tr("%1 Messwerte im Gerät, nicht vollständig gelesen").arg(expected);
        return Texts::tr("Messwerte nicht vollständig gelesen");
    case MemoryRead::Outcome::NotRead:
    case MemoryRead::Outcome::Running:
    case MemoryRead::Outcome::NoAnswer:
        break;
    }
    return Texts::tr("Messwerte noch nicht gelesen");
}

QString exportedStatus(const QString &pointFile, const QString &commaFile, bool commaWritten)
{
    const QString point = QFileInfo(pointFile).fileName();
    if (!commaWritten)
        return Texts::tr("Exportiert: %1, Kommadatei nicht geschrieben").arg(point);
    return Texts::tr("Exportiert: %1, %2").arg(point, QFileInfo(commaFile).fileName());
}
