#include "invocation.h"

#include "app/commandline.h"
#include "cli/exitcode.h"
#include "protocol/devicesettings.h"
#include "sim/simulateddevice.h"

#include <QCoreApplication>

#include <optional>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(KalvorIIControl)
};

// One command: its name, what it does, and how it is called.
struct Command
{
    const char *name;
    QString syntax;
    QString description;
};

QList<Command> commands()
{
    return {
        {"list", QStringLiteral("list"),
         Texts::tr("Listet die FTDI-Wandler: Anschluss, USB-Seriennummer und ob er sich öffnen "
                   "lässt.")},
        {"info", QStringLiteral("info [--json]"),
         Texts::tr("Liest Seriennummer, Firmware, Kontroll-Datum, Messbereich, Speicherbelegung "
                   "und die Einstellungen des Geräts, eine Zeile „Schlüssel: Wert“ je Angabe.")},
        {"read", QStringLiteral("read [--out FILE] [--clear-after] [--no-archive]"),
         Texts::tr("Liest den Messwertspeicher, legt den Lesevorgang im Archiv ab und schreibt die "
                   "Messwerte: FILE.xlsx als Arbeitsmappe, FILE.txt als Punkt- und Kommadatei, "
                   "ohne --out oder mit - als Zeilen mit Tabulatoren auf die Standardausgabe.")},
        {"set-clock", QStringLiteral("set-clock"),
         Texts::tr("Stellt die Uhr des Geräts auf Datum und Uhrzeit des PCs.")},
        {"write-config", QStringLiteral("write-config KEY=VALUE …"),
         Texts::tr("Ändert Einstellungen, liest sie zurück und zeigt, was das Gerät nun hält.")},
        {"clear", QStringLiteral("clear --yes"),
         Texts::tr("Löscht den Messwertspeicher des Geräts.")},
        {"archive", QStringLiteral("archive list | archive export ID [--out FILE]"),
         Texts::tr("Listet die Lesevorgänge des Archivs, oder schreibt einen davon wie einen "
                   "neuen.")},
    };
}

QString exitCodesText()
{
    return Texts::tr(
        "Rückgabewerte:\n"
        "  0  erledigt\n"
        "  1  Aufruf fehlerhaft\n"
        "  2  kein Wandler gefunden, er lässt sich nicht öffnen oder ging verloren\n"
        "  3  das Gerät antwortet nicht (oder übernimmt eine Einstellung nicht)\n"
        "  4  Speicher unvollständig gelesen (die Messwerte sind trotzdem geschrieben und "
        "archiviert)\n"
        "  5  eine Datei oder das Archiv ließ sich nicht schreiben\n");
}

QString commandsText()
{
    QString text = Texts::tr("Befehle:") + u'\n';
    for (const Command &command : commands())
        text += QStringLiteral("  ") + command.syntax + QStringLiteral("\n      ")
            + command.description + u'\n';
    return text;
}

QString settingsText()
{
    QStringList names;
    for (const DeviceSetting &setting : deviceSettings)
        names << QStringLiteral("%1 (%2–%3)")
                     .arg(QLatin1String(setting.name))
                     .arg(setting.range.min)
                     .arg(setting.range.max);
    return names.join(QLatin1String(", "));
}

// The options every command takes: where the device is, and the archive.
struct CommonOptions
{
    QCommandLineOption port{QStringLiteral("port"),
                            Texts::tr("Der Anschluss des Wandlers (/dev/ttyUSB1), wenn mehrere "
                                      "eingesteckt sind; sonst der erste, der sich öffnen lässt."),
                            QStringLiteral("port")};
    QCommandLineOption archive{
        QStringLiteral("archive"),
        Texts::tr("Die Archivdatei, statt der gemeinsamen des Programms (mit --simulate: der des "
                  "simulierten Geräts)."),
        QStringLiteral("file")};
    QCommandLineOption simulate{QStringLiteral("simulate"),
                                Texts::tr("Ein simuliertes Gerät im Programm statt eines Wandlers, "
                                          "im Tempo der echten Leitung.")};
    QCommandLineOption records{QStringLiteral("records"),
                               Texts::tr("Mit --simulate: so viele Messwerte hält das Gerät, 0 "
                                         "bis %1 (sonst %2).")
                                   .arg(SimulatedDevice::memoryCapacity)
                                   .arg(SimulatedDevice::demoRecordCount),
                               QStringLiteral("count"),
                               QString::number(SimulatedDevice::demoRecordCount)};
    QCommandLineOption layout{QStringLiteral("memory-layout"),
                              Texts::tr("Mit --simulate: per-record (ein Bericht je Messwert) "
                                        "oder one-report (alle in einem Bericht)."),
                              QStringLiteral("layout"), QStringLiteral("per-record")};
    QCommandLineOption unplugAt{QStringLiteral("unplug-at"),
                                Texts::tr("Mit --simulate: zieht den Wandler so viele Sekunden "
                                          "nach dem Start ab."),
                                QStringLiteral("seconds")};
    QCommandLineOption replugAt{QStringLiteral("replug-at"),
                                Texts::tr("Mit --simulate: steckt ihn so viele Sekunden nach dem "
                                          "Start wieder ein."),
                                QStringLiteral("seconds")};
    QCommandLineOption clock{QStringLiteral("clock"),
                             Texts::tr("Mit --simulate: die Uhr des PCs steht auf diesem "
                                       "Zeitpunkt (2026-12-08T14:05:09), damit zwei Läufe "
                                       "dieselben Dateien schreiben."),
                             QStringLiteral("time")};

    void addTo(QCommandLineParser &parser) const
    {
        for (const QCommandLineOption *option :
             {&port, &archive, &simulate, &records, &layout, &unplugAt, &replugAt, &clock})
            parser.addOption(*option);
    }
    QStringList namesWithValue() const
    {
        QStringList names;
        for (const QCommandLineOption *option :
             {&port, &archive, &records, &layout, &unplugAt, &replugAt, &clock})
            names << QStringLiteral("--") + option->names().first();
        return names;
    }
};

// The command: the first argument that is neither an option nor the value
// of one.
QString findCommand(int argc, char *argv[], const QStringList &withValue)
{
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == QLatin1String("--"))
            return QString::fromLocal8Bit(i + 1 < argc ? argv[i + 1] : "");
        if (withValue.contains(argument)) {
            ++i;
            continue;
        }
        if (!argument.startsWith(u'-'))
            return argument;
    }
    return QString();
}

std::optional<Command> commandNamed(const QString &name)
{
    for (const Command &command : commands()) {
        if (name == QLatin1String(command.name))
            return command;
    }
    return std::nullopt;
}

CommandLine::OwnTexts ownTexts()
{
    return {Texts::tr("Zeigt diese Hilfe und endet."),
            Texts::tr("Zeigt die Version des Programms und endet.")};
}

void readSimulation(CommandLine &commandLine, const CommonOptions &common, Invocation &invocation)
{
    const QCommandLineParser &parser = commandLine.parser();
    invocation.simulate = parser.isSet(common.simulate);
    const QList<const QCommandLineOption *> simulationOnly
        = {&common.records, &common.layout, &common.unplugAt, &common.replugAt, &common.clock};
    for (const QCommandLineOption *option : simulationOnly) {
        if (parser.isSet(*option) && !invocation.simulate)
            commandLine.fail(
                Texts::tr("--%1 gilt nur mit --simulate").arg(option->names().first()));
    }
    if (invocation.simulate && parser.isSet(common.port))
        commandLine.fail(Texts::tr("--port und --simulate schließen einander aus"));

    bool ok = false;
    DemoOptions &simulation = invocation.simulation;
    simulation.records = parser.value(common.records).toInt(&ok);
    if (!ok || simulation.records < 0 || simulation.records > SimulatedDevice::memoryCapacity)
        commandLine.fail(Texts::tr("--records nimmt eine Zahl von 0 bis %1")
                             .arg(SimulatedDevice::memoryCapacity));
    const QString layout = parser.value(common.layout);
    if (layout == QLatin1String("one-report"))
        simulation.layout = DeviceReports::MemoryLayout::OneReport;
    else if (layout != QLatin1String("per-record"))
        commandLine.fail(Texts::tr("--memory-layout nimmt per-record oder one-report"));
    const auto milliseconds = [&](const QCommandLineOption &option) -> std::optional<int> {
        if (!parser.isSet(option))
            return std::nullopt;
        bool valid = false;
        const double seconds = parser.value(option).toDouble(&valid);
        if (!valid || seconds < 0 || seconds > 24 * 3600)
            commandLine.fail(
                Texts::tr("--%1 nimmt eine Zahl von Sekunden").arg(option.names().first()));
        return qRound(seconds * 1000);
    };
    simulation.unplugAtMs = milliseconds(common.unplugAt);
    simulation.replugAtMs = milliseconds(common.replugAt);
    if (parser.isSet(common.clock)) {
        invocation.fixedClock = QDateTime::fromString(parser.value(common.clock), Qt::ISODate);
        if (!invocation.fixedClock.isValid())
            commandLine.fail(Texts::tr("--clock nimmt Datum und Uhrzeit wie 2026-12-08T14:05:09"));
    }
}

void readSettingChanges(const CommandLine &commandLine, const QStringList &arguments,
                        Invocation &invocation)
{
    if (arguments.isEmpty())
        commandLine.fail(
            Texts::tr("write-config braucht mindestens ein KEY=VALUE: %1").arg(settingsText()));
    for (const QString &argument : arguments) {
        const qsizetype equals = argument.indexOf(u'=');
        const QString key = argument.left(equals);
        const DeviceSetting *found = nullptr;
        for (const DeviceSetting &setting : deviceSettings) {
            if (key == QLatin1String(setting.name))
                found = &setting;
        }
        if (equals < 0 || !found)
            commandLine.fail(Texts::tr("Unbekannte Einstellung „%1“; bekannt sind: %2")
                                 .arg(key, settingsText()));
        bool ok = false;
        const int value = argument.mid(equals + 1).toInt(&ok);
        if (!ok || !found->range.contains(value))
            commandLine.fail(Texts::tr("%1 nimmt eine ganze Zahl von %2 bis %3, nicht „%4“")
                                 .arg(key)
                                 .arg(found->range.min)
                                 .arg(found->range.max)
                                 .arg(argument.mid(equals + 1)));
        invocation.changes.append({found, value});
    }
}

} // namespace

Invocation invocationFromArguments(int argc, char *argv[])
{
    const CommonOptions common;
    const QString name = findCommand(argc, argv, common.namesWithValue());
    const std::optional<Command> command = commandNamed(name);

    CommandLine commandLine(argc, argv,
                            command ? command->description
                                    : Texts::tr("Liest und stellt einen Kalvor II ohne Fenster: "
                                                "dieselbe Arbeit wie das Fenster, für Skripte."),
                            ownTexts());
    commandLine.setUsageExitCode(ExitCode::usage);
    QCommandLineParser &parser = commandLine.parser();
    common.addTo(parser);

    const QCommandLineOption out(QStringLiteral("out"),
                                 Texts::tr("Die Datei: .xlsx für die Arbeitsmappe, .txt für die "
                                           "Punkt- und die Kommadatei, - für die Standardausgabe."),
                                 QStringLiteral("file"));
    const QCommandLineOption clearAfter(
        QStringLiteral("clear-after"),
        Texts::tr("Löscht den Speicher danach, aber nur wenn alle Messwerte gelesen und "
                  "Datei und Archiveintrag geschrieben sind."));
    const QCommandLineOption noArchive(QStringLiteral("no-archive"),
                                       Texts::tr("Legt den Lesevorgang nicht im Archiv ab."));
    const QCommandLineOption json(QStringLiteral("json"), Texts::tr("Gibt JSON aus."));
    const QCommandLineOption yes(QStringLiteral("yes"),
                                 Texts::tr("Bestätigt das Löschen; ohne --yes wird nichts "
                                           "gelöscht."));
    if (!command) {
        parser.addPositionalArgument(QStringLiteral("command"), Texts::tr("Was zu tun ist."),
                                     QStringLiteral("command [options]"));
        commandLine.setEpilogue(commandsText() + u'\n' + exitCodesText());
    } else {
        parser.addPositionalArgument(QLatin1String(command->name), command->description,
                                     command->syntax);
        commandLine.setEpilogue(
            (name == QLatin1String("write-config")
                 ? Texts::tr("Einstellungen: %1").arg(settingsText()) + QStringLiteral("\n\n")
                 : QString())
            + exitCodesText());
        if (name == QLatin1String("info"))
            parser.addOption(json);
        if (name == QLatin1String("read")) {
            parser.addOption(out);
            parser.addOption(clearAfter);
            parser.addOption(noArchive);
        }
        if (name == QLatin1String("archive"))
            parser.addOption(out);
        if (name == QLatin1String("clear"))
            parser.addOption(yes);
    }
    commandLine.process();
    if (!command) {
        if (name.isEmpty())
            commandLine.fail(Texts::tr("Befehl fehlt: list, info, read, set-clock, write-config, "
                                       "clear oder archive (--help zeigt sie)"));
        commandLine.fail(Texts::tr("Unbekannter Befehl „%1“ (--help zeigt die Befehle)").arg(name));
    }

    Invocation invocation;
    invocation.command = name;
    readSimulation(commandLine, common, invocation);
    invocation.port = parser.value(common.port);
    invocation.archivePath = parser.value(common.archive);
    // The positional arguments after the command's name.
    const QStringList arguments = parser.positionalArguments().mid(1);
    const auto noArguments = [&] {
        if (!arguments.isEmpty())
            commandLine.fail(Texts::tr("%1 nimmt kein Argument „%2“").arg(name, arguments.first()));
    };

    if (name == QLatin1String("write-config")) {
        readSettingChanges(commandLine, arguments, invocation);
    } else if (name == QLatin1String("archive")) {
        invocation.subcommand = arguments.value(0);
        invocation.out = parser.value(out);
        if (invocation.subcommand == QLatin1String("list")) {
            if (arguments.size() > 1)
                commandLine.fail(
                    Texts::tr("archive list nimmt kein Argument „%1“").arg(arguments.at(1)));
        } else if (invocation.subcommand == QLatin1String("export")) {
            bool ok = false;
            invocation.archiveId = arguments.value(1).toLongLong(&ok);
            if (arguments.size() != 2 || !ok || invocation.archiveId < 0)
                commandLine.fail(Texts::tr("archive export braucht die Nummer eines "
                                           "Lesevorgangs (archive list zeigt sie)"));
        } else {
            commandLine.fail(Texts::tr("archive braucht list oder export"));
        }
    } else {
        noArguments();
    }
    invocation.json = name == QLatin1String("info") && parser.isSet(json);
    invocation.yes = name == QLatin1String("clear") && parser.isSet(yes);
    if (name == QLatin1String("read")) {
        invocation.out = parser.value(out);
        invocation.clearAfter = parser.isSet(clearAfter);
        invocation.noArchive = parser.isSet(noArchive);
        // Clearing is safe only once the measurements are kept twice over.
        if (invocation.clearAfter && invocation.noArchive)
            commandLine.fail(Texts::tr("--clear-after braucht das Archiv: ohne --no-archive "
                                       "aufrufen"));
    }
    if (name == QLatin1String("clear") && !invocation.yes)
        commandLine.fail(Texts::tr("clear löscht den Speicher nur mit --yes"));
    const QString target = invocation.out;
    if (!target.isEmpty() && target != QLatin1String("-")
        && !target.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)
        && !target.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        commandLine.fail(Texts::tr("--out nimmt einen Namen auf .xlsx oder .txt, oder -"));
    return invocation;
}
