#include "chartimagefile.h"

#include "ui/measurementchart.h"

#include <QCoreApplication>
#include <QSaveFile>

#include <cerrno>

QString saveChartImage(const MeasurementChart &chart, const QString &fileName, int *systemError)
{
    int unused = 0;
    int &error = systemError ? *systemError : unused;
    error = 0;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        error = errno;
        return file.errorString();
    }
    const bool written = chart.writeImage(&file, MeasurementChart::imageFormatFor(fileName));
    if (!written || file.error() != QFileDevice::NoError) {
        error = errno;
        const QString reason = file.error() != QFileDevice::NoError
            ? file.errorString()
            : QCoreApplication::translate("MeasurementChart",
                                          "Das Bild konnte nicht vollständig geschrieben werden.");
        file.cancelWriting();
        return reason;
    }
    if (!file.commit()) {
        error = errno;
        return file.errorString();
    }
    return QString();
}
