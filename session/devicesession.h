#pragma once

#include "link/ftdidriver.h"
#include "protocol/devicesettings.h"
#include "protocol/measurementrow.h"
#include "protocol/readinfo.h"
#include "protocol/reportparser.h"
#include "protocol/reportsink.h"
#include "session/memoryread.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class FTDI_Control;
class QTimer;
struct ConfigCommand;

// What the device reported about itself, as it sent it (a window may clamp
// what it shows). Null texts and -1 mean "not told yet".
struct ReportedDevice
{
    QString serialNumber;
    QString firmwareVersion; // "V 1.23"
    QString checkDate;
    DeviceSettings settings;
    unsigned settingsMask = 0; // bit i: deviceSettings[i] was reported
    int fillLevel = -1;        // percent; -1 before the device told it, and after an unplug
    double sleevePosition = 0; // mm, at the measuring range's scale

    bool allSettingsReported() const;
};

// How a configuration write ended.
struct SettingsWriteOutcome
{
    enum Status {
        Confirmed,   // the device reported every setting back as written
        NotTaken,    // it reported back other values for some
        Unconfirmed, // it did not report them back in time, or the converter went
        Cut,         // the converter went before every command was out
    };
    Status status = Confirmed;
    DeviceSettings written;
    DeviceSettings held;             // NotTaken: what the device reported
    bool clockUnsent = false;        // Cut: the clock command did not go out
    QList<ReportSink::Value> unsent; // Cut: the settings that did not go out
};

// Everything the program does with the device, without a window: the link
// and the connection (the look at the converter list, reconnecting, why a
// converter cannot be opened), the receive path (receive run, accumulator
// and its cap, the receive log's lines), the report parser and its share of
// each clock tick, the memory read and its end rule, and the command
// sequences with their pauses. What the device reports is kept here and
// passed on to a sink (the window's form); the rest is told through signals.
//
// Single-threaded: everything runs on the thread that made the session. A
// command's pauses serve events, so timers, the parser and the caller's
// slots also run inside a command; the session refuses a second command
// meanwhile.
class DeviceSession : public QObject
{
    Q_OBJECT

public:
    // Which of its timers the session runs itself: all of them (a program
    // without a window), only the once-a-second look at the converter list
    // (the window, whose own timers drive receiving and parsing), or none (a
    // caller that keeps time itself: tests, tools, the benchmark).
    enum class Timers { All, LookOnly, None };
    // The timed wait between commands (see session/pause.h); a simulation
    // hands in its own.
    using Pause = std::function<void(int eventsMs, int sleepMs)>;

    static constexpr int receiveIntervalMs = 50;
    static constexpr int tickIntervalMs = 100;
    static constexpr int lookIntervalMs = 1000;
    // Text without its separator that has waited this long when a memory
    // read starts is dropped: the device stopped in the middle of a report.
    static constexpr qint64 unfinishedReportMs = 1000;
    // How long after a configuration write the device has to report the
    // settings back before the write counts as unconfirmed.
    static constexpr qint64 confirmationMs = 3000;
    // The serial number a file gets for rows whose device never told it.
    static constexpr char unknownSerialNumber[] = "??????";

    explicit DeviceSession(std::unique_ptr<FtdiDriver> driver, Timers timers = Timers::All,
                           Pause pause = {});
    ~DeviceSession() override;

    FTDI_Control *link() const { return m_link.get(); }
    // Where reported values and rows go besides the session's own record.
    void setSink(ReportSink *sink) { m_sink = sink; }

    // The connection. openFirst() opens the first listed converter that
    // opens; lookForConverter() is the look the timer makes (the count, and
    // while none is open, opening one that appeared and asking for its
    // configuration); checkConnection() notices a converter that went away.
    bool openFirst();
    void lookForConverter();
    bool checkConnection();
    bool isConnected() const { return m_connected; }
    int deviceCount() const { return m_deviceCount; }
    FT_STATUS openFailure() const { return m_openFailure; }
    // Counts the connections opened, so that what belongs to one (a question
    // asked, a configuration told) is not taken for the next.
    int connection() const { return m_connection; }
    // The connected device has reported its measuring range, which scales
    // its records: before that a memory read would turn them into wrong
    // numbers.
    bool configurationKnown() const;

    // The receive run and the clock tick's share, as the timers run them.
    // tick() returns whether the parser changed anything.
    void receiveOnce();
    bool tick();
    // One parser call on the accumulator; false when nothing changed.
    bool parseReport(QString &accumulator);
    QString reportBlock() const { return m_parser.block(); }

    // The parser's variables and the receive accumulator, under the names
    // the window has always given them.
    QString receiveAccumulator;
    int measuringRange = -1;
    int measurementNumber = 1;
    float sleevePositionRaw = 0.0f;

    // Commands. Each refuses to start while another runs, while a memory
    // read runs or without a converter, and says whether its text went out.
    bool commandRunning() const { return m_commandRunning; }
    bool commandsAllowed() const;
    void wakeDevice();
    bool readConfiguration();
    enum class ReadStart { Started, NotAllowed, NotSent };
    ReadStart readMemory();
    enum class ClearResult { Cleared, ConnectionChanged, NotAllowed, NotSent };
    // `askedOn` is the connection on which the user was asked.
    ClearResult clearMemory(int askedOn);
    // Writes the clock (the PC's, now) and the settings, then reads the
    // configuration back; the outcome comes through settingsWriteEnded().
    bool writeConfiguration(const DeviceSettings &settings);
    // Writes the clock alone (the PC's, now): the configuration write's first
    // command, with its pause. The device answers nothing to it.
    bool writeClock();

    // What came from the device.
    const QList<MeasurementRow> &rows() const { return m_rows; }
    const MemoryRead &memoryRead() const { return m_read; }
    const ReportedDevice &reported() const { return m_reported; }
    // The serial number of the device the rows came from, when that is not
    // the connected one any more; null while it is.
    QString rowsSerialNumber() const { return m_rowsSerialNumber; }
    // The running or last read, as the archive keeps it and the workbook
    // writes it.
    ReadInfo readInfo() const;
    // The rows of the finished read were written to a file.
    void markExported() { m_read.exported(); }

signals:
    void connectionChanged();
    void commandRunningChanged();
    // A read's command went out: its rows follow.
    void readStarted();
    // A read started, made progress, ended or opened again.
    void readChanged();
    void rowsCleared();
    // rows()[from, end) arrived, in one batch per parser run.
    void rowsAdded(qsizetype from);
    // Received text for the receive log, its lines broken at a bounded
    // length; and a command text echoed into it as a paragraph of its own.
    void logText(const QString &text);
    void logCommand(const QString &echo);
    // The bytes one receive run took from the link, as the converter gave
    // them (zero bytes already dropped), for whoever keeps a read's bytes.
    void bytesReceived(const QByteArray &bytes);
    void settingsWriteEnded(const SettingsWriteOutcome &outcome);

private:
    class Command;
    class Sink;

    bool openConverter(int count);
    bool send(const QString &text);
    void breakLogLines(const QString &text);
    void capAccumulator();
    qsizetype unfinishedReportStart() const;
    void dropUnfinishedReport();
    void checkConfirmation();
    void cut(const QList<ConfigCommand> &unsent);

    std::unique_ptr<FTDI_Control> m_link;
    Pause m_pause;
    ReportSink *m_sink = nullptr;
    std::unique_ptr<Sink> m_ownSink;
    ReportParser m_parser;
    QList<MeasurementRow> m_rows;
    MemoryRead m_read;
    ReadInfo m_readInfo; // the read's start
    ReportedDevice m_reported;
    QString m_rowsSerialNumber;

    bool m_commandRunning = false;
    int m_deviceCount = 0;
    bool m_connected = false;
    FT_STATUS m_openFailure = FT_OK;
    int m_connection = 0;
    int m_rangeConnection = -1; // the connection on which the range was last reported

    // A configuration write waiting for the device to report its settings
    // back.
    struct Confirmation
    {
        DeviceSettings written;
        int connection = 0;
        qint64 sinceMs = 0;
    };
    std::optional<Confirmation> m_confirmation;

    int m_logLineLength = 0; // characters behind the receive log's last line break
    qint64 m_lastTextMs = 0; // steady time of the last text received

    QTimer *m_receiveTimer = nullptr;
    QTimer *m_tickTimer = nullptr;
    QTimer *m_lookTimer = nullptr;
};
