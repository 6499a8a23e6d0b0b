#include "textwindow.h"

#include <QString>
#include <QTabWidget>
#include <QTextEdit>

void openTextWindow(const QString &text)
{
    auto *window = new QTabWidget;
    // Nobody keeps a reference to the preview: free it when the user closes it.
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Closing the main window ends the program, open previews or not: a
    // forgotten preview must not keep the process and the port.
    window->setAttribute(Qt::WA_QuitOnClose, false);
    window->setFixedSize(500, 400);
    window->setVisible(true);
    auto *view = new QTextEdit(window);
    view->setPlainText(text);
    view->setReadOnly(true);
    view->setFixedSize(500, 400);
    view->show();
}
