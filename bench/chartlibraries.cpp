// kalvor2-chart-libraries: why the chart is drawn with QCustomPlot. Both
// plotting libraries Debian offers draw the scatter view the way the
// program does, 250 points a tick with a repaint after each tick, offscreen;
// prints each library's total and slowest tick as "NAME VALUE UNIT" lines.
//
//   kalvor2-chart-libraries [POINTS]   (default 10000)
//
// Built only with -DKALVOR2_CHART_COMPARISON=ON, which needs qt6-charts-dev.

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <qcustomplot.h>

#include <cstdio>
#include <functional>

namespace {

constexpr int pointsPerTick = 250;

void report(const char *library, int points, const std::function<void(int, int)> &addPoints)
{
    QElapsedTimer timer;
    double total = 0;
    double worst = 0;
    for (int first = 0; first < points; first += pointsPerTick) {
        timer.start();
        addPoints(first, qMin(points, first + pointsPerTick));
        QCoreApplication::processEvents();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        total += ms;
        worst = qMax(worst, ms);
    }
    std::printf("%s_scatter_total_ms_%d %.1f ms\n%s_scatter_worst_tick_ms_%d %.1f ms\n", library,
                points, total, library, points, worst);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const int count
        = arguments.size() > 1 ? qBound(pointsPerTick, arguments.at(1).toInt(), 100000) : 10000;
    QList<QPointF> data;
    QRandomGenerator random(20261207);
    for (int i = 0; i < count; ++i)
        data << QPointF(random.bounded(10.0), random.bounded(50.0));

    {
        QCustomPlot plot;
        plot.resize(740, 251);
        plot.show();
        QCPGraph *graph = plot.addGraph();
        graph->setLineStyle(QCPGraph::lsNone);
        graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 4));
        plot.xAxis->setRange(0, 10);
        plot.yAxis->setRange(0, 50);
        report("qcustomplot", count, [&](int first, int end) {
            QVector<double> x;
            QVector<double> y;
            for (int i = first; i < end; ++i) {
                x << data.at(i).x();
                y << data.at(i).y();
            }
            graph->addData(x, y);
            plot.replot(QCustomPlot::rpQueuedReplot);
        });
    }
    {
        auto *chart = new QChart;
        auto *series = new QScatterSeries;
        series->setMarkerSize(4);
        chart->addSeries(series);
        auto *x = new QValueAxis;
        x->setRange(0, 10);
        auto *y = new QValueAxis;
        y->setRange(0, 50);
        chart->addAxis(x, Qt::AlignBottom);
        chart->addAxis(y, Qt::AlignLeft);
        series->attachAxis(x);
        series->attachAxis(y);
        QChartView view(chart);
        view.resize(740, 251);
        view.show();
        report("qtcharts", count,
               [&](int first, int end) { series->append(data.mid(first, end - first)); });
    }
    return 0;
}
