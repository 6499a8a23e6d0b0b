#include "measurementchart.h"

#include "ui/language.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSvgGenerator>
#include <QToolTip>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace {

// The chart's own colours (the table's dark slate, light text, and two
// series colours that stand out on it), whatever the desktop's scheme.
const QColor background(89, 121, 142);
const QColor text(255, 255, 255);
const QColor grid(120, 150, 168);
const QColor forceColour(0, 225, 230);
// See-through, so that the force drawn over it stays readable where the two
// lines cross, even at thousands of points.
const QColor positionColour(255, 190, 90, 150);
// On the page's light blue-grey.
const QString pageText = QStringLiteral("color: rgb(20, 30, 40);");
// The form's button look; the frame is always there, in the button's colour
// unless it has the focus, so that the focus does not change its size.
const QString buttonSheet
    = QStringLiteral("QPushButton { border: 2px solid rgb(135,161,178); border-radius: 0px;"
                     " background-color: rgb(135,161,178); color: rgb(0,0,0); min-width: 80px;"
                     " padding: 5px 8px; }\n"
                     "QPushButton:focus { border-color: rgb(0,90,110); }\n"
                     "QPushButton:pressed { background: rgb(169,192,198); }\n");

constexpr int toolTipReach = 8; // pixels from a point that still show it

// A point of a scatter plot, or of a trend too dense for lines: a disc
// drawn smoothly once.
QPixmap disc(const QColor &colour, int diameter)
{
    QPixmap pixmap(diameter, diameter);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(0, 0, diameter, diameter));
    return pixmap;
}

void styleAxis(QCPAxis *axis)
{
    axis->setBasePen(QPen(text));
    axis->setTickPen(QPen(text));
    axis->setSubTickPen(QPen(text));
    axis->setTickLabelColor(text);
    axis->setLabelColor(text);
    axis->grid()->setPen(QPen(grid, 0, Qt::DotLine));
    axis->grid()->setZeroLinePen(QPen(grid));
}

// The points a series holds, in its order.
QList<QPointF> pointsOf(const QCPGraph *graph)
{
    QList<QPointF> points;
    for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it)
        points << QPointF(it->key, it->value);
    return points;
}

} // namespace

MeasurementChart::MeasurementChart(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Diagramm"));

    m_summaryLine = new QLabel(this);
    m_summaryLine->setObjectName(QStringLiteral("DiagrammUebersicht_lb"));
    m_summaryLine->setTextFormat(Qt::PlainText);
    m_summaryLine->setWordWrap(true); // one line, unless a large font needs two
    m_summaryLine->setStyleSheet(pageText);

    m_plot = new QCustomPlot(this);
    m_plot->setObjectName(QStringLiteral("Diagramm_plot"));
    m_plot->setBackground(background);
    m_plot->setPlottingHints(QCP::phFastPolylines | QCP::phCacheLabels);
    m_plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    for (QCPAxis *axis : {m_plot->xAxis, m_plot->yAxis, m_plot->yAxis2})
        styleAxis(axis);

    // The position first: the force is drawn over it.
    m_plot->setAutoAddPlottableToLegend(false);
    m_position = m_plot->addGraph(m_plot->xAxis, m_plot->yAxis2);
    m_force = m_plot->addGraph(m_plot->xAxis, m_plot->yAxis);
    m_force->setPen(QPen(forceColour, 1.5));
    m_position->setPen(QPen(positionColour, 1));
    // Ten thousand discs drawn one by one would cost a repaint twice the
    // window's budget; a disc drawn once and copied is fast.
    m_force->setAntialiasedScatters(false);
    m_position->setAntialiasedScatters(false);

    // The legend stands in a row of its own above the axes, where no point
    // can lie under it, as narrow as its entries.
    QCPLegend *legend = m_plot->legend;
    m_plot->axisRect()->insetLayout()->take(legend);
    auto *legendRow = new QCPLayoutGrid;
    m_plot->plotLayout()->insertRow(0);
    m_plot->plotLayout()->addElement(0, 0, legendRow);
    m_plot->plotLayout()->setRowStretchFactor(0, 0.001);
    legendRow->addElement(0, 0, legend);
    legendRow->addElement(0, 1, new QCPLayoutElement(m_plot));
    legendRow->setColumnStretchFactor(0, 0.001);
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    legend->setBrush(Qt::NoBrush);
    legend->setBorderPen(Qt::NoPen);
    legend->setTextColor(text);
    legend->setVisible(true);
    m_force->addToLegend();
    m_position->addToLegend();

    connect(m_plot, &QCustomPlot::mouseMove, this, &MeasurementChart::showToolTip);
    connect(m_plot, &QCustomPlot::mouseDoubleClick, this, [this] { showAll(); });
    for (QCPAxis *axis : {m_plot->xAxis, m_plot->yAxis, m_plot->yAxis2}) {
        connect(axis, qOverload<const QCPRange &>(&QCPAxis::rangeChanged), this, [this] {
            if (m_fitting)
                return;
            m_zoomed = true;
            fitTrendDrawing();
        });
    }

    auto *trend = new QRadioButton(this);
    trend->setObjectName(QStringLiteral("DiagrammVerlauf_RB"));
    auto *scatter = new QRadioButton(this);
    scatter->setObjectName(QStringLiteral("DiagrammStreuung_RB"));
    for (QRadioButton *button : {trend, scatter})
        button->setStyleSheet(pageText);
    trend->setChecked(true);
    m_views = new QButtonGroup(this);
    m_views->addButton(trend, int(View::Trend));
    m_views->addButton(scatter, int(View::ForceOverPosition));
    connect(m_views, &QButtonGroup::idClicked, this, [this](int id) { setView(View(id)); });

    m_save = new QPushButton(this);
    m_save->setObjectName(QStringLiteral("DiagrammSpeichern_PB"));
    m_save->setStyleSheet(buttonSheet);
    connect(m_save, &QPushButton::clicked, this, &MeasurementChart::saveRequested);

    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("DiagrammHinweis_lb"));
    m_note->setWordWrap(true);
    m_note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_note->setTextFormat(Qt::PlainText);
    m_note->setStyleSheet(pageText);
    // As wide as the buttons above it, however long its text.
    m_note->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto *side = new QVBoxLayout;
    side->setSpacing(4);
    side->addWidget(trend);
    side->addWidget(scatter);
    side->addSpacing(12);
    side->addWidget(m_save);
    side->addSpacing(8);
    side->addWidget(m_note);
    side->addStretch(1);
    auto *row = new QHBoxLayout;
    row->setSpacing(12);
    row->addWidget(m_plot, 1);
    row->addLayout(side);
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(10, 6, 10, 10);
    page->setSpacing(6);
    page->addWidget(m_summaryLine);
    page->addLayout(row, 1);

    retranslate(); // texts, and the axes for the view
}

MeasurementChart::~MeasurementChart() = default;

void MeasurementChart::retranslate()
{
    m_views->button(int(View::Trend))->setText(tr("Verlauf"));
    m_views->button(int(View::ForceOverPosition))->setText(tr("Kraft über Position"));
    m_save->setText(tr("Diagramm speichern…"));
    m_force->setName(tr("Kraft [kN]"));
    m_position->setName(tr("Hülsenposition [mm]"));
    m_summaryLine->setText(m_summary.text(locale()));
    updateNote();
    setUpAxes();
}

void MeasurementChart::updateNote()
{
    m_note->setText(
        tr("%1 Messwerte mit ungültigen Zahlen sind nicht im Diagramm.").arg(m_excluded));
    m_note->setVisible(m_excluded > 0);
}

void MeasurementChart::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void MeasurementChart::setUpAxes()
{
    const bool trend = m_view == View::Trend;
    m_plot->xAxis->setLabel(trend ? tr("Messung") : tr("Hülsenposition [mm]"));
    m_plot->yAxis->setLabel(tr("Kraft [kN]"));
    m_plot->yAxis2->setLabel(tr("Hülsenposition [mm]"));
    m_plot->yAxis2->setVisible(trend);
    m_position->setVisible(trend);
    if (trend)
        m_position->addToLegend();
    else
        m_position->removeFromLegend();
    m_dense = false;
    m_force->setLineStyle(trend ? QCPGraph::lsLine : QCPGraph::lsNone);
    m_force->setScatterStyle(trend ? QCPScatterStyle() : QCPScatterStyle(disc(forceColour, 5)));
    m_position->setLineStyle(QCPGraph::lsLine);
    m_position->setScatterStyle(QCPScatterStyle());
    fitTrendDrawing();
    // Over the measurement number the two value axes stay put, so that the
    // two series keep their places against each other; the scatter plot
    // zooms and pans both ways.
    QCPAxisRect *rect = m_plot->axisRect();
    const Qt::Orientations directions
        = trend ? Qt::Orientations(Qt::Horizontal) : (Qt::Horizontal | Qt::Vertical);
    rect->setRangeDrag(directions);
    rect->setRangeZoom(directions);
    rect->setRangeDragAxes(m_plot->xAxis, m_plot->yAxis);
    rect->setRangeZoomAxes(m_plot->xAxis, m_plot->yAxis);
}

// More rows in view than the chart is pixels wide, joined by lines, fill it
// with one band: then each row is a dot, and the levels the force and the
// position keep show. Zoomed in to fewer rows, the lines come back.
void MeasurementChart::fitTrendDrawing()
{
    if (m_view != View::Trend)
        return;
    const QCPRange shown = m_plot->xAxis->range();
    const auto from = std::lower_bound(m_numbers.cbegin(), m_numbers.cend(), shown.lower);
    const auto to = std::upper_bound(from, m_numbers.cend(), shown.upper);
    const bool dense = to - from > std::max(m_plot->axisRect()->width(), 100);
    if (dense == m_dense)
        return;
    m_dense = dense;
    const auto style = dense ? QCPGraph::lsNone : QCPGraph::lsLine;
    m_force->setLineStyle(style);
    m_position->setLineStyle(style);
    m_force->setScatterStyle(dense ? QCPScatterStyle(disc(forceColour, 3)) : QCPScatterStyle());
    m_position->setScatterStyle(dense ? QCPScatterStyle(disc(positionColour, 3))
                                      : QCPScatterStyle());
}

void MeasurementChart::setView(View view)
{
    if (view == m_view)
        return;
    m_view = view;
    m_views->button(int(view))->setChecked(true);
    m_zoomed = false;
    setUpAxes();
    refill();
}

void MeasurementChart::setReadInfo(const ReadInfo &info)
{
    m_readInfo = info;
}

void MeasurementChart::appendRows(const QList<MeasurementRow> &rows, qsizetype from)
{
    const qsizetype first = m_numbers.size();
    const int excludedBefore = m_excluded;
    for (qsizetype i = std::max<qsizetype>(from, 0); i < rows.size(); ++i) {
        const MeasurementRow &row = rows.at(i);
        m_summary.add(row);
        if (!std::isfinite(row.force) || !std::isfinite(row.sleevePosition)) {
            ++m_excluded;
            continue;
        }
        m_numbers << row.number;
        m_forces << row.force;
        m_positions << row.sleevePosition;
        m_times << row.timeStamp;
    }
    m_summaryLine->setText(m_summary.text(locale()));
    if (m_excluded != excludedBefore)
        updateNote();
    if (m_numbers.size() == first)
        return;
    const qsizetype count = m_numbers.size() - first;
    if (m_view == View::Trend) {
        // Numbers grow within a read: the keys come sorted.
        m_force->addData(m_numbers.mid(first, count), m_forces.mid(first, count), true);
        m_position->addData(m_numbers.mid(first, count), m_positions.mid(first, count), true);
    } else {
        m_force->addData(m_positions.mid(first, count), m_forces.mid(first, count));
    }
    replotIfShown();
}

void MeasurementChart::clear()
{
    m_numbers.clear();
    m_forces.clear();
    m_positions.clear();
    m_times.clear();
    m_excluded = 0;
    m_summary = MeasurementSummary();
    m_summaryLine->setText(m_summary.text(locale()));
    m_zoomed = false;
    updateNote();
    m_force->data()->clear();
    m_position->data()->clear();
    replotIfShown();
}

// The series anew from the kept numbers, for the current view.
void MeasurementChart::refill()
{
    m_force->data()->clear();
    m_position->data()->clear();
    if (m_view == View::Trend) {
        m_force->setData(m_numbers, m_forces, true);
        m_position->setData(m_numbers, m_positions, true);
    } else {
        m_force->setData(m_positions, m_forces);
    }
    replotIfShown();
}

void MeasurementChart::showAll()
{
    m_zoomed = false;
    replotIfShown();
}

// Every point in view, with a little room around them.
void MeasurementChart::fitRanges()
{
    m_fitting = true;
    if (m_numbers.isEmpty()) {
        m_plot->xAxis->setRange(0, 1);
        m_plot->yAxis->setRange(0, 1);
        m_plot->yAxis2->setRange(0, 1);
    } else {
        m_plot->rescaleAxes(true);
        for (QCPAxis *axis : {m_plot->xAxis, m_plot->yAxis, m_plot->yAxis2})
            axis->scaleRange(1.05, axis->range().center());
    }
    m_fitting = false;
}

void MeasurementChart::replotIfShown()
{
    // A hidden page is brought up to date when it is shown.
    if (!isVisible())
        return;
    if (!m_zoomed)
        fitRanges();
    fitTrendDrawing();
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void MeasurementChart::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    replotIfShown();
}

QList<QPointF> MeasurementChart::forcePoints() const
{
    return pointsOf(m_force);
}

QList<QPointF> MeasurementChart::positionPoints() const
{
    return m_view == View::Trend ? pointsOf(m_position) : QList<QPointF>();
}

// The shown row whose point lies nearest to `pixel`, or -1.
int MeasurementChart::nearestPoint(const QPointF &pixel, double *distance) const
{
    int nearest = -1;
    double best = 0;
    const auto consider = [&](int i, QCPAxis *key, const QVector<double> &keys, QCPAxis *value,
                              const QVector<double> &values) {
        const QPointF at(key->coordToPixel(keys.at(i)), value->coordToPixel(values.at(i)));
        const double d = std::hypot(at.x() - pixel.x(), at.y() - pixel.y());
        if (nearest < 0 || d < best) {
            best = d;
            nearest = i;
        }
    };
    if (m_view == View::Trend) {
        // Numbers are sorted: look around the one under the pointer.
        const double number = m_plot->xAxis->pixelToCoord(pixel.x());
        const auto it = std::lower_bound(m_numbers.cbegin(), m_numbers.cend(), number);
        const int at = int(it - m_numbers.cbegin());
        for (int i = std::max(0, at - 3); i < std::min(int(m_numbers.size()), at + 3); ++i) {
            consider(i, m_plot->xAxis, m_numbers, m_plot->yAxis, m_forces);
            consider(i, m_plot->xAxis, m_numbers, m_plot->yAxis2, m_positions);
        }
    } else {
        for (int i = 0; i < m_numbers.size(); ++i)
            consider(i, m_plot->xAxis, m_positions, m_plot->yAxis, m_forces);
    }
    *distance = best;
    return nearest;
}

void MeasurementChart::showToolTip(QMouseEvent *event)
{
    double distance = 0;
    const int i = nearestPoint(event->position(), &distance);
    if (i < 0 || distance > toolTipReach) {
        QToolTip::hideText();
        return;
    }
    const QString when = m_times.at(i).isValid()
        ? locale().toString(m_times.at(i), QStringLiteral("dd.MM.yyyy hh:mm:ss"))
        : tr("ohne gültige Zeit");
    QToolTip::showText(event->globalPosition().toPoint(),
                       tr("Messung %1, %2\n%3 kN, %4 mm")
                           .arg(m_numbers.at(i))
                           .arg(when)
                           .arg(locale().toString(m_forces.at(i)))
                           .arg(locale().toString(m_positions.at(i))),
                       m_plot);
}

QString MeasurementChart::imageTitle() const
{
    QStringList parts = {QStringLiteral("Kalvor II")};
    if (!m_readInfo.serialNumber.isEmpty())
        parts << tr("Seriennummer %1").arg(m_readInfo.serialNumber);
    if (m_readInfo.startedAt.isValid()) {
        const QLocale here = locale();
        parts << tr("gelesen am %1 um %2")
                     .arg(here.toString(m_readInfo.startedAt.date(), Language::dateFormat(here)),
                          here.toString(m_readInfo.startedAt.time(), Language::timeFormat(here)));
    }
    parts << tr("Messwerte: %1").arg(locale().toString(m_summary.rows));
    return parts.join(QStringLiteral(" · "));
}

MeasurementChart::ImageFormat MeasurementChart::imageFormatFor(const QString &fileName)
{
    return QFileInfo(fileName).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0
        ? ImageFormat::Svg
        : ImageFormat::Png;
}

bool MeasurementChart::writeImage(QIODevice *device, ImageFormat format) const
{
    const QSize plotSize = m_plot->size();
    const QString title = imageTitle();
    QFont titleFont = font();
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    const int titleHeight = metrics.height() + 12;
    const QSize size(plotSize.width(), plotSize.height() + titleHeight);
    const auto paint = [&](QCPPainter &painter) {
        painter.fillRect(QRect(QPoint(0, 0), size), background);
        painter.setFont(titleFont);
        painter.setPen(text);
        const QRect titleRect(8, 0, size.width() - 16, titleHeight);
        painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(title, Qt::ElideRight, titleRect.width()));
        painter.translate(0, titleHeight);
        m_plot->toPainter(&painter, plotSize.width(), plotSize.height());
    };
    if (format == ImageFormat::Svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(device);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(title);
        QCPPainter painter;
        if (!painter.begin(&svg))
            return false;
        paint(painter);
        return painter.end();
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QCPPainter painter;
    if (!painter.begin(&image))
        return false;
    paint(painter);
    if (!painter.end())
        return false;
    return image.save(device, "PNG");
}
