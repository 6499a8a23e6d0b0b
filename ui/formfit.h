#pragma once

#include <QList>

class QAbstractSpinBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;

// The form places its widgets at fixed positions, made for the fonts of its
// first platform. These keep its texts whole with the fonts of this one.
namespace FormFit {

// A row of buttons keeps its places while every text fits. Otherwise the
// buttons share the room from the first one's left edge to `right`, each as
// wide as its text needs; where that room is too small even so, their font
// gets smaller until the texts fit.
void fitButtonRow(const QList<QPushButton *> &row, int right);

// A value box keeps its place and width while its widest value fits.
// Otherwise it grows to the right as far as that value needs and its
// container has room, and what stands right of it on its row moves along.
void fitValueBox(QAbstractSpinBox *box);

// The tabs share the width the window shows of the tab widget in equal
// parts, with a gap between neighbours, so that two tabs side by side read as
// two and none is wider than its share, whatever the font.
void shareTabWidth(QTabWidget *tabs);

// Whether the widget's text fits inside it (what the tests check).
bool textFits(const QPushButton *button);
bool textFits(const QRadioButton *button);
bool textFits(const QLabel *label);
bool textFits(const QAbstractSpinBox *box); // its widest value

// The widgets that take the keyboard focus inside each container, in reading
// order (by their top edges top to bottom, and left to right within a row;
// the containers one after the other), become the Tab order.
void setReadingOrder(const QList<QWidget *> &containers);
// The same widgets in that order.
QList<QWidget *> readingOrder(const QList<QWidget *> &containers);

} // namespace FormFit
