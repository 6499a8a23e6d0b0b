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

// While a command runs, the pressed button goes grey; Qt would hand its focus
// to the next enabled one, where a second Space would do something else (next
// to the memory buttons, "Werkeinstellung setzen" would overwrite the
// fields). For the guard's lifetime `holder` holds the focus of the window's
// focused button; the button gets it back once it is enabled again (after a
// memory read, only when the read ends). A field being edited keeps it: no
// command turns a field grey.
class FocusParking
{
public:
    FocusParking(QWidget *window, QWidget *holder);
    ~FocusParking();
    Q_DISABLE_COPY_MOVE(FocusParking)

    // Runs `command` with the focus parked, and returns what it returns.
    template<typename Command>
    static auto run(QWidget *window, QWidget *holder, Command command)
    {
        const FocusParking parking(window, holder);
        return command();
    }

private:
    QPointer<FocusReturn> m_return;
};
