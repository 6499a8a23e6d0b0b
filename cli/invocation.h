#pragma once

#include "app/demooptions.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <utility>

struct DeviceSetting;

// What kalvor2-cli was asked to do, read from its command line.
struct Invocation
{
    QString command;    // list, info, read, set-clock, write-config, clear, archive
    QString subcommand; // archive: list or export

    // Where the device is.
    QString port; // empty: the first FTDI converter that opens
    bool simulate = false;
    DemoOptions simulation;
    QDateTime fixedClock; // --clock: the PC's clock as the simulated run sees it

    QString archivePath; // empty: the default archive
    bool noArchive = false;

    QString out; // empty or "-": standard output
    bool clearAfter = false;
    bool json = false;
    bool yes = false;
    qint64 archiveId = -1;
    QList<std::pair<const DeviceSetting *, int>> changes; // write-config
};

// Reads the command line. Ends the program for --help, --version (status 0)
// and for a command line it cannot take (one line on standard error, status
// 1). Needs the application object and the language installed: the help
// speaks the user's language.
Invocation invocationFromArguments(int argc, char *argv[]);
