#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// A button that goes grey while its work runs would lose the keyboard focus
// to the next enabled widget, where the next Space or Enter would do
// something else. This parks the focus elsewhere meanwhile and gives it back
// to the button as soon as the button is enabled again, be it at the end of
// its commands or only when a memory read ends, unless the user has moved the
// focus in between.
class FocusReturn : public QObject
{
    Q_OBJECT

public:
    // Parks the focus on `parking` when `widget` has it; returns the object
    // that gives it back (owned by `widget`), or nullptr when there was
    // nothing to park.
    static FocusReturn *park(QWidget *widget, QWidget *parking);

    // Gives the focus back now if the widget is enabled; otherwise it comes
    // back when the widget is enabled.
    void settle();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    FocusReturn(QWidget *widget, QWidget *parking);
    void giveBack();

    QPointer<QWidget> m_widget;
    QPointer<QWidget> m_parking;
    bool m_done = false;
};
