#include "tablecopy.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTreeWidget>

namespace {

QString line(const QTreeWidgetItem *item, int columns)
{
    QStringList cells;
    for (int column = 0; column < columns; ++column)
        cells << item->text(column);
    return cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
}

class CopyKey : public QObject
{
public:
    explicit CopyKey(QTreeWidget *tree)
        : QObject(tree)
        , m_tree(tree)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const bool key
            = event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
        if (watched != m_tree || !key
            || !static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy))
            return false;
        const QString text = TableCopy::selectedRowsText(m_tree);
        if (text.isEmpty())
            return false;
        // Claimed before any shortcut of the window can take the key.
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        QApplication::clipboard()->setText(text);
        return true;
    }

private:
    QTreeWidget *m_tree;
};

} // namespace

QString TableCopy::selectedRowsText(const QTreeWidget *tree)
{
    const int columns = tree->columnCount();
    QString text;
    for (int row = 0; row < tree->topLevelItemCount(); ++row) {
        const QTreeWidgetItem *item = tree->topLevelItem(row);
        if (item->isSelected())
            text += line(item, columns);
    }
    return text.isEmpty() ? text : line(tree->headerItem(), columns) + text;
}

void TableCopy::enable(QTreeWidget *tree)
{
    tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree->installEventFilter(new CopyKey(tree));
}
