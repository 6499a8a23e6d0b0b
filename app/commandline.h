#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

// The command line of our programs (kalvor2-demo, kalvor2-replay,
// kalvor2-bench), read from main's arguments before any application object
// exists: "--help" and "--version" must work on a machine without a display,
// where a QApplication would abort. Both are answered on standard output with
// exit status 0; a command line the program cannot take gets one line on
// standard error and exit status 2 (or the program's own, see
// setUsageExitCode()).
class CommandLine
{
public:
    // The help's own texts for --help and --version, for a program that
    // speaks the user's language; English when none are given.
    struct OwnTexts
    {
        QString help;
        QString version;
    };

    CommandLine(int argc, char *argv[], const QString &description,
                const OwnTexts &texts = OwnTexts());

    // Add the program's own options and positional arguments here before
    // process().
    QCommandLineParser &parser() { return m_parser; }

    // Lets Qt's own window options (-platform, -style, ...) through: the
    // application object created after process() reads them from the same
    // arguments.
    void acceptQtWindowOptions();

    // Parses the arguments; ends the program for --help, --version and a
    // command line it cannot take. Returns when the program is to run.
    void process();

    // Text shown at the end of --help (a program's commands, its exit codes).
    void setEpilogue(const QString &text) { m_epilogue = text; }
    // The exit status for a command line the program cannot take.
    void setUsageExitCode(int code) { m_usageExitCode = code; }

    // "<program>: <message>" on standard error, exit status 2 (or the one
    // set with setUsageExitCode()).
    [[noreturn]] void fail(const QString &message) const;

    const QString &program() const { return m_program; }

private:
    QString m_program;
    QStringList m_arguments;
    QCommandLineParser m_parser;
    QCommandLineOption m_help;
    QCommandLineOption m_version;
    QString m_epilogue;
    int m_usageExitCode = 2;
};
