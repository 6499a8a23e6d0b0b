#pragma once

#include "protocol/measurementrow.h"
#include "ui/measurementsummary.h"

#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QVector>
#include <QWidget>

class QButtonGroup;
class QCPGraph;
class QCustomPlot;
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
// program asks for the file.
//
// Colours are the chart's own, not the palette's, so that it reads the same
// in a light and in a dark desktop scheme.
class MeasurementChart : public QWidget
{
    Q_OBJECT

public:
    enum class View { Trend, ForceOverPosition };

    explicit MeasurementChart(QWidget *parent = nullptr);
    ~MeasurementChart() override;

    // Adds rows[from, end) in one batch: one replot, however many rows.
    void appendRows(const QList<MeasurementRow> &rows, qsizetype from = 0);
    void clear();

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

    // Writes the current view as a PNG or, for a name ending in ".svg", an
    // SVG, through a temporary file renamed into place. Returns an empty
    // string, or the system's reason it could not be written (and in
    // `systemError` its error number, where it gave one).
    QString saveImage(const QString &fileName, int *systemError = nullptr) const;

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

    // The shown rows' numbers, in arrival order.
    QVector<double> m_numbers;
    QVector<double> m_forces;
    QVector<double> m_positions;
    QList<QDateTime> m_times;
    int m_excluded = 0;
    MeasurementSummary m_summary; // of all rows given, shown or not
};
