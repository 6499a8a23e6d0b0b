// Our programs' command lines, run as a user runs them on a machine without
// a display: no DISPLAY, no WAYLAND_DISPLAY, no QT_QPA_PLATFORM. "--help" and
// "--version" answer on standard output with exit status 0; a command line a
// program cannot take gets one line on standard error and exit status 2
// (kalvor2-cli: 1, as its help says).

#include <QProcess>
#include <QtTest>

namespace {

struct Run
{
    int exitCode = -1;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    QByteArray out;
    QByteArray err;
};

const QString cli = QStringLiteral("kalvor2-cli");

QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    return environment;
}

int usageStatus(const QString &program)
{
    return program == cli ? 1 : 2;
}

QString programPath(const QString &program)
{
    if (program == QLatin1String("kalvor2-demo"))
        return QStringLiteral(KALVOR2_DEMO);
    if (program == QLatin1String("kalvor2-replay"))
        return QStringLiteral(KALVOR2_REPLAY);
    if (program == cli)
        return QStringLiteral(KALVOR2_CLI);
    return QStringLiteral(KALVOR2_BENCH);
}

Run run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = withoutDisplay();
    // kalvor2-cli speaks the locale's language: its help in English here.
    if (program == cli)
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));
    process.setProcessEnvironment(environment);
    process.start(programPath(program), arguments);
    Run result;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        result.err = "did not end within 30 s";
        return result;
    }
    result.exitCode = process.exitCode();
    result.exitStatus = process.exitStatus();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QString described(const Run &r)
{
    return QStringLiteral("exit %1 (%2)\n--- out ---\n%3--- err ---\n%4")
        .arg(r.exitCode)
        .arg(r.exitStatus == QProcess::NormalExit ? "normal" : "crash")
        .arg(QString::fromLocal8Bit(r.out), QString::fromLocal8Bit(r.err));
}

const QStringList programs = {QStringLiteral("kalvor2-demo"), QStringLiteral("kalvor2-replay"),
                              QStringLiteral("kalvor2-bench"), cli};

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void help_data();
    void help();
    void version_data();
    void version();
    void refused_data();
    void refused();
    void qtOptionsReachTheDemosWindow();
};

void TestCommandLine::help_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("option");
    // What each help must name: the program's own options and arguments.
    QTest::addColumn<QStringList>("names");
    const QMap<QString, QStringList> names{
        {"kalvor2-demo", {"--records", "--memory-layout", "--unplug-at", "--replug-at"}},
        {"kalvor2-replay", {"FILE"}},
        {"kalvor2-bench", {"GROUP"}},
        // Its commands, the device's options and the exit statuses.
        {"kalvor2-cli",
         {"list", "info", "read", "set-clock", "write-config", "clear", "archive", "--port",
          "--archive", "--simulate", "--records", "--clock", "Exit status", "  5  "}}};
    for (const QString &program : programs) {
        for (const char *option : {"--help", "-h"})
            QTest::addRow("%s %s", qPrintable(program), option)
                << program << QString::fromLatin1(option) << names.value(program);
    }
}

void TestCommandLine::help()
{
    QFETCH(QString, program);
    QFETCH(QString, option);
    QFETCH(QStringList, names);
    const Run r = run(program, {option});
    QVERIFY2(r.exitStatus == QProcess::NormalExit && r.exitCode == 0, qPrintable(described(r)));
    QVERIFY2(r.err.isEmpty(), qPrintable(described(r)));
    const QString out = QString::fromLocal8Bit(r.out);
    QVERIFY2(out.startsWith(QStringLiteral("Usage: ") + program + u' '), qPrintable(out));
    for (const QString &name : names)
        QVERIFY2(out.contains(name), qPrintable(name + QStringLiteral(" missing in:\n") + out));
    QVERIFY2(out.contains(QLatin1String("--version")), qPrintable(out));
    // Qt's own options are let through, not offered.
    QVERIFY2(!out.contains(QLatin1String("platform")), qPrintable(out));
}

void TestCommandLine::version_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("option");
    for (const QString &program : programs) {
        for (const char *option : {"--version", "-v"})
            QTest::addRow("%s %s", qPrintable(program), option)
                << program << QString::fromLatin1(option);
    }
}

void TestCommandLine::version()
{
    QFETCH(QString, program);
    QFETCH(QString, option);
    const Run r = run(program, {option});
    QVERIFY2(r.exitStatus == QProcess::NormalExit && r.exitCode == 0, qPrintable(described(r)));
    QCOMPARE(r.out, (program + u' ' + QStringLiteral(KALVOR2_VERSION) + u'\n').toLocal8Bit());
    QVERIFY2(r.err.isEmpty(), qPrintable(described(r)));
}

void TestCommandLine::refused_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    for (const QString &program : programs)
        QTest::addRow("%s unknown option", qPrintable(program))
            << program << QStringList{"--no-such-option"};
    QTest::newRow("demo, unknown short option") << "kalvor2-demo" << QStringList{"-x"};
    QTest::newRow("demo, option without its value") << "kalvor2-demo" << QStringList{"--records"};
    QTest::newRow("demo, too many records") << "kalvor2-demo" << QStringList{"--records", "10001"};
    QTest::newRow("demo, unknown layout")
        << "kalvor2-demo" << QStringList{"--memory-layout", "sideways"};
    QTest::newRow("demo, unplug at no time")
        << "kalvor2-demo" << QStringList{"--unplug-at", "soon"};
    QTest::newRow("demo, a stray argument") << "kalvor2-demo" << QStringList{"capture.bin"};
    QTest::newRow("replay, no file") << "kalvor2-replay" << QStringList{};
    QTest::newRow("replay, two files") << "kalvor2-replay" << QStringList{"a.bin", "b.bin"};
    QTest::newRow("replay, a file named like an option, unreadable")
        << "kalvor2-replay" << QStringList{"--", "--help"};
    QTest::newRow("bench, unknown group") << "kalvor2-bench" << QStringList{"parser", "speed"};
    QTest::newRow("cli, no command") << cli << QStringList{"--simulate"};
    QTest::newRow("cli, unknown command") << cli << QStringList{"download"};
    QTest::newRow("cli, an option of another command") << cli << QStringList{"info", "--yes"};
    QTest::newRow("cli, simulation option without --simulate")
        << cli << QStringList{"--records", "5", "info"};
    QTest::newRow("cli, read with an argument") << cli << QStringList{"read", "m.txt"};
    QTest::newRow("cli, archive export without a number")
        << cli << QStringList{"archive", "export"};
}

void TestCommandLine::refused()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    const Run r = run(program, arguments);
    QVERIFY2(r.exitStatus == QProcess::NormalExit && r.exitCode == usageStatus(program),
             qPrintable(described(r)));
    QVERIFY2(r.out.isEmpty(), qPrintable(described(r)));
    QVERIFY2(r.err.startsWith((program + QStringLiteral(": ")).toLocal8Bit()),
             qPrintable(described(r)));
    QVERIFY2(r.err.endsWith('\n') && r.err.count('\n') == 1, qPrintable(described(r)));
}

// Qt's own options still reach the demo's window: with "-platform offscreen"
// it comes up without a display and stays up.
void TestCommandLine::qtOptionsReachTheDemosWindow()
{
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    QProcess process;
    QProcessEnvironment environment = withoutDisplay();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    process.setProcessEnvironment(environment);
    process.start(programPath(QStringLiteral("kalvor2-demo")),
                  {QStringLiteral("-platform"), QStringLiteral("offscreen"),
                   QStringLiteral("--records"), QStringLiteral("3")});
    QVERIFY(process.waitForStarted());
    const bool ended = process.waitForFinished(2500);
    const QByteArray err = process.readAllStandardError();
    if (!ended) {
        process.terminate();
        process.waitForFinished();
    }
    QVERIFY2(!ended, err.constData());
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
