// The "Diagramm" page on its own: the summary line's numbers, zooming and
// panning, where the legend and the series stand, and the saved image's
// title.

#include "ui/measurementchart.h"
#include "ui/measurementsummary.h"

#include <QBuffer>
#include <QLabel>
#include <QXmlStreamReader>
#include <QtTest>
#include <qcustomplot.h>

#include <limits>

namespace {

MeasurementRow row(int number, double force, double position, const QDateTime &time = {})
{
    MeasurementRow r;
    r.number = number;
    r.force = force;
    r.sleevePosition = position;
    r.timeStamp = time;
    r.cells = QStringList(MeasurementRow::ColumnCount, QString());
    return r;
}

// Rows 1 to n, with force and position going up and down.
QList<MeasurementRow> wave(int n)
{
    QList<MeasurementRow> rows;
    for (int i = 1; i <= n; ++i)
        rows << row(i, 20 + 10 * std::sin(i / 7.0), 3 + 2 * std::cos(i / 11.0));
    return rows;
}

QPoint centreOf(const QCustomPlot *plot)
{
    return plot->axisRect()->rect().center();
}

void wheel(QCustomPlot *plot, QPoint at, int steps)
{
    QWheelEvent event(at, plot->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(plot, &event);
}

} // namespace

class TestChart : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void summaryOfKnownRows();
    void wheelZoomsDragPansDoubleClickShowsAll();
    void legendAndForceStayReadable();
    void denseTrendShowsDots();
    void imageTitleNamesDeviceReadAndCount();

private:
    void settle();

    MeasurementChart *m_chart = nullptr;
};

void TestChart::init()
{
    m_chart = new MeasurementChart;
    m_chart->resize(929, 270);
    m_chart->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_chart));
}

void TestChart::cleanup()
{
    delete m_chart;
    m_chart = nullptr;
}

// The chart replots on the next pass of the event loop; the axes' pixels are
// known after it.
void TestChart::settle()
{
    QCoreApplication::processEvents();
    m_chart->plot()->replot();
}

// Count, first and last day, force lowest, mean and highest, position range:
// from rows whose numbers are worked out by hand, one of them without a valid
// time, one with a force and one with a position that are no numbers.
void TestChart::summaryOfKnownRows()
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QList<MeasurementRow> rows = {
        row(1, 2.5, 4.0, QDateTime(QDate(2012, 3, 6), QTime(9, 0))),
        row(2, 1.5, -2.0, QDateTime(QDate(2012, 3, 5), QTime(14, 7, 59))),
        row(3, -inf, 7.1, QDateTime()),
        row(4, 4.0, nan, QDateTime(QDate(2012, 3, 7), QTime(23, 59, 59))),
        row(5, 3.0, 0.5, QDateTime(QDate(2012, 3, 6), QTime(10, 0))),
    };
    MeasurementSummary summary;
    for (const MeasurementRow &r : rows)
        summary.add(r);
    QCOMPARE(summary.rows, 5);
    QCOMPARE(summary.first, QDateTime(QDate(2012, 3, 5), QTime(14, 7, 59)));
    QCOMPARE(summary.last, QDateTime(QDate(2012, 3, 7), QTime(23, 59, 59)));
    QCOMPARE(summary.forces, 4);
    QCOMPARE(summary.forceMin, 1.5);
    QCOMPARE(summary.forceMean(), 2.75); // (2.5 + 1.5 + 4 + 3) / 4
    QCOMPARE(summary.forceMax, 4.0);
    QCOMPARE(summary.positions, 4);
    QCOMPARE(summary.positionMin, -2.0);
    QCOMPARE(summary.positionMax, 7.1);
    QCOMPARE(summary.text(QLocale(QLocale::German, QLocale::Germany)),
             QStringLiteral("Messwerte: 5 · 05.03.2012 bis 07.03.2012 · "
                            "Kraft 1,50 bis 4,00 kN (Mittel 2,75) · "
                            "Hülsenposition -2,00 bis 7,10 mm"));

    // The page shows it above the chart, in two batches as in a read, and
    // starts again with the table.
    const auto *line = m_chart->findChild<QLabel *>(QStringLiteral("DiagrammUebersicht_lb"));
    QVERIFY(line);
    m_chart->appendRows(rows.mid(0, 2));
    m_chart->appendRows(rows, 2);
    QCOMPARE(line->text(), summary.text(m_chart->locale()));
    QVERIFY(line->geometry().bottom() < m_chart->plot()->geometry().top());
    m_chart->clear();
    QCOMPARE(m_chart->summary().rows, 0);
    QCOMPARE(line->text(), QStringLiteral("Keine Messwerte"));
}

void TestChart::wheelZoomsDragPansDoubleClickShowsAll()
{
    QCustomPlot *plot = m_chart->plot();
    const QList<MeasurementRow> rows = wave(400);
    m_chart->appendRows(rows.mid(0, 300));
    settle();
    const QCPRange all = plot->xAxis->range();
    const QCPRange forces = plot->yAxis->range();
    QVERIFY(all.contains(1) && all.contains(300));

    // Over the measurement number the wheel zooms the numbers only.
    wheel(plot, centreOf(plot), 3);
    settle();
    const QCPRange zoomed = plot->xAxis->range();
    QVERIFY2(zoomed.size() < all.size() * 0.75, qPrintable(QString::number(zoomed.size())));
    QCOMPARE(plot->yAxis->range(), forces);
    QVERIFY(!m_chart->showsAll());

    // Rows arriving meanwhile leave the view where the user put it.
    m_chart->appendRows(rows, 300);
    settle();
    QCOMPARE(plot->xAxis->range(), zoomed);

    // A drag to the right shows lower numbers.
    const QPoint from = centreOf(plot);
    const QPoint to = from + QPoint(100, 0);
    QTest::mousePress(plot, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(plot, from + QPoint(50, 0));
    QTest::mouseMove(plot, to);
    QTest::mouseRelease(plot, Qt::LeftButton, Qt::NoModifier, to);
    settle();
    const QCPRange panned = plot->xAxis->range();
    QVERIFY2(panned.lower < zoomed.lower - zoomed.size() * 0.05,
             qPrintable(QStringLiteral("%1 after %2").arg(panned.lower).arg(zoomed.lower)));
    QVERIFY(qAbs(panned.size() - zoomed.size()) < zoomed.size() * 1e-6);

    // A double-click shows every row again, the ones that came meanwhile too.
    QTest::mouseDClick(plot, Qt::LeftButton, Qt::NoModifier, centreOf(plot));
    settle();
    QVERIFY(m_chart->showsAll());
    QVERIFY(plot->xAxis->range().contains(1) && plot->xAxis->range().contains(400));

    // The scatter plot zooms both ways.
    m_chart->setView(MeasurementChart::View::ForceOverPosition);
    settle();
    const QCPRange positions = plot->xAxis->range();
    const QCPRange scatterForces = plot->yAxis->range();
    wheel(plot, centreOf(plot), 2);
    settle();
    QVERIFY(plot->xAxis->range().size() < positions.size());
    QVERIFY(plot->yAxis->range().size() < scatterForces.size());
}

// The legend stands outside the axes, in both views, so that no point lies
// under it; the force series is drawn after the sleeve position, so that
// where they cross the force is on top.
void TestChart::legendAndForceStayReadable()
{
    QCustomPlot *plot = m_chart->plot();
    m_chart->appendRows(wave(50));
    for (const auto view :
         {MeasurementChart::View::Trend, MeasurementChart::View::ForceOverPosition}) {
        m_chart->setView(view);
        settle();
        QVERIFY(plot->legend->visible() && plot->legend->itemCount() >= 1);
        QVERIFY(!plot->legend->outerRect().intersects(plot->axisRect()->rect()));
    }
    m_chart->setView(MeasurementChart::View::Trend);
    QCOMPARE(plot->legend->itemCount(), 2);
    QCPGraph *force = nullptr;
    QCPGraph *position = nullptr;
    for (int i = 0; i < plot->graphCount(); ++i) {
        QCPGraph *graph = plot->graph(i);
        (graph->valueAxis() == plot->yAxis2 ? position : force) = graph;
    }
    QVERIFY(force && position);
    QVERIFY(force->layer()->index() > position->layer()->index()
            || (force->layer() == position->layer()
                && force->layer()->children().indexOf(force)
                    > force->layer()->children().indexOf(position)));
}

// Over more rows than the chart is pixels wide, lines joining the rows would
// fill it with one band: the rows are dots then, and lines again once the
// user has zoomed in to fewer rows.
void TestChart::denseTrendShowsDots()
{
    QCustomPlot *plot = m_chart->plot();
    // How the two series are drawn: "lines" (without points) or "dots" (points
    // alone), both alike.
    const auto drawing = [plot] {
        QStringList kinds;
        for (int i = 0; i < plot->graphCount(); ++i) {
            const bool line = plot->graph(i)->lineStyle() == QCPGraph::lsLine;
            const bool dots = !plot->graph(i)->scatterStyle().isNone();
            kinds << QLatin1String(line && !dots ? "lines" : !line && dots ? "dots" : "both");
        }
        kinds.removeDuplicates();
        return kinds.join(u',');
    };
    const QList<MeasurementRow> rows = wave(3000);
    m_chart->appendRows(rows.mid(0, 100));
    settle();
    QCOMPARE(drawing(), QStringLiteral("lines"));
    m_chart->appendRows(rows, 100);
    settle();
    QVERIFY(3000 > plot->axisRect()->width());
    QCOMPARE(drawing(), QStringLiteral("dots"));
    wheel(plot, centreOf(plot), 30);
    settle();
    QVERIFY(plot->xAxis->range().size() < plot->axisRect()->width());
    QCOMPARE(drawing(), QStringLiteral("lines"));
}

// A saved image says what it shows: the device's serial number, when the
// read started and how many rows it holds, in its title line (and, for an
// SVG, in its title element).
void TestChart::imageTitleNamesDeviceReadAndCount()
{
    ReadInfo read;
    read.serialNumber = QStringLiteral("004711");
    read.startedAt = QDateTime(QDate(2026, 12, 6), QTime(14, 5, 9));
    m_chart->setLocale(QLocale(QLocale::German, QLocale::Germany));
    m_chart->setReadInfo(read);
    m_chart->appendRows(wave(37));
    settle();
    const QString title = m_chart->imageTitle();
    QCOMPARE(title,
             QStringLiteral("Kalvor II · Seriennummer 004711 · gelesen am 06.12.2026 um 14:05:09 · "
                            "Messwerte: 37"));

    QBuffer svg;
    QVERIFY(svg.open(QIODevice::WriteOnly));
    QVERIFY(m_chart->writeImage(&svg, MeasurementChart::ImageFormat::Svg));
    QXmlStreamReader xml(svg.data());
    QString svgTitle;
    while (!xml.atEnd() && svgTitle.isEmpty()) {
        if (xml.readNext() == QXmlStreamReader::StartElement
            && xml.name() == QLatin1String("title"))
            svgTitle = xml.readElementText();
    }
    QCOMPARE(svgTitle, title);

    // The PNG holds the plot as shown, with the title line above it.
    QBuffer png;
    QVERIFY(png.open(QIODevice::WriteOnly));
    QVERIFY(m_chart->writeImage(&png, MeasurementChart::ImageFormat::Png));
    const QImage image = QImage::fromData(png.data(), "PNG");
    QCOMPARE(image.width(), m_chart->plot()->width());
    QVERIFY(image.height() > m_chart->plot()->height());
    QCOMPARE(MeasurementChart::imageFormatFor(QStringLiteral("a/b.SVG")),
             MeasurementChart::ImageFormat::Svg);
    QCOMPARE(MeasurementChart::imageFormatFor(QStringLiteral("chart.png")),
             MeasurementChart::ImageFormat::Png);
}

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
