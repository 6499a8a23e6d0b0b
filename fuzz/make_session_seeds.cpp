// Writes the seed corpus of kalvor2-fuzz-session: the written schedules of
// tests/simulation/schedules (the ways rows were once lost, misread or
// misnamed, and a clear sent to the wrong device) as bytes, and seeded
// schedules until every kind of event is in the corpus.
//
//   kalvor2-fuzz-session-seeds SCHEDULES-DIRECTORY CORPUS-DIRECTORY

#include "schedule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSet>

#include <cstdio>

namespace {
bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: kalvor2-fuzz-session-seeds SCHEDULES CORPUS\n");
        return 2;
    }
    const QDir schedules(arguments.at(1));
    QDir corpus(arguments.at(2));
    corpus.mkpath(QStringLiteral("."));
    QSet<int> kinds;
    for (const QString &name : schedules.entryList({QStringLiteral("*.txt")}, QDir::Files)) {
        QFile file(schedules.filePath(name));
        QString error;
        const std::optional<Schedule> schedule = file.open(QIODevice::ReadOnly)
            ? Schedule::fromText(QString::fromUtf8(file.readAll()), &error)
            : std::nullopt;
        if (!schedule) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(error));
            return 1;
        }
        for (const Schedule::Event &event : schedule->events)
            kinds.insert(int(event.kind));
        if (!write(corpus.filePath(QStringLiteral("written_") + QFileInfo(name).baseName()),
                   schedule->toBytes()))
            return 1;
    }
    for (quint64 seed = 1; kinds.size() < int(Schedule::Kind::KindCount) || seed <= 8; ++seed) {
        const QByteArray bytes = Schedule::seedBytes(seed);
        for (const Schedule::Event &event : Schedule::fromBytes(bytes).events)
            kinds.insert(int(event.kind));
        if (!write(corpus.filePath(QStringLiteral("seed_%1").arg(seed)), bytes))
            return 1;
    }
    return 0;
}
