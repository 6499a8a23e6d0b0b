#pragma once

#include <QString>

class QTreeWidget;

// Copying measurement rows into a spreadsheet or a mail: several rows can be
// selected (Shift, Ctrl) and Ctrl+C copies them whole.
namespace TableCopy {

// The selected rows in the table's order (whatever order they were selected
// in), as tab-separated lines under the column headers; empty when no row is
// selected.
QString selectedRowsText(const QTreeWidget *tree);

// Lets the tree select several whole rows and puts selectedRowsText() on the
// clipboard on the copy key, instead of the one cell the view copies itself.
void enable(QTreeWidget *tree);

} // namespace TableCopy
