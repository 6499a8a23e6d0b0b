#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// A technician's session with the devices, as the simulation plays it: the
// devices at hand, and what happens when, in simulated milliseconds from the
// program's start (with the first device plugged in).
//
// Any bytes decode into a schedule (a seed's bytes, or a fuzzer's), and a
// schedule prints as short text, one event a line, that reads back into the
// same schedule:
//
//   device 1: serial 100001, range 50, records 150, per-record
//   device 2: serial 100112, range 1500, records 40, one-report, sends 10, announces 20
//   0 pace 64 B every 5 ms
//   1250 read                     ("Speicher lesen")
//   1310 unplug
//   2400 plug device 2
//   2500 ask                      ("Speicher löschen": the question opens)
//   3100 answer Ja
//   3200 write setting 3 step 12  ("Einstellungen setzen", one setting edited)
//   3300 export
//   3400 kill
//
// Bytes: [devices][5 bytes a device][4 bytes an event: kind, argument, delay
// in ms after the event before, 2 bytes little endian]. The decoding is in
// schedule.cpp, table by table.
struct Schedule
{
    struct Device
    {
        int records = 0;
        int range = 50;
        bool oneReport = false;
        int sends = -1;     // breaks off after this many records; -1: sends all
        int announces = -1; // the entry count it sends; -1: the true one
        QString serialNumber;
        bool operator==(const Device &other) const;
    };

    enum class Kind {
        Pace,      // the device's bytes arrive `a` at a time, one chunk every `b` ms
        Pause,     // the device sends nothing for `a` ms
        Unplug,    // the converter is pulled out
        Plug,      // device `a` (0-based) is plugged in
        Read,      // "Speicher lesen"
        Write,     // "Einstellungen setzen", setting `a` changed to the value drawn from `b`
        Ask,       // "Speicher löschen": the question opens
        Answer,    // the question answered: `a` 1 for "Ja", 0 for "Nein"
        Export,    // "Export"
        Kill,      // the program is killed and started again on its archive
        KindCount, // (not an event)
    };
    struct Event
    {
        qint64 atMs = 0;
        Kind kind = Kind::Pace;
        int a = 0;
        int b = 0;
        bool operator==(const Event &other) const
        {
            return atMs == other.atMs && kind == other.kind && a == other.a && b == other.b;
        }
    };

    QList<Device> devices;
    QList<Event> events; // in time order

    static constexpr int maxEvents = 48;

    static Schedule fromBytes(const QByteArray &bytes);
    // The bytes of a schedule drawn from `seed`.
    static QByteArray seedBytes(quint64 seed);
    // Bytes that decode into this schedule (for seeds written as text).
    QByteArray toBytes() const;

    QString toText() const;
    // A schedule as toText() prints it; lines starting with '#' are comments.
    static std::optional<Schedule> fromText(const QString &text, QString *error = nullptr);

    bool hasKill() const;
    bool operator==(const Schedule &other) const;
};
