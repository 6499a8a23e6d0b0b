// kalvor2-bench: the figures that say whether the program keeps up with the
// device and never stalls its window. Prints one "NAME VALUE UNIT" line per
// figure. Runs offscreen; takes about a minute on two cores.
//
//   kalvor2-bench [GROUP...]   GROUP: parser, ui, system, archive (default: all)

#include "app/commandline.h"
#include "benchutil.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    CommandLine commandLine(
        argc, argv,
        QStringLiteral("The Kalvor II tool's figures: parser, window and idle loop, one "
                       "\"NAME VALUE UNIT\" line per figure. Runs offscreen; all groups take "
                       "about a minute."));
    commandLine.parser().addPositionalArgument(
        QStringLiteral("GROUP"),
        QStringLiteral("parser, ui, system or archive (default: all four)."),
        QStringLiteral("[GROUP...]"));
    commandLine.process();
    const QStringList known = {QStringLiteral("parser"), QStringLiteral("ui"),
                               QStringLiteral("system"), QStringLiteral("archive")};
    QStringList groups = commandLine.parser().positionalArguments();
    for (const QString &group : groups) {
        if (!known.contains(group))
            commandLine.fail(
                QStringLiteral("unknown group %1 (parser, ui, system, archive)").arg(group));
    }
    if (groups.isEmpty())
        groups = known;

    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    QApplication application(argc, argv);
    for (const QString &group : groups) {
        if (group == QLatin1String("parser"))
            runParserFigures();
        else if (group == QLatin1String("ui"))
            runUiFigures();
        else if (group == QLatin1String("archive"))
            runArchiveFigures();
        else
            runSystemFigures();
    }
    return 0;
}
