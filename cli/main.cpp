#include "cli/commands.h"
#include "cli/exitcode.h"
#include "cli/invocation.h"
#include "session/clock.h"
#include "ui/language.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

namespace {

// Standard error carries the program's own messages; Qt's debug output (the
// configuration write traces its last command there) is not for a script.
void messageHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    const QByteArray line = (QStringLiteral("kalvor2-cli: ") + message + u'\n').toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(messageHandler);
    // Qt Core only: runs with no display at all.
    QCoreApplication application(argc, argv);
    // The window's name, so that both programs keep one archive in the same
    // data folder.
    QCoreApplication::setApplicationName(QStringLiteral("kalvor2"));

    // German or English, as the window decides it.
    QTranslator translator;
    QTranslator qtTranslator;
    Language::install(application, translator, qtTranslator,
                      Language::translationFile(QDir::currentPath(), Language::installedFolder(),
                                                QLocale::system().uiLanguages()));

    const Invocation invocation = invocationFromArguments(argc, argv);
    if (invocation.fixedClock.isValid())
        Clock::setFixed(invocation.fixedClock);

    const QString &command = invocation.command;
    if (command == QLatin1String("list"))
        return listConverters(invocation);
    if (command == QLatin1String("info"))
        return showInfo(invocation);
    if (command == QLatin1String("read"))
        return readMemory(invocation);
    if (command == QLatin1String("set-clock"))
        return setClock(invocation);
    if (command == QLatin1String("write-config"))
        return writeConfig(invocation);
    if (command == QLatin1String("clear"))
        return clearMemory(invocation);
    return archiveCommand(invocation);
}
