#include "archiveview.h"

#include "controller/windowarchive.h"
#include "session/devicesession.h"
#include "session/statustexts.h"
#include "ui/language.h"
#include "ui/measurementchart.h"
#include "ui/measurementtable.h"
#include "ui_kalvor2control.h"

#include <QCoreApplication>
#include <QLocale>
#include <QPushButton>

namespace {
// The window's texts share one translation context.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(KalvorIIControl)
};
} // namespace

ArchiveView::ArchiveView(Ui::KalvorIIControl &ui, MeasurementChart *chart, DeviceSession &session,
                         WindowArchive &archive, QObject *parent)
    : QObject(parent)
    , m_ui(ui)
    , m_chart(chart)
    , m_session(session)
    , m_archive(archive)
{
    m_button = new QPushButton(Texts::tr("Archiv…"), ui.System);
    m_button->setObjectName(QStringLiteral("Archiv_PB"));
    // In the look of the memory buttons above it; the status line below it.
    m_button->setGeometry(ui.ClearSpeicher_PB->geometry().translated(0, 40));
    m_button->setStyleSheet(ui.ClearSpeicher_PB->styleSheet());
    m_button->setFont(ui.ClearSpeicher_PB->font());
    ui.ReadStatus_lb->setGeometry(640, 218, 281, 44);
    connect(m_button, &QPushButton::clicked, this, [this] { chooseRead(); });
}

void ArchiveView::clear()
{
    m_archive.showDevice();
    m_ui.Messwert_treeWidget->clear();
    m_chart->clear();
    m_chartRows = 0;
    // A saved chart names the device and the read its rows come from.
    m_chart->setReadInfo(m_session.readInfo());
}

void ArchiveView::showNewRows()
{
    if (m_archive.shown())
        showDeviceRows();
    else
        showNewRowsInChart();
}

ReadStatus ArchiveView::readStatus() const
{
    if (const ArchivedRead *read = m_archive.shown()) {
        const QLocale locale;
        const QDateTime at = read->summary.startedAt;
        return {
            Texts::tr("Archiv: %1, Gerät %2, %3 Messwerte")
                .arg(locale.toString(at, Language::dateFormat(locale) + QLatin1String(" hh:mm")),
                     read->summary.serialNumber)
                .arg(read->rows.size())};
    }
    ReadStatus status = ::readStatus(m_session.memoryRead());
    // The rows stay in the window when the archive cannot keep them.
    if (!m_archive.failure().isEmpty()) {
        status.text
            += QLatin1Char('\n') + Texts::tr("Nicht im Archiv: %1").arg(m_archive.failure());
        status.warning = true;
    }
    return status;
}

void ArchiveView::chooseRead()
{
    if (m_archive.chooseRead(m_button->window()))
        showArchivedRead();
    else if (!m_archive.loadFailure().isEmpty())
        emit notLoaded(Texts::tr("Archiv nicht geöffnet: %1").arg(m_archive.loadFailure()));
}

// The archived read's rows in the table and the chart, until the next read.
void ArchiveView::showArchivedRead()
{
    const ArchivedRead &read = *m_archive.shown();
    MeasurementTable::show(m_ui.Messwert_treeWidget, read.rows);
    m_chart->clear();
    m_chart->setReadInfo(read.info);
    m_chart->appendRows(read.rows, 0);
    m_ui.tabWidget->setCurrentWidget(m_ui.System);
    emit shownChanged();
}

// Back from an archived read to the rows the device sent.
void ArchiveView::showDeviceRows()
{
    m_archive.showDevice();
    MeasurementTable::show(m_ui.Messwert_treeWidget, m_session.rows());
    m_chart->clear();
    m_chart->setReadInfo(m_session.readInfo());
    m_chartRows = 0;
    showNewRowsInChart();
    emit shownChanged();
}

// The rows the parser added in this tick go to the chart in one batch.
void ArchiveView::showNewRowsInChart()
{
    const QList<MeasurementRow> &rows = m_session.rows();
    if (rows.size() == m_chartRows)
        return;
    m_chart->appendRows(rows, m_chartRows);
    m_chartRows = rows.size();
}
