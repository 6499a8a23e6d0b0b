#include "protocol/configwrite.h"

#include <QtTest>

Q_DECLARE_METATYPE(DeviceSettings)

namespace {

// Factory defaults, the settings of the worked example.
const DeviceSettings defaults{40, 1, 130, 0, 5, 10, 10};

// Sunday, 6 December 2026, 02:12:38 local time.
QDateTime sunday()
{
    return QDateTime(QDate(2026, 12, 6), QTime(2, 12, 38));
}

QStringList texts(const QList<ConfigCommand> &commands)
{
    QStringList result;
    for (const ConfigCommand &command : commands)
        result << command.text;
    return result;
}

} // namespace

class TestConfigWrite : public QObject
{
    Q_OBJECT

private slots:
    void workedExample();
    void clock_data();
    void clock();
    void settingValues_data();
    void settingValues();
    void quotedForDebug();
};

// The whole sequence of the factory defaults on a Sunday, byte for byte:
// wire texts, log echoes and the pause after each write.
void TestConfigWrite::workedExample()
{
    const QList<ConfigCommand> commands = configCommands(sunday(), defaults);
    QCOMPARE(commands.size(), 6);

    QCOMPARE(texts(commands),
             (QStringList{"622026:12:06:7:02:12:38", "3240\n4101\n", "51130\n", "430\n",
                          "80005\n0010\n", "75010\n"}));
    QCOMPARE(commands.at(0).text.size(), 23);

    // Brightness and channel are echoed without their line end; the others as sent.
    QStringList echoes;
    for (const ConfigCommand &command : commands)
        echoes << command.echo;
    QCOMPARE(echoes,
             (QStringList{"622026:12:06:7:02:12:38", "3240\n4101\n", "51130", "430",
                          "80005\n0010\n", "75010\n"}));

    const QList<QPair<int, int>> expectedPauses{{50, 50}, {75, 75}, {100, 200},
                                                {50, 50}, {50, 50}, {0, 0}};
    int eventTime = 0;
    for (int i = 0; i < commands.size(); ++i) {
        QCOMPARE(qMakePair(commands.at(i).pauseEventsMs, commands.at(i).pauseSleepMs),
                 expectedPauses.at(i));
        eventTime += commands.at(i).pauseEventsMs + commands.at(i).pauseSleepMs;
    }
    // The device needs the whole pacing: at least 750 ms between first and last write.
    QCOMPARE(eventTime, 750);
}

void TestConfigWrite::clock_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("expected");

    QTest::newRow("Sunday gives 7") << sunday() << "622026:12:06:7:02:12:38";
    QTest::newRow("Monday gives 1")
        << QDateTime(QDate(2026, 12, 7), QTime(2, 12, 38)) << "622026:12:07:1:02:12:38";
    QTest::newRow("afternoon in 24-hour form")
        << QDateTime(QDate(2026, 3, 4), QTime(23, 59, 59)) << "622026:03:04:3:23:59:59";
    QTest::newRow("midnight") << QDateTime(QDate(2027, 1, 1), QTime(0, 0, 0))
                              << "622027:01:01:5:00:00:00";
    QTest::newRow("leap day, Tuesday")
        << QDateTime(QDate(2028, 2, 29), QTime(12, 5, 7)) << "622028:02:29:2:12:05:07";
}

// The clock command: date, day of week, 24-hour time, zero-padded, no line end.
void TestConfigWrite::clock()
{
    QFETCH(QDateTime, now);
    QFETCH(QString, expected);

    const ConfigCommand command = configCommands(now, defaults).at(0);
    QCOMPARE(command.text, expected);
    QCOMPARE(command.echo, expected);
}

void TestConfigWrite::settingValues_data()
{
    QTest::addColumn<DeviceSettings>("settings");
    QTest::addColumn<QStringList>("expected"); // commands 2 to 6 as sent

    QTest::newRow("ID 0") << DeviceSettings{40, 0, 130, 0, 5, 10, 10}
                          << QStringList{"3240\n4100\n", "51130\n", "430\n", "80005\n0010\n",
                                         "75010\n"};
    QTest::newRow("ID 31") << DeviceSettings{40, 31, 130, 0, 5, 10, 10}
                           << QStringList{"3240\n4131\n", "51130\n", "430\n", "80005\n0010\n",
                                          "75010\n"};
    QTest::newRow("duration 0") << DeviceSettings{40, 1, 130, 0, 5, 10, 0}
                                << QStringList{"3240\n4101\n", "51130\n", "430\n", "80005\n0010\n",
                                               "75000\n"};
    QTest::newRow("duration 255") << DeviceSettings{40, 1, 130, 0, 5, 10, 255}
                                  << QStringList{"3240\n4101\n", "51130\n", "430\n",
                                                 "80005\n0010\n", "75255\n"};
    QTest::newRow("cycle time 2048, 4096 cycles")
        << DeviceSettings{40, 1, 130, 0, 2048, 4096, 10}
        << QStringList{"3240\n4101\n", "51130\n", "430\n", "82048\n4096\n", "75010\n"};
    QTest::newRow("cycle time and cycles 0")
        << DeviceSettings{40, 1, 130, 0, 0, 0, 10}
        << QStringList{"3240\n4101\n", "51130\n", "430\n", "80000\n0000\n", "75010\n"};
    QTest::newRow("brightness 5") << DeviceSettings{40, 1, 5, 0, 5, 10, 10}
                                  << QStringList{"3240\n4101\n", "515\n", "430\n", "80005\n0010\n",
                                                 "75010\n"};
    QTest::newRow("three-digit threshold and channel")
        << DeviceSettings{255, 1, 130, 255, 5, 10, 10}
        << QStringList{"32255\n4101\n", "51130\n", "43255\n", "80005\n0010\n", "75010\n"};
    // After a start without converter every field stands at its minimum ("?").
    QTest::newRow("all at minimum")
        << DeviceSettings{5, 0, 0, 0, 0, 0, 0}
        << QStringList{"325\n4100\n", "510\n", "430\n", "80000\n0000\n", "75000\n"};
    // Out-of-range values would shift the device's fixed-width fields.
    QTest::newRow("out of range is clamped")
        << DeviceSettings{1, -3, 300, -1, 10000, 99999, 1000}
        << QStringList{"325\n4100\n", "51255\n", "430\n", "82048\n4096\n", "75255\n"};
}

void TestConfigWrite::settingValues()
{
    QFETCH(DeviceSettings, settings);
    QFETCH(QStringList, expected);

    const QList<ConfigCommand> commands = configCommands(sunday(), settings);
    QCOMPARE(commands.size(), 6);
    QCOMPARE(texts(commands).mid(1), expected);

    // Brightness and channel echo without the line end, everything else as sent.
    for (int i = 1; i < commands.size(); ++i) {
        QString echo = commands.at(i).text;
        if (i == 2 || i == 3)
            echo.chop(1);
        QCOMPARE(commands.at(i).echo, echo);
    }
}

void TestConfigWrite::quotedForDebug()
{
    QCOMPARE(::quotedForDebug(QStringLiteral("75010\n")), QStringLiteral("\"75010\n\" "));
    QCOMPARE(::quotedForDebug(QString()), QStringLiteral("\"\" "));
}

QTEST_APPLESS_MAIN(TestConfigWrite)

#include "tst_configwrite.moc"
