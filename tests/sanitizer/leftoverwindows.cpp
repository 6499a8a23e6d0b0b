// Linked into every test of the sanitizer build: when a test's application
// shuts down, no window may be left that the test made (a controller's main
// window, a preview window, a message box). LeakSanitizer cannot report
// these: Qt keeps every widget in a global list until after this point, so a
// forgotten controller with its window still counts as reachable.

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

void checkNoWindowsLeft()
{
    // Windows closed with WA_DeleteOnClose are on their way out.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QStringList left;
    for (QWidget *widget : QApplication::allWidgets()) {
        if (widget->parent())
            continue;
        left << QStringLiteral("%1 \"%2\" (%3)")
                    .arg(QString::fromLatin1(widget->metaObject()->className()),
                         widget->objectName(), widget->windowTitle());
    }
    if (left.isEmpty())
        return;
    std::fprintf(stderr, "leftover windows at exit, the test did not delete them:\n  %s\n",
                 qPrintable(left.join(QStringLiteral("\n  "))));
    std::fflush(stderr);
    std::abort();
}

// Runs as each application starts; only widget tests can leave windows.
void installCheck()
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        qAddPostRoutine(checkNoWindowsLeft);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installCheck)
