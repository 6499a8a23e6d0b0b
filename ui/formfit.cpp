#include "formfit.h"

#include <QAbstractSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <algorithm>

namespace {

// Room a button's text needs beyond its own width: the style's margins.
constexpr int buttonMargin = 10;
constexpr int smallestPointSize = 7;
// Widgets whose top edges, or centres, lie this close count as one row.
constexpr int rowTolerance = 12;

int neededWidth(const QPushButton *button, const QFont &font)
{
    return QFontMetrics(font).horizontalAdvance(button->text()) + buttonMargin;
}

} // namespace

bool FormFit::textFits(const QPushButton *button)
{
    return neededWidth(button, button->font()) <= button->width();
}

bool FormFit::textFits(const QRadioButton *button)
{
    // The size hint is the indicator, the gap and the whole text.
    return button->sizeHint().width() <= button->width();
}

bool FormFit::textFits(const QLabel *label)
{
    const QFontMetrics metrics(label->font());
    const QStringList lines = label->text().split(QLatin1Char('\n'));
    int widest = 0;
    for (const QString &line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest <= label->contentsRect().width();
}

bool FormFit::textFits(const QAbstractSpinBox *box)
{
    // The size hint is the widest of the minimum's and the maximum's texts
    // with the frame and the arrow buttons around it.
    return box->sizeHint().width() <= box->width();
}

void FormFit::fitValueBox(QAbstractSpinBox *box)
{
    const int need = box->sizeHint().width() - box->width();
    QWidget *container = box->parentWidget();
    if (need <= 0 || !container)
        return;
    const QRect place = box->geometry();
    QList<QWidget *> behind;
    int rowEnd = place.right();
    for (QWidget *w : container->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (w == box || w->x() <= place.x() || !w->isVisibleTo(container)
            || std::abs(w->geometry().center().y() - place.center().y()) > rowTolerance)
            continue;
        behind << w;
        rowEnd = std::max(rowEnd, w->geometry().right());
    }
    const int grow = std::min(need, container->width() - 1 - rowEnd);
    if (grow <= 0)
        return;
    box->resize(place.width() + grow, place.height());
    for (QWidget *w : behind)
        w->move(w->x() + grow, w->y());
}

void FormFit::fitButtonRow(const QList<QPushButton *> &row, int right)
{
    if (row.isEmpty()
        || std::all_of(row.cbegin(), row.cend(), [](const QPushButton *b) { return textFits(b); }))
        return;
    const int left = row.first()->x();
    const int gap = row.size() > 1 ? row.at(1)->x() - (row.at(0)->x() + row.at(0)->width()) : 0;
    const int room = right - left - gap * int(row.size() - 1);

    QFont font = row.first()->font();
    QList<int> widths;
    for (;;) {
        widths.clear();
        int total = 0;
        for (const QPushButton *button : row) {
            widths << neededWidth(button, font);
            total += widths.last();
        }
        if (total <= room || font.pointSize() <= smallestPointSize) {
            // Whatever room is left is shared out evenly.
            const int spare = std::max(0, room - total) / int(row.size());
            for (int &width : widths)
                width += spare;
            break;
        }
        font.setPointSize(font.pointSize() - 1);
    }
    int x = left;
    for (int i = 0; i < row.size(); ++i) {
        QPushButton *button = row.at(i);
        if (font != button->font())
            button->setFont(font);
        button->setGeometry(x, button->y(), widths.at(i), button->height());
        x += widths.at(i) + gap;
    }
}

void FormFit::shareTabWidth(QTabWidget *tabs)
{
    constexpr int padding = 6; // the tab sheet's, on either side of the text
    constexpr int gap = 4;
    const int count = tabs->count();
    if (count == 0)
        return;
    // The tab widget reaches past the window's right edge.
    int visible = tabs->width();
    if (const QWidget *window = tabs->parentWidget())
        visible = std::min(visible, window->width() - tabs->x());
    const int share = (visible - gap * (count - 1)) / count;
    // The sheet's widths are the text's room, without the padding; the gap is
    // a margin, which the tab bar counts into the tab's place but leaves
    // unpainted.
    tabs->setStyleSheet(tabs->styleSheet()
                        + QStringLiteral("\nQTabBar::tab { min-width: %1px; max-width: %1px;"
                                         " margin-right: %2px; }\n"
                                         "QTabBar::tab:last { margin-right: 0px; }\n")
                              .arg(share - 2 * padding)
                              .arg(gap));
}

QList<QWidget *> FormFit::readingOrder(const QList<QWidget *> &containers)
{
    QList<QWidget *> order;
    for (QWidget *container : containers) {
        QList<QWidget *> widgets;
        // The form's own widgets (Qt names the parts it builds them from
        // "qt_..."), the ones Tab can reach.
        for (QWidget *child : container->findChildren<QWidget *>()) {
            const QString name = child->objectName();
            if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_"))
                && (child->focusPolicy() & Qt::TabFocus) && child->isVisibleTo(container))
                widgets << child;
        }
        // By top edges, not centres: a tall widget (the measurement table)
        // beside a column of buttons comes before them, as it starts above
        // them, although its middle lies between them.
        const auto corner
            = [container](const QWidget *w) { return w->mapTo(container, QPoint(0, 0)); };
        std::sort(widgets.begin(), widgets.end(), [&](const QWidget *a, const QWidget *b) {
            return corner(a).y() < corner(b).y();
        });
        // Rows, then left to right within each.
        for (qsizetype start = 0; start < widgets.size();) {
            qsizetype end = start + 1;
            while (end < widgets.size()
                   && corner(widgets.at(end)).y() - corner(widgets.at(start)).y() <= rowTolerance)
                ++end;
            std::sort(
                widgets.begin() + start, widgets.begin() + end,
                [&](const QWidget *a, const QWidget *b) { return corner(a).x() < corner(b).x(); });
            start = end;
        }
        order += widgets;
    }
    return order;
}

void FormFit::setReadingOrder(const QList<QWidget *> &containers)
{
    const QList<QWidget *> order = readingOrder(containers);
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}
