// kalvor2-bench: the figures that say whether the program keeps up with the
// device and never stalls its window. Prints one "NAME VALUE UNIT" line per
// figure. Runs offscreen; takes about a minute on two cores.
//
//   kalvor2-bench [GROUP...]   GROUP: parser, ui, system (default: all)

#include "benchutil.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    QApplication application(argc, argv);
    QStringList groups = application.arguments().mid(1);
    if (groups.isEmpty())
        groups = {QStringLiteral("parser"), QStringLiteral("ui"), QStringLiteral("system")};
    for (const QString &group : groups) {
        if (group == QLatin1String("parser"))
            runParserFigures();
        else if (group == QLatin1String("ui"))
            runUiFigures();
        else if (group == QLatin1String("system"))
            runSystemFigures();
        else if (group == QLatin1String("archive"))
            runArchiveFigures();
        else
            qFatal("unknown group %s (parser, ui, system)", qPrintable(group));
    }
    return 0;
}
