#include "commandline.h"

#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

namespace {

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

CommandLine::CommandLine(int argc, char *argv[], const QString &description, const OwnTexts &texts)
    : m_help({QStringLiteral("h"), QStringLiteral("help")},
             texts.help.isEmpty() ? QStringLiteral("Shows this help and ends.") : texts.help)
    , m_version({QStringLiteral("v"), QStringLiteral("version")},
                texts.version.isEmpty() ? QStringLiteral("Shows the program's version and ends.")
                                        : texts.version)
{
    for (int i = 0; i < argc; ++i)
        m_arguments << QString::fromLocal8Bit(argv[i]);
    m_program = QFileInfo(m_arguments.value(0)).fileName();
    m_parser.setApplicationDescription(description);
    // Our own help and version options instead of Qt's: Qt's would need the
    // application object that this parse runs before.
    m_parser.addOption(m_help);
    m_parser.addOption(m_version);
}

void CommandLine::acceptQtWindowOptions()
{
    // Qt's own options are single-dash words ("-platform offscreen").
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    static const char *const withValue[]
        = {"platform",        "platformpluginpath", "platformtheme", "plugin",
           "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
           "display",         "geometry",           "style",         "stylesheet"};
    static const char *const flags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
    for (const char *name : withValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        m_parser.addOption(option);
    }
    for (const char *name : flags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        m_parser.addOption(option);
    }
}

void CommandLine::process()
{
    if (!m_parser.parse(m_arguments))
        fail(m_parser.errorText());
    if (m_parser.isSet(m_help)) {
        // Without an application object Qt cannot know the program's name.
        QString help = m_parser.helpText();
        help.replace(QLatin1String("<executable_name>"), m_program);
        // With an application object Qt names the program as it was called.
        if (const qsizetype called = help.indexOf(m_arguments.value(0));
            called >= 0 && !m_arguments.value(0).isEmpty())
            help.replace(called, m_arguments.value(0).size(), m_program);
        if (!m_epilogue.isEmpty())
            help += u'\n' + m_epilogue;
        print(stdout, help);
        std::exit(0);
    }
    if (m_parser.isSet(m_version)) {
        print(stdout, m_program + QLatin1Char(' ') + QStringLiteral(KALVOR2_VERSION) + u'\n');
        std::exit(0);
    }
}

void CommandLine::fail(const QString &message) const
{
    // One line, whatever the message holds.
    print(stderr, m_program + QStringLiteral(": ") + message.simplified() + u'\n');
    std::exit(m_usageExitCode);
}
