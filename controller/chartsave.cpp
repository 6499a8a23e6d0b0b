#include "chartsave.h"

#include "controller/exportsession.h"
#include "export/filewriter.h"
#include "export/measurementexport.h"
#include "session/clock.h"
#include "ui/measurementchart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {
// The window's texts share one translation context.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(KalvorIIControl)
};
} // namespace

void saveChartImage(QWidget *parent, const MeasurementChart &chart)
{
    const QString proposed = MeasurementExport::proposedFileName(Clock::currentDateTime(),
                                                                 QStringLiteral("_chart.png"));
    const QString png = Texts::tr("PNG-Bild (*.png)");
    const QString svg = Texts::tr("SVG-Grafik (*.svg)");
    QString filter = png;
    QString chosen = QFileDialog::getSaveFileName(parent, Texts::tr("Diagramm speichern"),
                                                  QDir::currentPath() + QLatin1Char('/') + proposed,
                                                  png + QLatin1String(";;") + svg, &filter);
    if (chosen.isEmpty())
        return;
    const QString suffix = QFileInfo(chosen).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("svg"))
        chosen += filter == svg ? QLatin1String(".svg") : QLatin1String(".png");
    const auto format = chosen.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)
        ? MeasurementChart::ImageFormat::Svg
        : MeasurementChart::ImageFormat::Png;
    const FileWriter::Result result = FileWriter::write(
        chosen, [&](QIODevice &device) { return chart.writeImage(&device, format); });
    if (!result.written)
        warnNotWritten(parent, chosen, result.reason);
}
