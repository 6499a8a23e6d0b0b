#pragma once

#include "schedule.h"

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <optional>

class SimConverter;
class SimulatedDevice;
struct SimulatedMeasurement;

// Plays a schedule against the device session, as the program runs it
// without a window, on simulated devices in simulated time: the first
// device plugged in at 0, the session's receive runs, clock ticks and looks
// at the converter list at their intervals, its pauses passing simulated
// time (during which the schedule's unplugs, plugs, device pauses and kills
// still happen), the user's presses between them; a kill ends the program
// where it stands and starts it again on the same archive. After the last
// event, half a simulated minute more.
//
// After every event and every clock tick it holds the program against what
// each device holds:
//  1. every row shown equals the record of that number on the device that
//     sent it, at that device's scale;
//  2. a read reported complete holds exactly rows 1..N of that device, one
//     that ended otherwise says truthfully how many rows arrived (and does
//     not end while bytes already received still hold rows), and the table
//     is emptied only once a read command has reached the device;
//  3. "221" reaches a device only on the connection the clear question was
//     asked on, and configuration texts only the device written to;
//  4. the clear question's words are true of the device connected when it
//     is asked, and when "Ja" clears it;
//  5. after a kill, the archive opens and holds, for each read, rows each
//     equal to their record, at least those of the ticks before the kill.
// Same schedule, same run: nothing depends on the machine's clock.
class Simulation
{
public:
    explicit Simulation(const Schedule &schedule);
    ~Simulation();

    // The first invariant broken, with the time and the last event; empty
    // when none was.
    QString run();
    qint64 simulatedMs() const { return m_now; }
    // Where the run ended: the rows shown, what the read says, the
    // connections made and what each device holds.
    QString outcome() const;

    static constexpr qint64 settleMs = 30000;

private:
    struct Process;
    struct Question
    {
        int converterConnection;
        int sessionConnection;
        QString words;
    };

    void advanceTo(qint64 until, bool serving);
    void runEnvironment();
    void perform(const Schedule::Event &event);
    void startProcess();
    void kill();
    void restart();
    void rowsCleared();
    void rowsAdded(qsizetype from);
    void checkRead();
    QString untrue(const QString &words) const;
    void checkArchive(const QString &path);
    void fail(const QString &what);
    QStringList expectedRow(int device, int number) const;

    Schedule m_schedule;
    QList<Schedule::Event> m_environment; // happens whatever the program does
    QList<Schedule::Event> m_presses;     // the user's, between commands
    qsizetype m_nextEnvironment = 0;
    QList<std::shared_ptr<SimulatedDevice>> m_devices;
    QList<QList<SimulatedMeasurement>> m_stored; // what each device holds at the start
    std::unique_ptr<SimConverter> m_converter;
    std::unique_ptr<Process> m_process;
    qint64 m_now = 0;
    int m_depth = 0; // pauses of a command under way
    bool m_killed = false;
    qint64 m_restartAt = 0;
    QString m_lastEvent;
    QString m_failure;

    // The model of the program's table and question.
    bool m_pressingRead = false;
    int m_readCommandsBefore = 0;
    int m_readDevice = -1; // the device the rows shown came from
    int m_readMemorySize = 0;
    bool m_clearedSinceRead = false;
    bool m_readRunning = false;
    qint64 m_endedAtBytes = -1; // bytes taken when the read ended; -1: it runs
    qsizetype m_exportedRows = -1;
    std::optional<Question> m_question;

    std::optional<QTemporaryDir> m_archiveDir;
    QString m_archivePath;
    int m_generation = 0;
    QMap<qint64, qsizetype> m_rowsAtTick; // per archived read: rows shown at its last tick
};
