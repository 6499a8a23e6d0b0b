#include "archivewindow.h"

#include "archive/measurementarchive.h"
#include "ui/language.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { StartedAt, Device, Rows, Complete, Exported, ColumnCount };

bool askDelete(QWidget *parent, const QString &read)
{
    QMessageBox box(parent);
    box.setIcon(QMessageBox::Warning);
    box.setText(ArchiveWindow::tr("Messung aus dem Archiv löschen?"));
    box.setInformativeText(read);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace

ArchiveWindow::ArchiveWindow(MeasurementArchive &archive, QWidget *parent)
    : QDialog(parent)
    , m_archive(archive)
    , m_askDelete(askDelete)
{
    setWindowTitle(tr("Archiv"));
    m_list = new QTreeWidget;
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setHeaderLabels(
        {tr("Gelesen am"), tr("Gerät"), tr("Messwerte"), tr("Vollständig"), tr("Exportiert")});
    m_message = new QLabel;
    m_message->setWordWrap(true);
    m_message->setVisible(false);

    auto *buttons = new QDialogButtonBox;
    m_open = buttons->addButton(tr("Öffnen"), QDialogButtonBox::AcceptRole);
    m_delete = buttons->addButton(tr("Löschen"), QDialogButtonBox::ActionRole);
    buttons->addButton(tr("Schließen"), QDialogButtonBox::RejectRole);
    m_open->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        m_chosen = selectedRead();
        if (m_chosen >= 0)
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_delete, &QPushButton::clicked, this, &ArchiveWindow::deleteSelected);
    connect(m_list, &QTreeWidget::itemDoubleClicked, m_open, &QPushButton::click);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &ArchiveWindow::updateButtons);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(m_message);
    layout->addWidget(buttons);
    resize(640, 400);
    refresh();
}

void ArchiveWindow::refresh()
{
    m_list->clear();
    QList<ArchivedReadSummary> reads;
    QString problem = m_archive.listReads(reads);
    if (problem.isEmpty() && m_archive.isReadOnly())
        problem = tr("Das Archiv ist nur zum Lesen geöffnet.");
    m_message->setText(problem);
    m_message->setVisible(!problem.isEmpty());
    const QLocale locale;
    const QString format
        = Language::dateFormat(locale) + QLatin1Char(' ') + Language::timeFormat(locale);
    const QString yes = tr("ja");
    const QString no = tr("nein");
    for (const ArchivedReadSummary &read : reads) {
        auto *item = new QTreeWidgetItem(m_list);
        item->setData(StartedAt, Qt::UserRole, read.id);
        item->setText(StartedAt,
                      read.startedAt.isValid() ? locale.toString(read.startedAt, format)
                                               : tr("unbekannt"));
        item->setText(Device, read.serialNumber);
        item->setText(Rows,
                      read.entriesAnnounced >= 0
                          ? tr("%1 von %2").arg(read.rowsReceived).arg(read.entriesAnnounced)
                          : QString::number(read.rowsReceived));
        item->setText(Complete, read.archivedWhole() ? yes : no);
        item->setText(Exported, read.exported ? yes : no);
        item->setTextAlignment(Rows, Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int column = 0; column < ColumnCount; ++column)
        m_list->resizeColumnToContents(column);
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    updateButtons();
}

qint64 ArchiveWindow::selectedRead() const
{
    const QTreeWidgetItem *item = m_list->currentItem();
    return item && item->isSelected() ? item->data(StartedAt, Qt::UserRole).toLongLong() : -1;
}

void ArchiveWindow::updateButtons()
{
    const bool selected = selectedRead() >= 0;
    m_open->setEnabled(selected);
    m_delete->setEnabled(selected && !m_archive.isReadOnly());
}

void ArchiveWindow::deleteSelected()
{
    const qint64 id = selectedRead();
    if (id < 0 || m_archive.isReadOnly())
        return;
    const QTreeWidgetItem *item = m_list->currentItem();
    const QString read = tr("%1, Gerät %2, %3 Messwerte")
                             .arg(item->text(StartedAt), item->text(Device), item->text(Rows));
    if (!m_askDelete(this, read))
        return;
    const QString problem = m_archive.deleteRead(id);
    refresh();
    if (!problem.isEmpty()) {
        m_message->setText(tr("Nicht gelöscht: %1").arg(problem));
        m_message->setVisible(true);
    }
}
