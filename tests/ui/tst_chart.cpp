// The "Diagramm" page on its own: zooming and panning, where the legend and
// the series stand.

#include "ui/measurementchart.h"

#include <QLabel>
#include <QtTest>
#include <qcustomplot.h>

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

    void wheelZoomsDragPansDoubleClickShowsAll();
    void legendAndForceStayReadable();

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
        QVERIFY(plot->legend->visible());
        QVERIFY(plot->legend->itemCount() >= 1);
        const QRect legend = plot->legend->outerRect();
        const QRect axes = plot->axisRect()->rect();
        QVERIFY2(!legend.intersects(axes),
                 qPrintable(QStringLiteral("legend %1,%2 %3x%4")
                                .arg(legend.x())
                                .arg(legend.y())
                                .arg(legend.width())
                                .arg(legend.height())));
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

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
