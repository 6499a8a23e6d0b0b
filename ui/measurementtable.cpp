#include "measurementtable.h"

#include <QDateTime>
#include <QTreeWidget>

namespace MeasurementTable {

void primeColumnWidths(QTreeWidget *tree)
{
    for (int column = 0; column < MeasurementRow::ColumnCount; ++column)
        tree->resizeColumnToContents(column);
    const QDateTime now = QDateTime::currentDateTime();
    auto *placeholder = new QTreeWidgetItem(tree);
    placeholder->setText(0, QStringLiteral("10000"));
    placeholder->setText(1, now.date().toString(QStringLiteral("dd:MM:yyyy")));
    placeholder->setText(2, now.time().toString(QStringLiteral("hh:mm:ss")));
    placeholder->setText(3, QStringLiteral("13.7"));
    for (int column = 0; column < MeasurementRow::ColumnCount; ++column)
        tree->resizeColumnToContents(column);
    tree->clear();
}

void show(QTreeWidget *tree, const QList<MeasurementRow> &rows)
{
    tree->clear();
    for (const MeasurementRow &row : rows)
        new QTreeWidgetItem(tree, row.cells);
}

} // namespace MeasurementTable
