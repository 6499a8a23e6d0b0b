#pragma once

#include "protocol/measurementrow.h"
#include "protocol/readinfo.h"
#include "ui/measurementsummary.h"

#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QVector>
#include <QWidget>

class QButtonGroup;
class QCPGraph;
class QCustomPlot;
class QIODevice;
class QLabel;
class QMouseEvent;
class QPushButton;

// The "Diagramm" page: the measurements as a chart, filled from the rows'
// numbers as they arrive, under a one-line summary of the rows. Two views:
// the force and the sleeve position over the measurement number ("Verlauf",
// two axes), and the force over the sleeve position as a scatter plot
// ("Kraft über Position"). Rows whose numbers are not finite stay out; a note
// counts them. The wheel zooms, a drag pans, a double-click shows everything
// again. The page lays itself out and only reports a save request: the
// program asks for the file and has the image written.
//
// Colours are the chart's own, not the palette's, so that it reads the same
// in a light and in a dark desktop scheme.
class MeasurementChart : public QWidget
{
    Q_OBJECT

public:
    enum class View { Trend, ForceOverPosition };
    enum class ImageFormat { Png, Svg };

    explicit MeasurementChart(QWidget *parent = nullptr);
    ~MeasurementChart() override;

    // Adds rows[from, end) in one batch: one replot, however many rows.
    void appendRows(const QList<MeasurementRow> &rows, qsizetype from = 0);
    void clear();
    // The read the rows come from: its device's serial number and its start
    // go into a saved image's title.
    void setReadInfo(const ReadInfo &info);

    View view() const { return m_view; }
    void setView(View view);
    // Rows kept out because a number of theirs is not finite.
    int excludedRows() const { return m_excluded; }
    int shownRows() const { return int(m_numbers.size()); }
    const MeasurementSummary &summary() const { return m_summary; }

    // Every point in view again after zooming or panning, as a double-click
    // does; until then, arriving points do not move the axes.
    void showAll();
    bool showsAll() const { return !m_zoomed; }

    // The points as the current view plots them: the force series (over the
    // number, or over the position) and, in the trend view, the position
    // series over the number.
    QList<QPointF> forcePoints() const;
    QList<QPointF> positionPoints() const;

    // The current view as it is shown (zoom included) under a title line
    // naming the device, the read and the count, as a PNG or an SVG.
    bool writeImage(QIODevice *device, ImageFormat format) const;
    QString imageTitle() const;
    // SVG for a name ending in ".svg", PNG otherwise.
    static ImageFormat imageFormatFor(const QString &fileName);

    QPushButton *saveButton() const { return m_save; }
    QCustomPlot *plot() const { return m_plot; }

signals:
    // "Diagramm speichern…" was pressed.
    void saveRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setUpAxes();
    void refill();
    void replotIfShown();
    void fitRanges();
    void fitTrendDrawing();
    void retranslate();
    void updateNote();
    void showToolTip(QMouseEvent *event);
    int nearestPoint(const QPointF &pixel, double *distance) const;

    QCustomPlot *m_plot = nullptr;
    QCPGraph *m_force = nullptr;
    QCPGraph *m_position = nullptr;
    QButtonGroup *m_views = nullptr;
    QPushButton *m_save = nullptr;
    QLabel *m_note = nullptr;
    QLabel *m_summaryLine = nullptr;
    View m_view = View::Trend;
    // The user zoomed or panned: the axes stay where they are.
    bool m_zoomed = false;
    bool m_fitting = false; // the chart itself is setting the axes
    bool m_dense = false;   // the trend shows dots: too many rows for lines

    // The shown rows' numbers, in arrival order.
    QVector<double> m_numbers;
    QVector<double> m_forces;
    QVector<double> m_positions;
    QList<QDateTime> m_times;
    int m_excluded = 0;
    MeasurementSummary m_summary; // of all rows given, shown or not
    ReadInfo m_readInfo;
};
