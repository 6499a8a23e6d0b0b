#include "focusreturn.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QWidget>

FocusReturn::FocusReturn(QWidget *widget, QWidget *parking)
    : QObject(widget)
    , m_widget(widget)
    , m_parking(parking)
{
    widget->installEventFilter(this);
}

FocusReturn *FocusReturn::park(QWidget *widget, QWidget *parking)
{
    if (!widget || !parking || widget == parking || QApplication::focusWidget() != widget)
        return nullptr;
    parking->setFocus(Qt::OtherFocusReason);
    return new FocusReturn(widget, parking);
}

void FocusReturn::settle()
{
    if (m_widget && m_widget->isEnabled())
        giveBack();
}

bool FocusReturn::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_widget && event->type() == QEvent::EnabledChange && m_widget->isEnabled())
        giveBack();
    return QObject::eventFilter(watched, event);
}

void FocusReturn::giveBack()
{
    if (m_done)
        return;
    m_done = true;
    // Where the user has put the focus meanwhile, it stays.
    if (m_parking && QApplication::focusWidget() == m_parking)
        m_widget->setFocus(Qt::OtherFocusReason);
    m_widget->removeEventFilter(this);
    deleteLater();
}

FocusParking::FocusParking(QWidget *window, QWidget *holder)
{
    auto *button = qobject_cast<QAbstractButton *>(QApplication::focusWidget());
    if (button && window->isAncestorOf(button))
        m_return = FocusReturn::park(button, holder);
}

FocusParking::~FocusParking()
{
    if (m_return)
        m_return->settle();
}
